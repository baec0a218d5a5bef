// The firewall module as a host and its callers meet it: TarnModule.dll on the
// real bus, answering requests against the registered kit component, following
// the settings service's ignore-firewall property, and taking DirectMessage.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "firewall/TarnModuleImpl.h"
#include "tests/firewall/integration/BusTalk.h"
#include "tests/firewall/integration/TestHost.h"

namespace tarn_integration {
namespace {

// Every request name the module answers, and whether any session may send it
// (plain) or only this one (scoped).
struct ProtocolName {
  const wchar_t* name;
  bool plain;
};
const ProtocolName kProtocol[] = {
    {L"Core.Firewall.ChangeState", true},
    {L"Core.Firewall.RefreshState", true},
    {L"Core.Firewall.ProtectionStatusChange", true},
    {L"Core.Protection.IgnoreFirewall", true},
    {L"Core.Firewall.HIPS.State", true},
    {L"Core.Firewall.SetState", false},
    {L"Core.Firewall.UpdateTrafficController", false},
    {L"Core.Firewall.RefreshTrafficController", false},
    {L"Core.Firewall.UpdateSmartAdvice", false},
    {L"Core.Firewall.RefreshSmartAdvice", false},
    {L"Core.Firewall.SetHistory", false},
    {L"Core.Firewall.RefreshHistory", false},
    {L"Core.Firewall.SetIntrusionDetection", false},
    {L"Core.Firewall.RefreshIntrusionDetection", false},
    {L"Core.Firewall.AddProgramInternetConnection", false},
    {L"Core.Firewall.EditProgramInternetConnection", false},
    {L"Core.Firewall.DeleteProgramInternetConnection", false},
    {L"Core.Firewall.RefreshProgramInternetConnection", false},
    {L"Core.Firewall.AddPortsAndSystemServices", false},
    {L"Core.Firewall.UpdatePortsAndSystemServices", false},
    {L"Core.Firewall.DeletePortsAndSystemServices", false},
    {L"Core.Firewall.RefreshPortsAndSystemServices", false},
    {L"Core.Firewall.SetNetGuard", false},
    {L"Core.Firewall.EditNetGuard", false},
    {L"Core.Firewall.DeleteNetGuard", false},
    {L"Core.Firewall.RefreshNetGuard", false},
    {L"Core.Firewall.AddNetworkConnection", false},
    {L"Core.Firewall.EditNetworkConnection", false},
    {L"Core.Firewall.DeleteNetworkConnection", false},
    {L"Core.Firewall.RefreshNetworkConnection", false},
    {L"Core.Firewall.RestoreDefaults", false},
    {L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", false},
    {L"Core.Firewall.RequestUserState", false},
    {L"Core.Firewall.GetUploadedFilePath", false},
    {L"Core.Firewall.GetTrustLevel", false},
    {L"Core.Firewall.SetTrustLevel", false},
};

const ProtocolName* protocolEntry(const std::wstring& name) {
  for (const ProtocolName& entry : kProtocol) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The worker's lines are what tells a handled message from a dropped one.
class LogEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { WorkerLog::enableAllSeverities(); }
};
const auto* const logEnvironment = ::testing::AddGlobalTestEnvironment(new LogEnvironment);

class FirewallMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.ready());
    ASSERT_EQ(0u, host.startFirewall());
  }

  // Publishes and waits until the worker has taken the message up (the marker
  // goes into the payload as "probe"); the payload's other members come first.
  ::testing::AssertionResult publishAndWaitForWorker(const std::wstring& name, const std::wstring& members) {
    const std::wstring marker = uniqueMarker(L"own");
    const std::wstring payload =
        L"{" + members + (members.empty() ? L"" : L",") + L"\"probe\":\"" + marker + L"\"}";
    if (publishOn(host, name, payload) != 0) return ::testing::AssertionFailure() << "publish failed";
    if (!log.waitFor(name, marker)) return ::testing::AssertionFailure() << "the worker never took it up";
    return ::testing::AssertionSuccess();
  }

  // The firewall switched on or off through the module, waiting for its notification.
  void switchFirewall(const std::wstring& state) {
    const uint64_t after = host.nextSequence();
    ASSERT_EQ(0u, publishOn(host, kChangeState, L"{\"state\":\"" + state + L"\"}"));
    ASSERT_TRUE(host.recorder().waitFor(
        kStateNotification, after,
        [&](const SeenMessage& seen) {
          return publishedPlain(seen) && textMember(seen.payload, L"state") == state;
        },
        nullptr));
  }

