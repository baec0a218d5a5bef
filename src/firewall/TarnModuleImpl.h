// The firewall module: one worker thread runs every request in arrival order
// against the firewall configuration component; bus threads only enqueue; a
// watchdog asks the host to unload the module after a stretch without work.
//
// Threads and locks:
//   host thread      lifecycle operations, DirectMessage (enqueues like the bus)
//   bus threads      callback_enqueue_message (enqueue only), property notifications
//   worker thread    every handler; owns the COM apartment and firewallSettings
//   watchdog thread  waits out the idle time, asks the host to unload
// queueMutex guards the queue and the worker flags; watchdogMutex guards the
// unload deadline and the watchdog thread object. watchdogMutex is taken
// before queueMutex when both are held, never the reverse.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "firewall/adapter/ComponentCreator.h"
#include "firewall/adapter/TarnIf.h"
#include "include/BxFWInterfaces.h"
#include "module/BaseModule.h"
#include "settings/SettingsManager.h"
#include "wrappers/CallbackGate.h"
#include "wrappers/SrwSync.h"

namespace Brenix {
class Module_response;
class ChangeValues;
struct ChangeRequest;
struct RefreshGroup;
}  // namespace Brenix

namespace Ledra {

class Message;

class TarnModuleImpl : public BaseModule {
 public:
  using Handler = std::function<ModuleStatus(const std::shared_ptr<Message>&)>;

  // Idle time before the module asks to be unloaded.
  static constexpr std::chrono::milliseconds kIdleUnloadTime{300000};
  // The host may shorten the idle time through this initialization setting
  // (milliseconds, decimal); used by test hosts and demos.
  static constexpr wchar_t kIdleUnloadSetting[] = L"Tarn.IdleUnloadMilliseconds";
  // Time limit of one property read.
  static constexpr std::chrono::milliseconds kPropertyReadTimeout{5000};

  explicit TarnModuleImpl(std::shared_ptr<Basalt::IOCContainer> container);
  // creator: how the worker and the adapter make the component's objects (null: verified creation).
  TarnModuleImpl(std::shared_ptr<Basalt::IOCContainer> container,
                 std::shared_ptr<Brenix::ComponentCreator> creator);
  // Waits until every accepted message is handled, then ends the worker.
  ~TarnModuleImpl() override;

  ModuleStatus initialize() override;
  ModuleStatus start() override;
  ModuleStatus stop() override;
  ModuleStatus uninitialize() override;

  // The bus callback of every subscription: queues the message, nothing else.
  unsigned long callback_enqueue_message(std::shared_ptr<Message> message);

  // Reads "Core.Protection.IgnoreFirewall" into ignoreFirewall and asks for a
  // fresh state notification.
  ModuleStatus onPropertyIgnoreFirewallAlert(const std::wstring& propertyName, bool fromNotification);
  void resetUnloadWatchdog(std::chrono::milliseconds idleTime);
  bool isIdle();

