// Lifecycle of the firewall module: the request table, subscriptions, the
// worker's start and end, and the binding to the settings manager.
#include "firewall/TarnModuleImpl.h"

#include <objbase.h>

#include <cwchar>
#include <string>

#include "Logging/Log.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";
constexpr wchar_t kIgnoreFirewallProperty[] = L"Core.Protection.IgnoreFirewall";

constexpr wchar_t kInitializeBegin[] = L"IN TarnModuleImpl::initialize BEGIN";
constexpr wchar_t kCoFreeUnused[] = L"TARNModule CoFreeUnusedLibraries";
constexpr wchar_t kSubscribeFailed[] = L"Subscription to '%s' failed. Status: 0x%08X";
constexpr wchar_t kSubscribed[] = L"Subscribed to '%s' successfully";
constexpr wchar_t kSubscribeSessionFailed[] = L"Subscribesession to '%s' failed. Status: 0x%08X";
constexpr wchar_t kSubscribedSession[] = L"SubscribeSessionED to '%s' successfully";
constexpr wchar_t kInitializeEnd[] = L"IN TarnModuleImpl::initialize END";
constexpr wchar_t kStartBegin[] = L"in TarnModuleImpl::start() start of function";
constexpr wchar_t kNoSettingsManager[] = L"Error getting the settings Mgr";
constexpr wchar_t kWatchFailed[] = L"Error susbscribing for setting.";
constexpr wchar_t kNoInitialValue[] = L"It was not possible to get initial Ignore Firewall Alert value";
constexpr wchar_t kStartEnd[] = L"in TarnModuleImpl::start() end of function";
constexpr wchar_t kUnsubscribeFailed[] = L"Failed unsubscribe(%s): %ul";
constexpr wchar_t kQueueDiscarded[] = L"Worker ended early; discarding %lu queued messages.";

using Kind = TarnModuleImpl::SubscriptionKind;

// Every request the module answers. Adding a feature is one row here and one handler.
const TarnModuleImpl::HandlerRow kHandlerRows[] = {
    {L"Core.Firewall.ChangeState", Kind::Plain, &TarnModuleImpl::change_state},
    {L"Core.Firewall.RefreshState", Kind::Plain, &TarnModuleImpl::refresh_state},
    {L"Core.Firewall.ProtectionStatusChange", Kind::Plain, &TarnModuleImpl::refresh_state},
    {kIgnoreFirewallProperty, Kind::Plain, nullptr},
    {L"Core.Firewall.HIPS.State", Kind::Plain, &TarnModuleImpl::hips_state},
    {L"Core.Firewall.SetState", Kind::Scoped, &TarnModuleImpl::set_state},
    // Settings groups and small services.
    {L"Core.Firewall.UpdateTrafficController", Kind::Scoped, &TarnModuleImpl::set_securitylevel_setting},
    {L"Core.Firewall.RefreshTrafficController", Kind::Scoped, &TarnModuleImpl::refresh_security_level},
    {L"Core.Firewall.UpdateSmartAdvice", Kind::Scoped, &TarnModuleImpl::set_smartadvice_setting},
    {L"Core.Firewall.RefreshSmartAdvice", Kind::Scoped, &TarnModuleImpl::refresh_smartadvice_setting},
    {L"Core.Firewall.SetHistory", Kind::Scoped, &TarnModuleImpl::set_history_setting},
    {L"Core.Firewall.RefreshHistory", Kind::Scoped, &TarnModuleImpl::refresh_history_setting},
    {L"Core.Firewall.SetIntrusionDetection", Kind::Scoped, &TarnModuleImpl::set_intrusion_detection},
    {L"Core.Firewall.RefreshIntrusionDetection", Kind::Scoped, &TarnModuleImpl::refresh_intrusion_detection},
    {L"Core.Firewall.RestoreDefaults", Kind::Scoped, &TarnModuleImpl::restore_defaults},
    {L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", Kind::Scoped,
     &TarnModuleImpl::refresh_defaults_settings},
    {L"Core.Firewall.RequestUserState", Kind::Scoped, &TarnModuleImpl::get_user_state},
    {L"Core.Firewall.GetUploadedFilePath", Kind::Scoped, &TarnModuleImpl::get_uploaded_filepath},
    {L"Core.Firewall.GetTrustLevel", Kind::Scoped, &TarnModuleImpl::get_network_trust_level},
    {L"Core.Firewall.SetTrustLevel", Kind::Scoped, &TarnModuleImpl::set_network_trust_level},
    // Lists.
    {L"Core.Firewall.AddProgramInternetConnection", Kind::Scoped, &TarnModuleImpl::add_proginternet_conn},
    {L"Core.Firewall.EditProgramInternetConnection", Kind::Scoped, &TarnModuleImpl::edit_proginternet_conn},
    {L"Core.Firewall.DeleteProgramInternetConnection", Kind::Scoped,
     &TarnModuleImpl::delete_proginternet_conn},
    {L"Core.Firewall.RefreshProgramInternetConnection", Kind::Scoped,
     &TarnModuleImpl::refresh_proginternet_conn},
    {L"Core.Firewall.AddPortsAndSystemServices", Kind::Scoped, &TarnModuleImpl::add_portsandsystem_services},
    {L"Core.Firewall.UpdatePortsAndSystemServices", Kind::Scoped,
     &TarnModuleImpl::update_portsandsystem_services},
    {L"Core.Firewall.DeletePortsAndSystemServices", Kind::Scoped,
     &TarnModuleImpl::delete_portsandsystem_services},
    {L"Core.Firewall.RefreshPortsAndSystemServices", Kind::Scoped,
     &TarnModuleImpl::refresh_portsandsystem_services},
    {L"Core.Firewall.SetNetGuard", Kind::Scoped, &TarnModuleImpl::set_netguard},
    {L"Core.Firewall.EditNetGuard", Kind::Scoped, &TarnModuleImpl::edit_netguard},
    {L"Core.Firewall.DeleteNetGuard", Kind::Scoped, &TarnModuleImpl::delete_netguard},
    {L"Core.Firewall.RefreshNetGuard", Kind::Scoped, &TarnModuleImpl::refresh_netguard},
    {L"Core.Firewall.AddNetworkConnection", Kind::Scoped, &TarnModuleImpl::add_network_connection},
    {L"Core.Firewall.EditNetworkConnection", Kind::Scoped, &TarnModuleImpl::edit_network_connection},
    {L"Core.Firewall.DeleteNetworkConnection", Kind::Scoped, &TarnModuleImpl::delete_network_connection},
    {L"Core.Firewall.RefreshNetworkConnection", Kind::Scoped, &TarnModuleImpl::refresh_network_connection},
};

