// The firewall module as its callers meet it through the kit's host:
// TarnModule.dll on the real bus, answering requests against the registered
// kit component, following the settings service's ignore-firewall property,
// and taking DirectMessage.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "kit/Kiln/Text.h"
#include "tests/firewall/integration/BusTalk.h"
#include "tests/support/RequestTable.h"

namespace tarn_test {
namespace {

std::string narrow(const std::wstring& text) { return Kiln::toUtf8(text); }

// The process's own session, which the bus gives a message published with session 0.
uint32_t ownSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

class FirewallMessages : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(run.ready()); }

  // Publishes and waits until the worker has taken the message up (the marker
  // goes into the payload as "probe"); the payload's other members come first.
  ::testing::AssertionResult publishAndWaitForWorker(const std::wstring& name, const std::wstring& members) {
    const std::wstring marker = uniqueMarker(L"own");
    const std::wstring payload =
        L"{" + members + (members.empty() ? L"" : L",") + L"\"probe\":\"" + marker + L"\"}";
    if (run.probe().publish(name, payload) != 0) return ::testing::AssertionFailure() << "publish failed";
    if (!run.waitForWorker(name, marker))
      return ::testing::AssertionFailure() << "the worker never took it up";
    return ::testing::AssertionSuccess();
  }

  // Waits for the next plain state notification, from the mark on.
  ::testing::AssertionResult notified(size_t after, Kiln::SeenMessage& notification) {
    if (run.probe().waitFor(kStateNotification, after, publishedPlain, kPatienceMs, &notification))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no plain state notification";
  }

  // The firewall switched on or off through the module, waiting for its notification.
  void switchFirewall(const std::wstring& state) {
    const size_t after = run.probe().mark();
    ASSERT_EQ(0u, run.probe().publish(kChangeState, L"{\"state\":\"" + state + L"\"}"));
    ASSERT_TRUE(run.probe().waitFor(
        kStateNotification, after,
        [&](const Kiln::SeenMessage& seen) {
          return publishedPlain(seen) && textMember(seen.payload, L"state") == state;
        },
        kPatienceMs));
  }

  KilnRun run{{L"firewall_messages", Kiln::InitializeEntry::V2, L"", kEverySeverity}};
};

TEST_F(FirewallMessages, EveryRequestNameIsSubscribedWithItsSessionKind) {
  const uint32_t own = ownSession();
  ASSERT_NE(0u, own) << "without a session of its own the module filters nothing";
  const uint32_t foreign = own + 1;
  for (const RequestRow& row : kRequests) {
    SCOPED_TRACE(narrow(row.name));
    // From another session first, then from this one on the same name: the
    // bus delivers both in that order and the worker takes messages in order,
    // so once the second is taken up the first was either taken before it or dropped.
    const std::wstring foreignMarker = uniqueMarker(L"foreign");
    const std::wstring ownMarker = uniqueMarker(L"own");
    ASSERT_EQ(0u, run.probe().publish(row.name, L"{\"probe\":\"" + foreignMarker + L"\"}", foreign));
    ASSERT_EQ(0u, run.probe().publish(row.name, L"{\"probe\":\"" + ownMarker + L"\"}"));
    ASSERT_TRUE(run.waitForWorker(row.name, ownMarker)) << "a message from this session was not handled";
    EXPECT_EQ(row.plain, run.workerTook(row.name, foreignMarker))
        << (row.plain ? "a plain name ignored another session"
                      : "a scoped name took another session's message");
  }
}

TEST_F(FirewallMessages, AnotherSessionCannotSetTheStateButCanChangeIt) {
  const uint32_t foreign = ownSession() + 1;
  if (firewallState(run) != L"on") switchFirewall(L"on");
  ASSERT_EQ(L"on", firewallState(run));

  // "Core.Firewall.SetState" is scoped: from another session it changes nothing.
  const std::wstring foreignMarker = uniqueMarker(L"foreign");
  ASSERT_EQ(0u, run.probe().publish(
                    kSetState, L"{\"state\":\"off\",\"reenable\":5,\"probe\":\"" + foreignMarker + L"\"}",
                    foreign));
  // Refused for want of "reenable": a barrier on the same name that changes nothing.
  ASSERT_TRUE(publishAndWaitForWorker(kSetState, L"\"state\":\"off\""));
  EXPECT_FALSE(run.workerTook(kSetState, foreignMarker));
  EXPECT_EQ(L"on", firewallState(run));

  // From this session the same request switches the firewall off.
  ASSERT_TRUE(publishAndWaitForWorker(kSetState, L"\"state\":\"off\",\"reenable\":5"));
  EXPECT_EQ(L"off", firewallState(run));

  // "Core.Firewall.ChangeState" is plain: another session switches it back on.
  const size_t after = run.probe().mark();
  ASSERT_EQ(0u, run.probe().publish(kChangeState, L"{\"state\":\"on\"}", foreign));
  Kiln::SeenMessage notification;
  ASSERT_TRUE(notified(after, notification));
  EXPECT_EQ(statePayload(L"on", false), notification.payload);
  EXPECT_EQ(L"on", firewallState(run));
}

