#include "kit/SettingsManager/SettingsManagerModule.h"

#include <utility>

#include "Logging/Log.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"

namespace SettingsKit {
namespace {

constexpr wchar_t kLogFile[] = L"SettingsManagerModule";
constexpr wchar_t kFnInitialize[] = L"SettingsKit::SettingsManagerModule::initialize";
constexpr wchar_t kFnStart[] = L"SettingsKit::SettingsManagerModule::start";
constexpr wchar_t kFnOnRequest[] = L"SettingsKit::SettingsManagerModule::onRequest";

constexpr wchar_t kStateUnreadable[] = L"Settings state file %ls could not be read; starting empty.";
constexpr wchar_t kUsingState[] = L"Settings state file: %ls";
constexpr wchar_t kSubscribeFailed[] = L"Failed to subscribe to %ls. Error code: %lu";
constexpr wchar_t kNotStarted[] = L"Start before a successful initialize.";
constexpr wchar_t kReplyFailed[] = L"Failed to reply to %ls. Error code: %lu";
constexpr wchar_t kNotifyFailed[] = L"Failed to publish %ls. Error code: %lu";

}  // namespace

SettingsManagerModule::SettingsManagerModule(std::shared_ptr<Basalt::IOCContainer> container)
    : BaseModule(std::move(container)) {}

SettingsManagerModule::~SettingsManagerModule() { unsubscribeAll(); }

Ledra::ModuleStatus SettingsManagerModule::initialize() {
  const auto configured = getSettings().find(kStateFileSetting);
  std::wstring path = configured != getSettings().end() && !configured->second.empty()
                          ? configured->second
                          : PropertyStore::defaultStatePath();
  store_ = std::make_shared<PropertyStore>(std::move(path));
  if (!store_->load()) {
    LEDRA_LOG(Ledra::logging::Error, kFnInitialize, __LINE__, kStateUnreadable, store_->statePath().c_str());
  }
  LEDRA_LOG(Ledra::logging::Information, kFnInitialize, __LINE__, kUsingState, store_->statePath().c_str());
  service_ = std::make_unique<SettingsService>(store_);
  return Ledra::MODULE_STATUS_SUCCESS;
}

Ledra::ModuleStatus SettingsManagerModule::start() {
  if (!service_) {
    LEDRA_LOG(Ledra::logging::Error, kFnStart, __LINE__, kNotStarted);
    return Ledra::MODULE_STATUS_INVALID_STATE;
  }
  std::lock_guard<Ledra::SrwMutex> lock(subscriptionMutex_);
  if (subscribed_) return Ledra::MODULE_STATUS_SUCCESS;
  subscribed_ = true;  // from here on, unsubscribeAll has work to do even after a partial failure
  for (const auto& name : SettingsService::requestNames()) {
    const unsigned long result =
        subscribe(name, [this](std::shared_ptr<Ledra::Message> request) { return onRequest(request); });
    if (result != 0) {
      LEDRA_LOG(Ledra::logging::Error, kFnStart, __LINE__, kSubscribeFailed, name.c_str(), result);
      return static_cast<Ledra::ModuleStatus>(result);
    }
  }
  return Ledra::MODULE_STATUS_SUCCESS;
}

Ledra::ModuleStatus SettingsManagerModule::stop() {
  unsubscribeAll();
  return Ledra::MODULE_STATUS_SUCCESS;
}

Ledra::ModuleStatus SettingsManagerModule::uninitialize() {
  unsubscribeAll();
  return Ledra::MODULE_STATUS_SUCCESS;
}

void SettingsManagerModule::unsubscribeAll() {
  std::lock_guard<Ledra::SrwMutex> lock(subscriptionMutex_);
  if (!subscribed_) return;
  // The bus returns only once no callback of the subscription runs any more.
  for (const auto& name : SettingsService::requestNames()) unsubscribe(name);
  subscribed_ = false;
}

unsigned long SettingsManagerModule::onRequest(const std::shared_ptr<Ledra::Message>& request) {
  if (!request) return Ledra::MODULE_STATUS_INVALID_PARAMETER;
  const Answer answer = service_->handle(request->getName(), request->getPayload());
  const std::wstring replyName = SettingsService::replyName(request->getName());
  const unsigned long replied = publish(request->createReply(replyName, std::wstring(), answer.reply));
  if (replied != 0) {
    LEDRA_LOG(Ledra::logging::Error, kFnOnRequest, __LINE__, kReplyFailed, request->getName().c_str(),
              replied);
  }
  for (const auto& notification : answer.notifications) {
    const unsigned long sent =
        publish(Ledra::Message::create(notification.name, std::wstring(), notification.payload));
    if (sent != 0) {
      LEDRA_LOG(Ledra::logging::Error, kFnOnRequest, __LINE__, kNotifyFailed, notification.name.c_str(),
                sent);
    }
  }
  return Ledra::MODULE_STATUS_SUCCESS;
}

}  // namespace SettingsKit
