#include "module/BaseModule.h"

#include <utility>

#include "Logging/Log.h"
#include "bus/MessageBusClient.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"BaseModule";
constexpr wchar_t kInvalidModuleManager[] = L"Invalid module manager object passed to base initialize.";
constexpr wchar_t kInvalidMessageBus[] = L"Invalid message bus object passed to base initialize.";
constexpr wchar_t kInvalidBusClient[] = L"Failed to process direct message. Invalid message bus client.";
constexpr wchar_t kUnloadNullptr[] = L"Failed to unload module due to nullptr";
constexpr wchar_t kUnloadFailed[] = L"Failed to unload module. Error code: %lu.";

}  // namespace

BaseModule::BaseModule(std::shared_ptr<Basalt::IOCContainer> container)
    : container_(container ? std::move(container) : std::make_shared<Basalt::IOCContainer>()) {}

BaseModule::~BaseModule() = default;

ModuleStatus BaseModule::baseInitialize(const std::wstring& name, const std::wstring& secondName,
                                        const ModuleSettings& settings,
                                        std::shared_ptr<internal::ModuleManagerShim> moduleManager,
                                        std::shared_ptr<MessageBus> messageBus) {
  if (&name != &name_) name_ = name;
  if (&secondName != &secondName_) secondName_ = secondName;
  if (&settings != &settings_) settings_ = settings;

  if (!moduleManager) {
    LEDRA_LOG(logging::Error, L"Ledra::BaseModule::baseInitialize", 45, kInvalidModuleManager);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  moduleManager_ = std::move(moduleManager);

  if (!messageBus) {
    LEDRA_LOG(logging::Error, L"Ledra::BaseModule::baseInitialize", 52, kInvalidMessageBus);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  messageBus_ = std::move(messageBus);
  container_->registerInstance<MessageBus>(messageBus_);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus BaseModule::directMessage(std::shared_ptr<Message> message) {
  auto* client = dynamic_cast<MessageBusClient*>(messageBus_.get());
  if (client == nullptr) {
    LEDRA_LOG(logging::Error, L"Ledra::BaseModule::directMessage", 212, kInvalidBusClient);
    return MODULE_STATUS_INVALID_STATE;
  }
  client->deliverDirect(message);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus BaseModule::unload() {
  if (!moduleManager_) {
    LEDRA_LOG(logging::Error, L"Ledra::BaseModule::unload", 181, kUnloadNullptr);
    return MODULE_STATUS_SUCCESS;
  }
  const ModuleStatus status = moduleManager_->unloadModule(name_);
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, L"Ledra::BaseModule::unload", 175, kUnloadFailed, status);
    return status;
  }
  return MODULE_STATUS_SUCCESS;
}

// Forwarding of the bus operations. Callbacks are moved into a temporary that
// lives for the call.
unsigned long BaseModule::publish(const std::shared_ptr<Message>& message) {
  return messageBus_->publish(message);
}
unsigned long BaseModule::publishVariant(const std::shared_ptr<Message>& message) {
  return messageBus_->publishVariant(message);
}
unsigned long BaseModule::request(const std::shared_ptr<Message>& message, ReplyCallback callback,
                                  const Timeout& timeout) {
  ReplyCallback temporary(std::move(callback));
  return messageBus_->request(message, std::move(temporary), timeout);
}
unsigned long BaseModule::request(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                                  const Timeout& timeout) {
  return messageBus_->request(message, reply, timeout);
}
unsigned long BaseModule::requestVariant(const std::shared_ptr<Message>& message, ReplyCallback callback,
                                         const Timeout& timeout) {
  ReplyCallback temporary(std::move(callback));
  return messageBus_->requestVariant(message, std::move(temporary), timeout);
}
unsigned long BaseModule::requestVariant(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                                         const Timeout& timeout) {
  return messageBus_->requestVariant(message, reply, timeout);
}
unsigned long BaseModule::subscribe(const std::wstring& name, const std::wstring& alias, Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribe(name, alias, std::move(temporary));
}
unsigned long BaseModule::subscribe(const std::wstring& name, Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribe(name, std::move(temporary));
}
unsigned long BaseModule::subscribeInSession(const std::wstring& name, const std::wstring& alias,
                                             Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribeInSession(name, alias, std::move(temporary));
}
unsigned long BaseModule::subscribeInSession(const std::wstring& name, Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribeInSession(name, std::move(temporary));
}
unsigned long BaseModule::subscribeFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                          Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribeFilter(nameRegex, alias, std::move(temporary));
}
unsigned long BaseModule::subscribeFilter(const std::wstring& nameRegex, Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribeFilter(nameRegex, std::move(temporary));
}
unsigned long BaseModule::subscribeFilterInSession(const std::wstring& nameRegex, const std::wstring& alias,
                                                   Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribeFilterInSession(nameRegex, alias, std::move(temporary));
}
unsigned long BaseModule::subscribeFilterInSession(const std::wstring& nameRegex, Callback callback) {
  Callback temporary(std::move(callback));
  return messageBus_->subscribeFilterInSession(nameRegex, std::move(temporary));
}
unsigned long BaseModule::unsubscribe(const std::wstring& alias) { return messageBus_->unsubscribe(alias); }

}  // namespace Ledra