  TestHost host;
  WorkerLog log;
};

TEST_F(FirewallMessages, EveryRequestNameIsSubscribedWithItsSessionKind) {
  const uint32_t own = host.ownSession();
  ASSERT_NE(0u, own) << "without a session of its own the module filters nothing";
  const uint32_t foreign = own + 1;

  size_t count = 0;
  const Ledra::TarnModuleImpl::HandlerRow* rows = Ledra::TarnModuleImpl::handlerRows(count);
  std::set<std::wstring> names;
  for (size_t i = 0; i < count; ++i) names.insert(rows[i].name);
  for (const wchar_t* core :
       {kChangeState, kRefreshState, kProtectionStatusChange, kIgnoreFirewall, kHipsState, kSetState}) {
    EXPECT_EQ(1u, names.count(core)) << narrow(core);
  }

  for (size_t i = 0; i < count; ++i) {
    const std::wstring name = rows[i].name;
    SCOPED_TRACE(narrow(name));
    const ProtocolName* entry = protocolEntry(name);
    ASSERT_NE(nullptr, entry) << "not a request name of the protocol";
    // From another session first, then from this one on the same name: the
    // bus delivers both in that order and the worker takes messages in order,
    // so once the second is taken up the first was either taken before it or dropped.
    const std::wstring foreignMarker = uniqueMarker(L"foreign");
    const std::wstring ownMarker = uniqueMarker(L"own");
    ASSERT_EQ(0u, publishOn(host, name, L"{\"probe\":\"" + foreignMarker + L"\"}", foreign));
    ASSERT_EQ(0u, publishOn(host, name, L"{\"probe\":\"" + ownMarker + L"\"}"));
    ASSERT_TRUE(log.waitFor(name, ownMarker)) << "a message from this session was not handled";
    EXPECT_EQ(entry->plain, log.has(name, foreignMarker))
        << (entry->plain ? "a plain name ignored another session"
                         : "a scoped name took another session's message");
  }
}

TEST_F(FirewallMessages, AnotherSessionCannotSetTheStateButCanChangeIt) {
  ASSERT_NE(0u, host.ownSession()) << "without a session of its own the module filters nothing";
  const uint32_t foreign = host.ownSession() + 1;
  if (firewallState(host) != L"on") switchFirewall(L"on");
  ASSERT_EQ(L"on", firewallState(host));

  // "Core.Firewall.SetState" is scoped: from another session it changes nothing.
  const std::wstring foreignMarker = uniqueMarker(L"foreign");
  ASSERT_EQ(0u,
            publishOn(host, kSetState,
                      L"{\"state\":\"off\",\"reenable\":5,\"probe\":\"" + foreignMarker + L"\"}", foreign));
  // Refused for want of "reenable": a barrier on the same name that changes nothing.
  ASSERT_TRUE(publishAndWaitForWorker(kSetState, L"\"state\":\"off\""));
  EXPECT_FALSE(log.has(kSetState, foreignMarker));
  EXPECT_EQ(L"on", firewallState(host));

  // From this session the same request switches the firewall off.
  ASSERT_TRUE(publishAndWaitForWorker(kSetState, L"\"state\":\"off\",\"reenable\":5"));
  EXPECT_EQ(L"off", firewallState(host));

  // "Core.Firewall.ChangeState" is plain: another session switches it back on.
  const uint64_t after = host.nextSequence();
  ASSERT_EQ(0u, publishOn(host, kChangeState, L"{\"state\":\"on\"}", foreign));
  SeenMessage notification;
  ASSERT_TRUE(host.recorder().waitFor(kStateNotification, after, publishedPlain, &notification));
  EXPECT_EQ(statePayload(L"on", false), notification.payload);
  EXPECT_EQ(L"on", firewallState(host));
}

