// Many lives of the firewall module in one host process: created, initialized,
// started, given traffic, and stopped, uninitialized and destroyed with
// requests still queued, while another thread keeps setting the ignore-firewall
// property so that its notifications race every step. A watchdog ends the
// program with a message when a step hangs; committed private bytes must stay
// flat over the second half of the cycles.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kit/Kiln/Text.h"
#include "tests/stress/StressRun.h"
#include "tests/support/KilnRun.h"

namespace tarn_test {
namespace {

constexpr auto kHang = std::chrono::seconds(10);
constexpr size_t kQueuedAtDestruction = 20;
// Bytes are not times. A module's life leaves nothing measurable once its
// libraries stay loaded; unloading and loading them again leaves about 3 KB of
// the C++ runtime's and the loader's own bookkeeping a cycle. The runtime's
// 73 KB exception pool, or a worker thread's stack, would not pass.
constexpr double kGrowthPerCycleBound = 16 * 1024;

// Wine leaves PrivateUsage at 0; the commit charge (PagefileUsage) is the same figure on Windows.
double committedPrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof(counters));
  return static_cast<double>(counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage);
}

// The lowest free TLS index of the process: it climbs by one for every index
// that an unloaded library leaves behind, and a process has only 1,088.
DWORD lowestFreeTlsIndex() {
  const DWORD index = TlsAlloc();
  TlsFree(index);
  return index;
}

// Least-squares slope of the samples against their index: bytes per cycle.
double slope(const std::vector<double>& samples) {
  const double n = static_cast<double>(samples.size());
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    sx += i;
    sy += samples[i];
    sxx += static_cast<double>(i) * i;
    sxy += i * samples[i];
  }
  return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

// Ends the program with a message when no step has finished for kHang.
class Watchdog {
 public:
  Watchdog() : thread_([this] { watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  void step(unsigned cycle, const char* what) {
    std::lock_guard<std::mutex> lock(mutex_);
    cycle_ = cycle;
    what_ = what;
    ++steps_;
    changed_.notify_all();
  }

 private:
  void watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
      const unsigned long long steps = steps_;
      if (!changed_.wait_for(lock, kHang, [&] { return done_ || steps_ != steps; })) {
        std::fprintf(stderr, "lifecycle: cycle %u hung for 10 s in %s; ending the program\n", cycle_, what_);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
  unsigned long long steps_ = 0;
  unsigned cycle_ = 0;
  const char* what_ = "setting up";
  std::thread thread_;
};

TEST(Lifecycle, CyclesWithQueuedRequestsAndRacingNotificationsNeitherHangNorGrow) {
  const unsigned cycles = stressCount("TARN_STRESS_CYCLES", 100);
  Watchdog watchdog;
  KilnRun run({L"stress_lifecycle"});
  ASSERT_TRUE(run.ready());
  run.host().traffic().hide(L".*");

  std::atomic<bool> racing{true};
  std::atomic<unsigned> propertySets{0};
  std::thread racer([&] {
    for (bool ignore = true; racing; ignore = !ignore) {
      const std::wstring value = ignore ? L"{\"ignore_firewall\":true}" : L"{\"ignore_firewall\":false}";
      const size_t from = run.probe().mark();
      if (run.probe().ask(L"SETTINGS_MANAGER_SET_PROPERTY",
                          L"{\"name\":\"Core.Protection.IgnoreFirewall\",\"value\":" +
                              Kiln::jsonQuote(value) + L",\"volatile\":true}",
                          5000)) {
        ++propertySets;
      }
      // At the module's pace: its state notification for this change, or a second when it is not there.
      run.probe().waitFor(L"Core.Firewall.State", from, nullptr, 1000);
    }
  });

  std::vector<double> bytes;
  DWORD tlsAtHalf = 0;
  for (unsigned cycle = 1; cycle <= cycles && !HasFatalFailure(); ++cycle) {
    watchdog.step(cycle, "a state request");
    EXPECT_TRUE(run.probe().ask(L"Core.Firewall.RefreshState", L"", kPatienceMs)) << "cycle " << cycle;
    // Published, not asked: still queued when the host begins to take the module down.
    for (size_t i = 0; i < kQueuedAtDestruction; ++i) {
      run.probe().publish(
          i % 2 ? L"Core.Firewall.RefreshSmartAdvice" : L"Core.Firewall.RefreshTrafficController", L"");
    }
    watchdog.step(cycle, "StopModule, UninitializeModule, DestroyModule");
    ASSERT_TRUE(run.host().modules().unload(kFirewall, L"cycle")) << "cycle " << cycle;
    run.probe().forget();
    bytes.push_back(committedPrivateBytes());
    if (cycle == (cycles + 1) / 2) tlsAtHalf = lowestFreeTlsIndex();
    watchdog.step(cycle, "NewModule, InitializeModuleV2, StartModule");
    ASSERT_TRUE(run.host().modules().load(run.firewallConfig())) << "cycle " << cycle;
  }
  racing = false;
  racer.join();

  watchdog.step(cycles, "the host's end");

  ASSERT_EQ(cycles, bytes.size());
  const std::vector<double> lastHalf(bytes.begin() + bytes.size() / 2, bytes.end());
  const double growth = lastHalf.size() > 1 ? slope(lastHalf) : 0;
  char figures[200];
  std::snprintf(figures, sizeof(figures),
                "lifecycle: %u cycles, %u property sets raced them, committed private bytes %.1f MiB at the "
                "half, %.1f MiB at the end, %.0f bytes per cycle over the second half",
                cycles, propertySets.load(), lastHalf.front() / 1048576, lastHalf.back() / 1048576, growth);
  stressSummary(figures);
  EXPECT_GT(propertySets.load(), 0u) << "no notification raced the cycles";
  EXPECT_LT(growth, kGrowthPerCycleBound);
  // A little room for an index another thread holds for a moment.
  EXPECT_LE(lowestFreeTlsIndex(), tlsAtHalf + 2) << "TLS indexes left behind by unloaded libraries";
}

}  // namespace
}  // namespace tarn_test
