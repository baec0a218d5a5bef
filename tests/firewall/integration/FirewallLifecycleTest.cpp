// The firewall module's life as the kit's host sees it: both initialize
// entries, the idle unload through the host's callback, and StopModule ending
// the watchdog.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/firewall/integration/BusTalk.h"

namespace tarn_test {
namespace {

constexpr wchar_t kLogGroup[] = L"firewall_lifecycle";

// The host's line for an unload; a teardown status that is not 0 is appended to it.
bool hostUnloaded(KilnRun& run, const std::wstring& reason) {
  const std::wstring line = L"host: unloaded " + std::wstring(kFirewall) + L" (" + reason + L")";
  for (const std::wstring& seen : run.host().lines()) {
    if (seen == line) return true;
  }
  return false;
}

TEST(FirewallLifecycle, InitializeModuleLoadsTheBusLibraryItselfAndAnswers) {
  KilnRun run({kLogGroup, Kiln::InitializeEntry::V1});
  ASSERT_TRUE(run.ready());

  Kiln::SeenMessage state;
  ASSERT_TRUE(run.probe().ask(kRefreshState, L"", kPatienceMs, &state)) << "no reply reached the requester";
  EXPECT_EQ(kStateNotification, state.name);
  EXPECT_EQ(kFirewall, state.sender);

  ASSERT_TRUE(setHips(true));
  Kiln::SeenMessage hips;
  ASSERT_TRUE(run.probe().ask(kHipsState, L"", kPatienceMs, &hips)) << "no reply reached the requester";
  EXPECT_EQ(kHipsStatus, hips.name);
  EXPECT_EQ(L"{\"hips.enabled\":true}", hips.payload);

  const size_t after = run.probe().mark();
  ASSERT_EQ(0u, run.probe().publish(kChangeState, L"{\"state\":\"off\"}"));
  Kiln::SeenMessage notification;
  ASSERT_TRUE(run.probe().waitFor(kStateNotification, after, publishedPlain, kPatienceMs, &notification));
  EXPECT_EQ(statePayload(L"off", false), notification.payload);
  EXPECT_EQ(L"off", firewallState(run));

  ASSERT_TRUE(run.host().modules().unload(kFirewall, L"test"));
  EXPECT_TRUE(hostUnloaded(run, L"test"));
  EXPECT_TRUE(run.unloadCalls().empty());
}

TEST(FirewallLifecycle, IdleModuleAsksTheHostOnceToUnloadItAfterItsLastMessage) {
  // Short, yet long beside the time a reply takes to reach the test.
  KilnRun run({kLogGroup, Kiln::InitializeEntry::V2, L"3000"});
  ASSERT_TRUE(run.ready());

  ASSERT_TRUE(run.probe().ask(kRefreshState, L"", kPatienceMs));
  ASSERT_TRUE(run.probe().ask(kHipsState, L"", kPatienceMs));
  const uint64_t lastAnswer = run.tick();

  // The host unloads the module on its own thread when asked.
  ASSERT_TRUE(run.host().modules().waitUnloaded(kFirewall, kPatienceMs));
  EXPECT_TRUE(hostUnloaded(run, L"asked by the module"));

  const auto calls = run.unloadCalls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_NE(GetCurrentThreadId(), calls[0].threadId) << "asked on the host's thread";
  EXPECT_GT(calls[0].tick, lastAnswer) << "asked before the last message was answered";
  EXPECT_EQ(kFirewall, calls[0].module);
  EXPECT_TRUE(calls[0].reservedWasNull);
}

TEST(FirewallLifecycle, StopModuleEndsTheWatchdogWithoutUnloading) {
  // Long enough that only StopModule can end the wait within the test's time.
  KilnRun run({kLogGroup, Kiln::InitializeEntry::V2, L"600000"});
  ASSERT_TRUE(run.ready());
  ASSERT_TRUE(run.probe().ask(kRefreshState, L"", kPatienceMs));
  // The worker re-arms after each message before it takes up the next one, so
  // once this second answer is in, the watchdog is waiting.
  ASSERT_TRUE(run.probe().ask(kHipsState, L"", kPatienceMs));

  // The host's unload calls StopModule (which wakes and joins the watchdog)
  // before DestroyModule, which would end the process if a watchdog still ran.
  ASSERT_TRUE(run.host().modules().unload(kFirewall, L"test"));
  EXPECT_TRUE(hostUnloaded(run, L"test"));
  EXPECT_TRUE(run.unloadCalls().empty());
}

TEST(FirewallLifecycle, ModuleThatHandledNothingNeverAsksToBeUnloaded) {
  KilnRun run({kLogGroup, Kiln::InitializeEntry::V2, L"1"});
  ASSERT_TRUE(run.ready());
  // No message and no property notification: no watchdog runs, so DestroyModule
  // finds none, and the host is never asked.
  ASSERT_TRUE(run.host().modules().unload(kFirewall, L"test"));
  EXPECT_TRUE(hostUnloaded(run, L"test"));
  EXPECT_TRUE(run.unloadCalls().empty());
}

}  // namespace
}  // namespace tarn_test