TEST_F(FirewallMessages, ChangeStateSwitchesTheComponentAndPublishesAPlainState) {
  for (const std::wstring state : {L"off", L"on"}) {
    SCOPED_TRACE(narrow(state));
    const uint64_t after = host.nextSequence();
    // Sent as a request: the answer still goes out as a new message, not as the reply.
    std::shared_ptr<Ledra::Reply> reply;
    ASSERT_EQ(0u, host.bus().request(
                      Ledra::Message::create(kChangeState, kTestSender, L"{\"state\":\"" + state + L"\"}"),
                      reply, Ledra::MessageBus::Timeout(3000)));
    SeenMessage notification;
    ASSERT_TRUE(host.recorder().waitFor(kStateNotification, after, publishedPlain, &notification))
        << "no plain notification (an answer made as a reply reaches others only as its copy)";
    EXPECT_EQ(statePayload(state, false), notification.payload);
    EXPECT_EQ(host.moduleName(), notification.sender);
    EXPECT_EQ(state, firewallState(host));
    EXPECT_NE(Ledra::kReplyArrived, reply->wait()) << "the requester got a reply";
  }
}

TEST_F(FirewallMessages, ChangeStateRefusesAnythingButOnAndOff) {
  const std::wstring before = firewallState(host);
  ASSERT_TRUE(before == L"on" || before == L"off") << narrow(before);
  const std::wstring other = before == L"on" ? L"Off" : L"On";
  ASSERT_TRUE(publishAndWaitForWorker(kChangeState, L"\"state\":\"" + other + L"\""));
  EXPECT_EQ(before, firewallState(host));
}

TEST_F(FirewallMessages, StateRequestsAreAnsweredWithTheirReply) {
  switchFirewall(L"off");
  for (const wchar_t* name : {kRefreshState, kProtectionStatusChange}) {
    SCOPED_TRACE(narrow(name));
    const auto reply = ask(host, name);
    ASSERT_NE(nullptr, reply) << "no reply reached the requester";
    EXPECT_EQ(kStateNotification, reply->getName());
    EXPECT_EQ(host.moduleName(), reply->getSender());
    EXPECT_EQ(statePayload(L"off", false), reply->getPayload());
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
    const auto reply = ask(host, kHipsState);
    ASSERT_NE(nullptr, reply) << "no reply reached the requester";
    EXPECT_EQ(kHipsStatus, reply->getName());
    EXPECT_EQ(c.payload, reply->getPayload());
    EXPECT_EQ(host.moduleName(), reply->getSender());
  }
}

TEST_F(FirewallMessages, IgnoreFirewallPropertyShowsAsOffByUser) {
  for (const bool ignore : {true, false}) {
    SCOPED_TRACE(ignore);
    const std::wstring value = ignore ? L"{\"ignore_firewall\":true}" : L"{\"ignore_firewall\":false}";
    const uint64_t after = host.nextSequence();
    ASSERT_TRUE(host.settings().setProperty(std::wstring(kIgnoreFirewall), value, kRequestTimeout));
    // The module hears of the change and asks for a fresh notification itself.
    SeenMessage notification;
    ASSERT_TRUE(host.recorder().waitFor(kStateNotification, after, publishedPlain, &notification));
    EXPECT_EQ(ignore ? L"true" : L"false", boolMember(notification.payload, L"off_by_user"));
    EXPECT_EQ(host.moduleName(), notification.sender);
    // Every answer from now on carries it.
    const auto reply = ask(host, kRefreshState);
    ASSERT_NE(nullptr, reply);
    EXPECT_EQ(ignore ? L"true" : L"false", boolMember(reply->getPayload(), L"off_by_user"));
  }
}

TEST_F(FirewallMessages, DirectMessagesAreQueuedAndAnsweredLikeBusMessages) {
  switchFirewall(L"on");
  uint64_t after = host.nextSequence();
  ASSERT_EQ(0u, host.directMessage(kRefreshState, L"Kiln", L""));
  SeenMessage notification;
  ASSERT_TRUE(host.recorder().waitFor(kStateNotification, after, publishedPlain, &notification));
  EXPECT_EQ(statePayload(L"on", false), notification.payload);
  EXPECT_EQ(host.moduleName(), notification.sender);

  // A change delivered directly reaches the component as well.
  after = host.nextSequence();
  ASSERT_EQ(0u, host.directMessage(kChangeState, L"Kiln", L"{\"state\":\"off\"}"));
  ASSERT_TRUE(host.recorder().waitFor(kStateNotification, after, publishedPlain, &notification));
  EXPECT_EQ(statePayload(L"off", false), notification.payload);
  EXPECT_EQ(L"off", firewallState(host));
}

}  // namespace
}  // namespace tarn_integration
