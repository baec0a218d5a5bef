// The kit's host run inside a test: MessageBus.dll, the settings service
// (SettingsManager.dll), the registered firewall component (BxFWConfig.dll)
// and the firewall module (TarnModule.dll), all from the bin folder, with
// state files of their own, plus a bus probe for the test's own talking.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "kit/Kiln/BusProbe.h"
#include "kit/Kiln/HostRun.h"

namespace tarn_test {

// How long a test waits for anything the module or the bus should do.
constexpr uint32_t kPatienceMs = 60000;
constexpr wchar_t kFirewall[] = L"Tarn.Firewall";
// Every severity, so that the worker's lines show which message it takes up.
constexpr wchar_t kEverySeverity[] = L"Severity=1\n";

struct RunOptions {
  RunOptions(std::wstring group, Kiln::InitializeEntry initialize = Kiln::InitializeEntry::V2,
             std::wstring idle = L"", std::wstring logSettings = L"")
      : logGroup(std::move(group)),
        entry(initialize),
        idleMs(std::move(idle)),
        logIni(std::move(logSettings)) {}
  std::wstring logGroup;        // the modules' log group, one per test program
  Kiln::InitializeEntry entry;  // of the firewall module
  std::wstring idleMs;          // Tarn.IdleUnloadMilliseconds; empty: the module's own
  std::wstring logIni;          // the firewall module's log.ini; given: a fresh log as well
};

// One call of the host's unload service.
struct UnloadCall {
  DWORD threadId;
  uint64_t tick;
  std::wstring module;
  bool reservedWasNull;
};

class KilnRun {
 public:
  explicit KilnRun(const RunOptions& options);
  ~KilnRun();
  KilnRun(const KilnRun&) = delete;
  KilnRun& operator=(const KilnRun&) = delete;

  ::testing::AssertionResult ready() const;
  Kiln::HostRun& host() { return *host_; }
  Kiln::BusProbe& probe() { return *probe_; }
  Kiln::ModuleConfig firewallConfig() const { return firewall_; }

  // A counter that orders the test's own events with the unload calls.
  uint64_t tick() { return ++ticks_; }
  std::vector<UnloadCall> unloadCalls() const;

  // The firewall module's log lines; the worker's "processing" line of a payload holding the marker.
  std::vector<std::wstring> logLines() const;
  bool workerTook(const std::wstring& name, const std::wstring& marker) const;
  bool waitForWorker(const std::wstring& name, const std::wstring& marker) const;

 private:
  bool comEntered_ = false;
  std::wstring work_;
  std::wstring logFolder_;
  Kiln::ModuleConfig firewall_;
  std::atomic<uint64_t> ticks_{0};
  mutable std::mutex unloadMutex_;
  std::vector<UnloadCall> unloadCalls_;
  std::unique_ptr<Kiln::HostRun> host_;
  std::unique_ptr<Kiln::BusProbe> probe_;
};

// Text unique to this program run, for telling one payload from another.
std::wstring uniqueMarker(const wchar_t* what);

}  // namespace tarn_test