TEST_F(FirewallMessages, ChangeStateSwitchesTheComponentAndPublishesAPlainState) {
  for (const std::wstring state : {L"off", L"on"}) {
    SCOPED_TRACE(narrow(state));
    const size_t after = run.probe().mark();
    // Sent as a request: the answer still goes out as a new message, not as the reply.
    EXPECT_FALSE(run.probe().ask(kChangeState, L"{\"state\":\"" + state + L"\"}", 2000))
        << "the requester got a reply";
    Kiln::SeenMessage notification;
    ASSERT_TRUE(notified(after, notification)) << "an answer made as a reply reaches others only as its copy";
    EXPECT_EQ(statePayload(state, false), notification.payload);
    EXPECT_EQ(kFirewall, notification.sender);
    EXPECT_EQ(state, firewallState(run));
  }
}

TEST_F(FirewallMessages, StateRequestsAreAnsweredWithTheirReply) {
  switchFirewall(L"off");
  for (const wchar_t* name : {kRefreshState, kProtectionStatusChange}) {
    SCOPED_TRACE(narrow(name));
    Kiln::SeenMessage reply;
    ASSERT_TRUE(run.probe().ask(name, L"", kPatienceMs, &reply)) << "no reply reached the requester";
    EXPECT_EQ(kStateNotification, reply.name);
    EXPECT_EQ(kFirewall, reply.sender);
    EXPECT_EQ(statePayload(L"off", false), reply.payload);
  }
}

TEST_F(FirewallMessages, HipsStateAnswersExactlyUnderHipsStatus) {
  const struct {
    bool enabled;
    const wchar_t* payload;
  } cases[] = {{true, L"{\"hips.enabled\":true}"}, {false, L"{\"hips.enabled\":false}"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.enabled);
    ASSERT_TRUE(setHips(c.enabled));
    Kiln::SeenMessage reply;
    ASSERT_TRUE(run.probe().ask(kHipsState, L"", kPatienceMs, &reply)) << "no reply reached the requester";
    EXPECT_EQ(kHipsStatus, reply.name);
    EXPECT_EQ(c.payload, reply.payload);
    EXPECT_EQ(kFirewall, reply.sender);
  }
}

TEST_F(FirewallMessages, IgnoreFirewallPropertyShowsAsOffByUser) {
  for (const bool ignore : {true, false}) {
    SCOPED_TRACE(ignore);
    const std::wstring value = ignore ? L"{\"ignore_firewall\":true}" : L"{\"ignore_firewall\":false}";
    const size_t after = run.probe().mark();
    Kiln::SeenMessage stored;
    ASSERT_TRUE(run.probe().ask(L"SETTINGS_MANAGER_SET_PROPERTY",
                                L"{\"name\":" + Kiln::jsonQuote(kIgnoreFirewall) + L",\"value\":" +
                                    Kiln::jsonQuote(value) + L",\"volatile\":false}",
                                kPatienceMs, &stored));
    ASSERT_EQ(L"true", boolMember(stored.payload, L"status"));
    // The module hears of the change and asks for a fresh notification itself.
    Kiln::SeenMessage notification;
    ASSERT_TRUE(notified(after, notification));
    EXPECT_EQ(ignore ? L"true" : L"false", boolMember(notification.payload, L"off_by_user"));
    EXPECT_EQ(kFirewall, notification.sender);
    // Every answer from now on carries it.
    Kiln::SeenMessage reply;
    ASSERT_TRUE(run.probe().ask(kRefreshState, L"", kPatienceMs, &reply));
    EXPECT_EQ(ignore ? L"true" : L"false", boolMember(reply.payload, L"off_by_user"));
  }
}

TEST_F(FirewallMessages, DirectMessagesAreQueuedAndAnsweredLikeBusMessages) {
  switchFirewall(L"on");
  size_t after = run.probe().mark();
  uint32_t status = 1;
  ASSERT_TRUE(run.host().modules().direct(kFirewall, kRefreshState, L"", status));
  ASSERT_EQ(0u, status);
  Kiln::SeenMessage notification;
  ASSERT_TRUE(notified(after, notification));
  EXPECT_EQ(statePayload(L"on", false), notification.payload);
  EXPECT_EQ(kFirewall, notification.sender);

  // A change delivered directly reaches the component as well.
  after = run.probe().mark();
  ASSERT_TRUE(run.host().modules().direct(kFirewall, kChangeState, L"{\"state\":\"off\"}", status));
  ASSERT_EQ(0u, status);
  ASSERT_TRUE(notified(after, notification));
  EXPECT_EQ(statePayload(L"off", false), notification.payload);
  EXPECT_EQ(L"off", firewallState(run));
}

}  // namespace
}  // namespace tarn_test
