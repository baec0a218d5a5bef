// The firewall module's life as a host sees it: both initialize entries, the
// idle unload through the host's callback, and StopModule ending the watchdog.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/firewall/integration/BusTalk.h"
#include "tests/firewall/integration/TestHost.h"

namespace tarn_integration {
namespace {

constexpr wchar_t kIdleSetting[] = L"Tarn.IdleUnloadMilliseconds";

class FirewallLifecycle : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.ready()); }

  TestHost host;
};

TEST_F(FirewallLifecycle, InitializeModuleLoadsTheBusLibraryItselfAndAnswers) {
  ASSERT_EQ(0u, host.startFirewall({}, InitForm::LoadsBusItself));

  const auto state = ask(host, kRefreshState);
  ASSERT_NE(nullptr, state) << "no reply reached the requester";
  EXPECT_EQ(kStateNotification, state->getName());
  EXPECT_EQ(host.moduleName(), state->getSender());

  ASSERT_TRUE(setHips(true));
  const auto hips = ask(host, kHipsState);
  ASSERT_NE(nullptr, hips) << "no reply reached the requester";
  EXPECT_EQ(kHipsStatus, hips->getName());
  EXPECT_EQ(L"{\"hips.enabled\":true}", hips->getPayload());

  const uint64_t after = host.nextSequence();
  ASSERT_EQ(0u, publishOn(host, kChangeState, L"{\"state\":\"off\"}"));
  SeenMessage notification;
  ASSERT_TRUE(host.recorder().waitFor(kStateNotification, after, publishedPlain, &notification));
  EXPECT_EQ(statePayload(L"off", false), notification.payload);
  EXPECT_EQ(L"off", firewallState(host));

  EXPECT_EQ(0u, host.unloadFirewall());
  EXPECT_TRUE(host.unloadCalls().empty());
}

TEST_F(FirewallLifecycle, IdleModuleAsksTheHostOnceToUnloadItAfterItsLastMessage) {
  // Short, yet long beside the time a reply takes to reach the test.
  ASSERT_EQ(0u, host.startFirewall({{kIdleSetting, L"3000"}}));
  const DWORD testThread = GetCurrentThreadId();

  ASSERT_NE(nullptr, ask(host, kRefreshState));
  ASSERT_NE(nullptr, ask(host, kHipsState));
  const uint64_t lastAnswer = host.nextSequence();

  // The host unloads the module on its own thread when asked.
  ASSERT_TRUE(host.waitForUnloadCalls(1));
  ASSERT_TRUE(host.waitUntilFirewallGone());
  EXPECT_EQ(0u, host.teardownStatus());

  const auto calls = host.unloadCalls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_NE(host.hostThreadId(), calls[0].threadId) << "asked on the host's thread";
  EXPECT_NE(testThread, calls[0].threadId) << "asked on the test's thread";
  EXPECT_GT(calls[0].sequence, lastAnswer) << "asked before the last message was answered";
  EXPECT_EQ(host.moduleName(), calls[0].moduleName);
  EXPECT_TRUE(calls[0].reservedWasNull);
}

TEST_F(FirewallLifecycle, StopModuleEndsTheWatchdogWithoutUnloading) {
  // Long enough that only StopModule can end the wait within the test's time.
  ASSERT_EQ(0u, host.startFirewall({{kIdleSetting, L"600000"}}));
  ASSERT_NE(nullptr, ask(host, kRefreshState));
  // The worker re-arms after each message before it takes up the next one, so
  // once this second answer is in, the watchdog is waiting.
  ASSERT_NE(nullptr, ask(host, kHipsState));

  EXPECT_EQ(0u, host.stopFirewall());  // wakes and joins the watchdog

  // The worker still answers after StopModule, and no watchdog starts again:
  // DestroyModule would end the process if one were running.
  const auto reply = ask(host, kRefreshState);
  ASSERT_NE(nullptr, reply);
  EXPECT_EQ(kStateNotification, reply->getName());
  EXPECT_EQ(0u, host.unloadFirewall());
  EXPECT_TRUE(host.unloadCalls().empty());
}

TEST_F(FirewallLifecycle, ModuleThatHandledNothingNeverAsksToBeUnloaded) {
  ASSERT_EQ(0u, host.startFirewall({{kIdleSetting, L"1"}}));
  // No message and no property notification: no watchdog runs, so DestroyModule
  // finds none, and the host is never asked.
  EXPECT_EQ(0u, host.unloadFirewall());
  EXPECT_TRUE(host.unloadCalls().empty());
}

}  // namespace
}  // namespace tarn_integration