std::chrono::milliseconds idleTimeFrom(const ModuleSettings& settings) {
  const auto found = settings.find(TarnModuleImpl::kIdleUnloadSetting);
  if (found == settings.end()) return TarnModuleImpl::kIdleUnloadTime;
  wchar_t* end = nullptr;
  const unsigned long long value = std::wcstoull(found->second.c_str(), &end, 10);
  if (end == found->second.c_str() || *end != L'\0' || value == 0) return TarnModuleImpl::kIdleUnloadTime;
  return std::chrono::milliseconds(value);
}

}  // namespace

const TarnModuleImpl::HandlerRow* TarnModuleImpl::handlerRows(size_t& count) {
  count = sizeof(kHandlerRows) / sizeof(kHandlerRows[0]);
  return kHandlerRows;
}

TarnModuleImpl::TarnModuleImpl(std::shared_ptr<Basalt::IOCContainer> container)
    : TarnModuleImpl(std::move(container), nullptr) {}

TarnModuleImpl::TarnModuleImpl(std::shared_ptr<Basalt::IOCContainer> container,
                               std::shared_ptr<Brenix::ComponentCreator> creator)
    : BaseModule(std::move(container)),
      creator_(creator ? std::move(creator) : std::make_shared<Brenix::VerifiedComponentCreator>()),
      tarnIf_(creator_) {}

TarnModuleImpl::~TarnModuleImpl() {
  {
    std::lock_guard<Ledra::SrwMutex> lock(queueMutex);
    acceptingMessages = false;  // from here on a delivered message is dropped
  }
  endPropertyWatch();  // a host may destroy the module without stopping it
  {
    std::unique_lock<Ledra::SrwMutex> lock(queueMutex);
    queueDrained.wait(lock, [this] { return queue.empty() || !workerAlive; });
    if (!queue.empty()) {
      // Nothing will ever handle these: the worker could not start its loop.
      LEDRA_LOG(logging::Warning, L"Ledra::TarnModuleImpl::~TarnModuleImpl", __LINE__, kQueueDiscarded,
                static_cast<unsigned long>(queue.size()));
      queue.clear();
    }
    stopWorker = true;
  }
  workAvailable.notify_all();
  if (workerThread.joinable()) workerThread.join();
  // The host must stop a running watchdog (StopModule) before destroying the module.
  if (watchdogThread.joinable()) std::terminate();
}

void TarnModuleImpl::buildHandlerTable() {
  handlers.clear();
  for (const HandlerRow& row : kHandlerRows) {
    if (row.handler == nullptr) {
      // The property's bus message carries nothing we read: re-read the property.
      handlers[row.name] = [this](const std::shared_ptr<Message>&) {
        return onPropertyIgnoreFirewallAlert(kIgnoreFirewallProperty, true);
      };
    } else {
      const auto handler = row.handler;
      handlers[row.name] = [this, handler](const std::shared_ptr<Message>& message) {
        return (this->*handler)(message);
      };
    }
  }
}