  // State handlers and the publishing operations every handler answers through.
  ModuleStatus stateChangeNotify(bool on, bool error, const std::shared_ptr<Message>& request);
  ModuleStatus change_state(const std::shared_ptr<Message>& request);
  ModuleStatus set_state(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_state(const std::shared_ptr<Message>& request);
  ModuleStatus hips_state(const std::shared_ptr<Message>& request);
  void post_response(const Brenix::Module_response& response);
  void post_response(const Brenix::Module_response& response, const std::shared_ptr<Message>& request);
  void notify_cud_result(int32_t featureId, int32_t functionId, const VARIANT& id, bool successful,
                         int32_t errorCode);

  // Feature handlers.
  ModuleStatus set_securitylevel_setting(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_security_level(const std::shared_ptr<Message>& request);
  ModuleStatus set_smartadvice_setting(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_smartadvice_setting(const std::shared_ptr<Message>& request);
  ModuleStatus set_history_setting(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_history_setting(const std::shared_ptr<Message>& request);
  ModuleStatus set_intrusion_detection(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_intrusion_detection(const std::shared_ptr<Message>& request);
  ModuleStatus add_proginternet_conn(const std::shared_ptr<Message>& request);
  ModuleStatus edit_proginternet_conn(const std::shared_ptr<Message>& request);
  ModuleStatus delete_proginternet_conn(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_proginternet_conn(const std::shared_ptr<Message>& request);
  ModuleStatus add_portsandsystem_services(const std::shared_ptr<Message>& request);
  ModuleStatus update_portsandsystem_services(const std::shared_ptr<Message>& request);
  ModuleStatus delete_portsandsystem_services(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_portsandsystem_services(const std::shared_ptr<Message>& request);
  ModuleStatus set_netguard(const std::shared_ptr<Message>& request);
  ModuleStatus edit_netguard(const std::shared_ptr<Message>& request);
  ModuleStatus delete_netguard(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_netguard(const std::shared_ptr<Message>& request);
  ModuleStatus add_network_connection(const std::shared_ptr<Message>& request);
  ModuleStatus edit_network_connection(const std::shared_ptr<Message>& request);
  ModuleStatus delete_network_connection(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_network_connection(const std::shared_ptr<Message>& request);
  ModuleStatus restore_defaults(const std::shared_ptr<Message>& request);
  ModuleStatus refresh_defaults_settings(const std::shared_ptr<Message>& request);
  ModuleStatus get_user_state(const std::shared_ptr<Message>& request);
  ModuleStatus get_uploaded_filepath(const std::shared_ptr<Message>& request);
  ModuleStatus get_network_trust_level(const std::shared_ptr<Message>& request);
  ModuleStatus set_network_trust_level(const std::shared_ptr<Message>& request);
  // The two shapes of the feature handlers, run from their rows (features/HandlerSteps.h).
  ModuleStatus refresh_group(const Brenix::RefreshGroup& group);
  ModuleStatus handle_change(const Brenix::ChangeRequest& change, const std::shared_ptr<Message>& request,
                             const std::function<uint32_t(Brenix::ChangeValues&)>& step);

  // The request table: name, how it is subscribed, and its handler.
  enum class SubscriptionKind { Plain, Scoped };
  struct HandlerRow {
    const wchar_t* name;
    SubscriptionKind kind;
    ModuleStatus (TarnModuleImpl::*handler)(const std::shared_ptr<Message>&);
  };
  // Every row; a row without a member handler is the ignore-firewall property entry.
  static const HandlerRow* handlerRows(size_t& count);

 protected:
  // A counted reference to the firewall settings object for one request (null outside the worker's life).
  Microsoft::WRL::ComPtr<IBxFWSettings> settingsReference() const { return firewallSettings; }
  Brenix::TarnIf& adapter() { return tarnIf_; }
  std::shared_ptr<Brenix::ComponentCreator> componentCreator() const { return creator_; }

 private:
  void buildHandlerTable();
  void process_message_queue();
  void unload_watchdog_main();
  int64_t steadyNowNanoseconds() const;
  std::shared_ptr<SettingsManager> currentSettingsManager();
  // Removes the ignore-firewall watch and waits for a notification already
  // inside it; later ones are turned away. From stop, uninitialize and the destructor.
  void endPropertyWatch();

  // The order of these fields is the order of construction; the destructor
  // undoes it in reverse after the worker has ended.
  Microsoft::WRL::ComPtr<IBxFWSettings> firewallSettings;
  // Written by the property watch (a bus thread), the host thread and the worker; read by the worker.
  std::atomic<bool> ignoreFirewall{false};
  // Set by start on the host thread, read by the worker and the property watch: always under settingsGuard_.
  std::shared_ptr<SettingsManager> settingsManager;
  std::thread workerThread;
  std::deque<std::shared_ptr<Message>> queue;
  Ledra::SrwMutex queueMutex;
  Ledra::SrwConditionVariable workAvailable;
  Ledra::SrwConditionVariable queueDrained;
  bool stopWorker = false;
  bool acceptingMessages = true;
  // True from the worker's start until it leaves; a worker that ended early
  // (no COM, no settings object) never empties the queue, so the destructor
  // must not wait for it.
  bool workerAlive = false;
  // The worker sleeps on workAvailable: only then does an enqueue wake it.
  bool workerWaiting = false;
  std::unordered_map<std::wstring, Handler> handlers;
  std::atomic<bool> watchdogRunning{false};
  std::atomic<bool> stopRequested{false};
  Ledra::SrwConditionVariable watchdogWake;
  Ledra::SrwMutex watchdogMutex;
  std::thread watchdogThread;
  int64_t unloadDeadline = 0;

  SrwMutex settingsGuard_;
  // What the watch's callback holds instead of the module: closed before the module goes.
  std::shared_ptr<CallbackGate> propertyWatchGate_;

  std::chrono::milliseconds idleUnloadTime_ = kIdleUnloadTime;
  std::shared_ptr<Brenix::ComponentCreator> creator_;
  Brenix::TarnIf tarnIf_;
};

}  // namespace Ledra
