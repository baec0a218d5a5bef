// A module host for tests: the signed kit DLLs from the bin folder driven the
// way a host drives them. It owns the process bus (MessageBus.dll), the
// settings-manager service (SettingsManager.dll), the registered firewall
// component (BxFWConfig.dll) with a state file of its own, and the firewall
// module (TarnModule.dll). Every lifecycle call and DirectMessage runs on the
// host's own thread; the test gets a bus client of its own that records every
// message on the bus.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bus/MessageBusClient.h"
#include "bus/MessageBusShimImpl.h"
#include "include/BusLibrary.h"
#include "include/ModuleFunctionTable.h"
#include "settings/SettingsManagerClient.h"
#include "wrappers/ScopedHandle.h"

namespace tarn_integration {

// How long a test waits for anything the module or the bus should do.
constexpr std::chrono::seconds kPatience{60};
constexpr Ledra::MessageBus::Timeout kRequestTimeout{30000};

// The log group every module of this program logs under.
extern const wchar_t kLogGroup[];

using HostSettings = std::vector<std::pair<std::wstring, std::wstring>>;

// One message as the test's own bus client received it.
struct SeenMessage {
  uint64_t sequence = 0;
  std::wstring name;
  std::wstring sender;
  std::wstring payload;
  uint32_t flags = 0;
  uint32_t sessionId = 0;
};

// Every message the test's subscription ".*" delivers, in delivery order.
class BusRecorder {
 public:
  using Accept = std::function<bool(const SeenMessage&)>;
  explicit BusRecorder(std::function<uint64_t()> nextSequence) : nextSequence_(std::move(nextSequence)) {}

  unsigned long record(const std::shared_ptr<Ledra::Message>& message);
  // The first message named `name` with a sequence above `after` that `accept`
  // takes (any when empty); false when none came before the deadline.
  bool waitFor(const std::wstring& name, uint64_t after, const Accept& accept, SeenMessage* found);
  std::vector<SeenMessage> named(const std::wstring& name) const;

 private:
  std::function<uint64_t()> nextSequence_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<SeenMessage> seen_;
};

// Runs the host's work on one thread of its own, in the order it was handed in.
class HostThread {
 public:
  HostThread();
  ~HostThread();
  HostThread(const HostThread&) = delete;
  HostThread& operator=(const HostThread&) = delete;

  // Runs the task on the host thread and waits for its result.
  uint32_t run(std::function<uint32_t()> task);
  // Queues the task and returns at once.
  void post(std::function<void()> task);
  DWORD id() const { return id_; }

 private:
  void main();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  DWORD id_ = 0;
  std::thread thread_;
};

// One call of the host's unload service.
struct UnloadCall {
  DWORD threadId = 0;
  uint64_t sequence = 0;
  std::wstring moduleName;
  bool reservedWasNull = false;
};

enum class InitForm {
  WithHostBus,     // InitializeModuleV2 with the host's bus handle and table
  LoadsBusItself,  // InitializeModule: the module loads the bus library itself
};

class TestHost {
 public:
  // Everything but the firewall module; check ready() before use.
  TestHost();
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  ::testing::AssertionResult ready() const;

  // NewModule, the chosen initialize entry with these settings, StartModule; the first failing status.
  uint32_t startFirewall(const HostSettings& settings = {}, InitForm form = InitForm::WithHostBus);
  uint32_t stopFirewall();
  // StopModule (unless already stopped), UninitializeModule, DestroyModule; the first failing status.
  uint32_t unloadFirewall();
  uint32_t directMessage(const std::wstring& name, const std::wstring& sender, const std::wstring& payload);

  // Whether an unload request makes the host unload the module (on its own thread).
  void unloadWhenAsked(bool yes) { unloadWhenAsked_ = yes; }
  bool waitForUnloadCalls(size_t count);
  std::vector<UnloadCall> unloadCalls() const;
  // Waits until the module has been destroyed; the statuses of its teardown.
  bool waitUntilFirewallGone();
  uint32_t teardownStatus() const;

  DWORD hostThreadId() const { return hostThread_->id(); }
  uint64_t nextSequence() { return ++sequence_; }
  const std::wstring& moduleName() const { return moduleName_; }
  uint32_t ownSession() const { return client_->getSessionId(); }

  Ledra::MessageBusClient& bus() { return *client_; }
  BusRecorder& recorder() { return *recorder_; }
  Ledra::SettingsManagerClient& settings() { return *settingsClient_; }

 private:
  static uint32_t onUnload(void* context, const wchar_t* moduleName, void* reserved);
  static uint32_t onServiceUnload(void* context, const wchar_t* moduleName, void* reserved);
  void recordUnload(const wchar_t* moduleName, void* reserved);
  void fail(const std::string& what);
  void setUpComponent();
  void setUpBus();
  void setUpModules();
  // On the host thread.
  uint32_t startService();
  void teardownService();
  void teardownFirewall();

  std::string failure_;
  std::atomic<uint64_t> sequence_{0};
  std::wstring moduleName_ = L"Tarn.Firewall";
  bool comEntered_ = false;

  // The component's registry sandbox.
  bool hadStateFile_ = false;
  std::wstring previousStateFile_;
  std::wstring componentStateFile_;
  std::wstring serviceStateFile_;
  Ledra::ScopedLibrary component_;

  Ledra::ScopedLibrary busLibrary_;
  const Ledra::BusFunctions* busTable_ = nullptr;
  void* hostBusHandle_ = nullptr;
  void* testBusHandle_ = nullptr;
  std::shared_ptr<Ledra::MessageBusShimImpl> shim_;
  std::shared_ptr<Ledra::MessageBusClient> client_;
  std::unique_ptr<BusRecorder> recorder_;
  std::unique_ptr<Ledra::SettingsManagerClient> settingsClient_;

  std::unique_ptr<HostThread> hostThread_;
  Ledra::ScopedLibrary serviceLibrary_;
  Ledra::ScopedLibrary firewallLibrary_;
  const Ledra::ModuleFunctionTable* serviceTable_ = nullptr;
  const Ledra::ModuleFunctionTable* firewallTable_ = nullptr;
  void* serviceHandle_ = nullptr;   // host thread only
  void* firewallHandle_ = nullptr;  // host thread only
  bool firewallStopped_ = false;    // host thread only

  std::atomic<bool> unloadWhenAsked_{true};
  mutable std::mutex unloadMutex_;
  std::condition_variable unloadChanged_;
  std::vector<UnloadCall> unloadCalls_;
  bool firewallGone_ = false;
  uint32_t teardownStatus_ = 0;
};

// The worker's log lines of the firewall module, read from its log files.
class WorkerLog {
 public:
  WorkerLog();
  // True once the worker has logged taking up `name` with a payload that holds `marker`.
  bool has(const std::wstring& name, const std::wstring& marker) const;
  // Waits for that line until the deadline.
  bool waitFor(const std::wstring& name, const std::wstring& marker) const;
  // Asks for every severity in the module's log files; before the first NewModule of the program.
  static void enableAllSeverities();

 private:
  std::wstring directory_;
};

// Text unique to this run of the program, for telling this run's payloads apart.
std::wstring uniqueMarker(const wchar_t* what);

}  // namespace tarn_integration