ModuleStatus TarnModuleImpl::initialize() {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::initialize", 78, kInitializeBegin);
  CoFreeUnusedLibrariesEx(0, 0);
  LEDRA_LOG(logging::Information, L"Ledra::TarnModuleImpl::initialize", 80, kCoFreeUnused);
  idleUnloadTime_ = idleTimeFrom(getSettings());
  buildHandlerTable();

  {
    std::lock_guard<Ledra::SrwMutex> lock(queueMutex);
    workerAlive = true;
  }
  try {
    workerThread = std::thread(&TarnModuleImpl::process_message_queue, this);
  } catch (...) {
    std::lock_guard<Ledra::SrwMutex> lock(queueMutex);
    workerAlive = false;
    throw;
  }

  const auto enqueue = [this](std::shared_ptr<Message> message) -> unsigned long {
    return callback_enqueue_message(std::move(message));
  };
  for (const auto& entry : handlers) {
    const std::wstring& name = entry.first;
    size_t count = 0;
    const HandlerRow* rows = handlerRows(count);
    Kind kind = Kind::Scoped;
    for (size_t i = 0; i < count; ++i) {
      if (name == rows[i].name) kind = rows[i].kind;
    }
    if (kind == Kind::Plain) {
      const unsigned long status = subscribe(name, enqueue);
      if (status != 0) {
        LEDRA_LOG(logging::Error, L"Ledra::TarnModuleImpl::initialize", 104, kSubscribeFailed, name.c_str(),
                  status);
        return status;
      }
      LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::initialize", 107, kSubscribed, name.c_str());
    } else {
      const unsigned long status = subscribeInSession(name, enqueue);
      if (status != 0) {
        LEDRA_LOG(logging::Error, L"Ledra::TarnModuleImpl::initialize", 93, kSubscribeSessionFailed,
                  name.c_str(), status);
        return status;
      }
      LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::initialize", 96, kSubscribedSession, name.c_str());
    }
  }
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::initialize", 111, kInitializeEnd);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::start() {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::start", 130, kStartBegin);
  std::shared_ptr<SettingsManager> resolved;
  try {
    resolved = getContainer()->resolve<SettingsManager>();
  } catch (...) {
    resolved.reset();
  }
  {
    std::lock_guard<SrwMutex> lock(settingsGuard_);
    settingsManager = resolved;
  }
  if (!resolved) {
    LEDRA_LOG(logging::Error, L"Ledra::TarnModuleImpl::start", 134, kNoSettingsManager);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  // The settings manager outlives this module and calls the watch on its own
  // threads: the callback reaches the module only through the gate.
  auto gate = std::make_shared<CallbackGate>();
  propertyWatchGate_ = gate;
  const bool watching = resolved->subscribePropertySet(
      [gate, this](const std::wstring& name) {
        gate->enter([&] { onPropertyIgnoreFirewallAlert(name, true); });
      },
      kIgnoreFirewallProperty);
  if (!watching) {
    LEDRA_LOG(logging::Error, L"Ledra::TarnModuleImpl::start", 142, kWatchFailed);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  if (onPropertyIgnoreFirewallAlert(kIgnoreFirewallProperty, false) != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::start", 149, kNoInitialValue);
  }
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::start", 151, kStartEnd);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::stop() {
  endPropertyWatch();
  {
    std::lock_guard<Ledra::SrwMutex> lock(watchdogMutex);
    stopRequested = true;
  }
  watchdogWake.notify_all();
  if (watchdogThread.joinable()) watchdogThread.join();
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::uninitialize() {
  endPropertyWatch();
  ModuleStatus last = MODULE_STATUS_SUCCESS;
  for (const auto& entry : handlers) {
    const unsigned long status = unsubscribe(entry.first);
    if (status != 0) {
      LEDRA_LOG(logging::Error, L"Ledra::TarnModuleImpl::uninitialize", 170, kUnsubscribeFailed,
                entry.first.c_str(), status);
      last = status;
    }
  }
  return last;
}

std::shared_ptr<SettingsManager> TarnModuleImpl::currentSettingsManager() {
  std::lock_guard<SrwMutex> lock(settingsGuard_);
  return settingsManager;
}

void TarnModuleImpl::endPropertyWatch() {
  std::shared_ptr<CallbackGate> gate = std::move(propertyWatchGate_);
  if (!gate) return;
  if (const auto manager = currentSettingsManager()) manager->unsubscribePropertySet();
  gate->close();
}

}  // namespace Ledra
