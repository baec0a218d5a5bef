#include "bus/MessageBusClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "bus/ReplyImpl.h"
#include "include/ModuleStatus.h"
#include "tests/bus/FakeShim.h"
#include "tests/support/LogScope.h"

namespace Ledra {
namespace {

using std::chrono::milliseconds;
using tarn_test::LogScope;
using testing::FakeProcessAPI;
using testing::FakeShim;

std::shared_ptr<Message> makeMessage(const std::wstring& name, uint32_t flags = 0, uint32_t session = 0) {
  auto message = Message::create(name, L"tester", L"{}");
  message->getHeader()->flags = flags;
  message->getHeader()->sessionId = session;
  return message;
}

class ClientTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakeShim> shim = std::make_shared<FakeShim>();
  std::unique_ptr<MessageBusClient> client =
      std::make_unique<MessageBusClient>(shim, std::make_shared<FakeProcessAPI>(true, 5));

  // Subscribes a callback that counts its calls.
  std::shared_ptr<int> counter() { return std::make_shared<int>(0); }
  static MessageBus::Callback counting(const std::shared_ptr<int>& count) {
    return [count](std::shared_ptr<Message>) -> unsigned long {
      ++*count;
      return 0;
    };
  }
};

TEST_F(ClientTest, ReplyGoesOutOnceMoreAsOrdinaryMessageUnlessCopyBitsSay) {
  struct Case {
    uint32_t flags;
    size_t publishes;
  } cases[] = {
      {kMessageFlagReply, 2},
      {kMessageFlagReply | kMessageFlagNonReplyCopy, 1},
      {kMessageFlagReply | kMessageFlagCopyHandled, 1},
      {0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    auto message = makeMessage(L"Core.Answer", c.flags);
    for (bool variant : {false, true}) {
      shim->published.clear();
      message->getHeader()->flags = c.flags;
      std::memset(message->getHeader()->destinationCookie, 0xAB, 8);
      ASSERT_EQ(0u, variant ? client->publishVariant(message) : client->publish(message));
      ASSERT_EQ(c.publishes, shim->published.size());
      EXPECT_EQ(variant, shim->published[0].variant);
      EXPECT_EQ(0xAB, shim->published[0].header.destinationCookie[7]);
      if (c.publishes == 2) {
        EXPECT_EQ(kMessageFlagReply | kMessageFlagNonReplyCopy, shim->published[0].header.flags);
        const MessageHeader& copy = shim->published[1].header;
        EXPECT_EQ(kMessageFlagNonReplyCopy, copy.flags);
        EXPECT_EQ(variant, shim->published[1].variant);
        for (uint8_t byte : copy.destinationCookie) EXPECT_EQ(0, byte);
      } else {
        EXPECT_EQ(c.flags, shim->published[0].header.flags);
      }
    }
  }
}

TEST_F(ClientTest, FailedPublishIsReturnedWhileFailedCopyIsNot) {
  const LogScope log;
  const std::wstring code = std::to_wstring(MODULE_STATUS_NO_SUBSCRIBERS) + L".";
  shim->publishResults = {MODULE_STATUS_NO_SUBSCRIBERS};
  EXPECT_EQ(MODULE_STATUS_NO_SUBSCRIBERS, client->publish(makeMessage(L"A", kMessageFlagReply)));
  EXPECT_EQ(1u, shim->published.size());
  EXPECT_TRUE(log.has({L"Error", L"Failed to publish message. Error code " + code, L"MessageBusClient",
                       L"Ledra::MessageBusClient::internalPublish"}));

  shim->published.clear();
  shim->publishResults = {0, MODULE_STATUS_NO_SUBSCRIBERS};
  EXPECT_EQ(0u, client->publish(makeMessage(L"A", kMessageFlagReply)));
  EXPECT_EQ(2u, shim->published.size());
  EXPECT_TRUE(log.has({L"Warning", L"Failed to publish non-reply copy of the message. Error code " + code,
                       L"MessageBusClient", L"Ledra::MessageBusClient::internalPublish"}));
}

TEST_F(ClientTest, EmptyMessageIsRefusedWithoutCallingTheLibrary) {
  std::shared_ptr<Reply> reply;
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, client->publish(nullptr));
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, client->request(nullptr, reply, milliseconds(10)));
  EXPECT_TRUE(shim->published.empty());
  EXPECT_TRUE(shim->requested.empty());
}

TEST_F(ClientTest, RequestsTakeSuccessiveReplyIndexesAndPassTheirTimeout) {
  std::shared_ptr<Reply> first, second;
  ASSERT_EQ(0u, client->request(makeMessage(L"Q"), first, milliseconds(5000)));
  ASSERT_EQ(0u, client->requestVariant(makeMessage(L"Q"), second, milliseconds(7)));
  ASSERT_EQ(2u, shim->requested.size());
  EXPECT_EQ(0u, shim->requested[0].index);
  EXPECT_EQ(1u, shim->requested[1].index);
  EXPECT_EQ(5000u, shim->requested[0].timeoutMs);
  EXPECT_FALSE(shim->requested[0].variant);
  EXPECT_TRUE(shim->requested[1].variant);
  EXPECT_EQ(kReplyPending, first->getStatus());
}

TEST_F(ClientTest, FailedRequestLeavesNoPendingEntryAndKeepsTheOutHandle) {
  shim->requestResult = MODULE_STATUS_NO_SUBSCRIBERS;
  std::shared_ptr<Reply> reply;
  EXPECT_EQ(MODULE_STATUS_NO_SUBSCRIBERS, client->request(makeMessage(L"Q"), reply, milliseconds(100)));
  EXPECT_EQ(nullptr, reply);
  int called = 0;
  EXPECT_EQ(MODULE_STATUS_NO_SUBSCRIBERS,
            client->request(
                makeMessage(L"Q"), [&](std::shared_ptr<Reply>) { ++called; }, milliseconds(100)));
  for (const auto& request : shim->requested) {
    EXPECT_EQ(MODULE_STATUS_NOT_FOUND, (*request.replyFunction)(request.index, makeMessage(L"R"), 0));
  }
  EXPECT_EQ(0, called);
}

TEST_F(ClientTest, ReplyIndexArrivingTwiceIsNotFoundTheSecondTime) {
  std::shared_ptr<Reply> reply;
  ASSERT_EQ(0u, client->request(makeMessage(L"Q"), reply, milliseconds(5000)));
  const auto& sent = shim->requested.at(0);
  auto answer = makeMessage(L"R");
  EXPECT_EQ(0u, (*sent.replyFunction)(sent.index, answer, 0));
  EXPECT_EQ(MODULE_STATUS_NOT_FOUND, (*sent.replyFunction)(sent.index, answer, 0));
  EXPECT_EQ(kReplyArrived, reply->wait());
  EXPECT_EQ(answer, reply->getMessage());
}

TEST_F(ClientTest, LibraryStatusDecidesTheReplyStatus) {
  struct Case {
    bool withMessage;
    unsigned long status;
    uint32_t expected;
  } cases[] = {
      {true, 0, kReplyArrived},
      {false, 0, kReplyNoReply},
      {false, MODULE_STATUS_TIMEOUT, kReplyNoReply},
      {true, MODULE_STATUS_UNSUCCESSFUL, kReplyNoReply},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    shim->requested.clear();
    std::shared_ptr<Reply> reply;
    ASSERT_EQ(0u, client->request(makeMessage(L"Q"), reply, milliseconds(5000)));
    const auto& sent = shim->requested.at(0);
    (*sent.replyFunction)(sent.index, c.withMessage ? makeMessage(L"R") : nullptr, c.status);
    EXPECT_EQ(c.expected, reply->wait());
    EXPECT_EQ(c.expected == kReplyArrived, reply->getMessage() != nullptr);
    EXPECT_EQ(c.expected, reply->waitFor(milliseconds(1)));  // settled once and for all
  }
}

TEST_F(ClientTest, UnansweredRequestTimesOutAtItsDeadlineAndNotBefore) {
  // Measured on the clock the deadline is set on, so that the bound is exact.
  const int64_t sent = ReplyImpl::nowMilliseconds();
  std::shared_ptr<Reply> reply;
  ASSERT_EQ(0u, client->request(makeMessage(L"Q"), reply, milliseconds(1500)));
  EXPECT_EQ(kReplyPending, reply->waitFor(milliseconds(1)));
  EXPECT_EQ(kReplyTimedOut, reply->wait());
  EXPECT_GE(ReplyImpl::nowMilliseconds() - sent, 1500) << "gave up before the deadline";
  EXPECT_EQ(nullptr, reply->getMessage());
  // A reply that comes after the deadline changes nothing.
  const auto& request = shim->requested.at(0);
  (*request.replyFunction)(request.index, makeMessage(L"R"), 0);
  EXPECT_EQ(kReplyTimedOut, reply->wait());
}

TEST_F(ClientTest, CallbackFormHandsTheSettledReplyToTheCaller) {
  struct Case {
    unsigned long status;
    uint32_t expected;
  } cases[] = {{0, kReplyArrived}, {MODULE_STATUS_TIMEOUT, kReplyNoReply}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    shim->requested.clear();
    std::vector<std::shared_ptr<Reply>> received;
    ASSERT_EQ(0u, client->request(
                      makeMessage(L"Q"), [&](std::shared_ptr<Reply> reply) { received.push_back(reply); },
                      milliseconds(5000)));
    EXPECT_TRUE(received.empty());
    const auto& sent = shim->requested.at(0);
    auto answer = makeMessage(L"R");
    EXPECT_EQ(0u, (*sent.replyFunction)(sent.index, answer, c.status));
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(c.expected, received[0]->getStatus());
    EXPECT_EQ(c.expected == kReplyArrived ? answer : nullptr, received[0]->getMessage());
  }
}

TEST_F(ClientTest, SessionFilterDropsOnlyMessagesOfOtherSessions) {
  struct Case {
    bool sessionKnown;
    uint32_t messageSession;
    uint16_t version;
    bool delivered;
  } cases[] = {
      {true, 0, 2, true},  {true, 5, 2, true},
      {true, 7, 2, false}, {true, 7, 1, true},  // a version-1 header carries no session
      {false, 7, 2, true},                      // unknown own session: no filter at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.messageSession);
    auto fake = std::make_shared<FakeShim>();
    MessageBusClient sessionClient(fake, std::make_shared<FakeProcessAPI>(c.sessionKnown, 5));
    auto count = counter();
    ASSERT_EQ(0u, sessionClient.subscribeInSession(L"Core.Note", counting(count)));
    ASSERT_EQ(0u, sessionClient.subscribeFilterInSession(L"Core\\..*", L"filter", counting(count)));
    auto message = makeMessage(L"Core.Note", 0, c.messageSession);
    message->getHeader()->version = c.version;
    for (const wchar_t* subscribedAs : {L"Core.Note", L"Core\\..*"}) {
      const auto results = fake->deliver(subscribedAs, message);
      ASSERT_EQ(1u, results.size());
      EXPECT_EQ(0u, results[0]);
    }
    EXPECT_EQ(c.delivered ? 2 : 0, *count);
  }
}

TEST_F(ClientTest, FailedSubscriptionIsNotKept) {
  shim->failSubscriptions = true;
  auto count = counter();
  EXPECT_EQ(MODULE_STATUS_UNSUCCESSFUL, client->subscribe(L"Core.A", L"a", counting(count)));
  EXPECT_EQ(MODULE_STATUS_UNSUCCESSFUL, client->subscribeFilter(L"Core\\..*", L"a", counting(count)));
  client->deliverDirect(makeMessage(L"Core.A"));
  EXPECT_EQ(0, *count);
  EXPECT_EQ(0u, client->unsubscribe(L"a"));
  EXPECT_TRUE(shim->unsubscribed.empty());
}

TEST_F(ClientTest, BadPatternIsRefusedAndStoresNothing) {
  auto count = counter();
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, client->subscribeFilter(L"(", counting(count)));
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, client->subscribeFilterInSession(L"(", L"x", counting(count)));
  EXPECT_EQ(0, shim->filterCalls);
  client->deliverDirect(makeMessage(L"("));
  EXPECT_EQ(0, *count);
}

TEST_F(ClientTest, UnsubscribeDropsExactIdsThenFilterIdsOfTheAlias) {
  auto count = counter();
  ASSERT_EQ(0u, client->subscribe(L"Core.A", L"group", counting(count)));           // id 100
  ASSERT_EQ(0u, client->subscribeFilter(L"Core\\..*", L"group", counting(count)));  // id 101
  ASSERT_EQ(0u, client->subscribe(L"Core.B", L"group", counting(count)));           // id 102
  ASSERT_EQ(0u, client->subscribe(L"Core.C", counting(count)));                     // id 103, alias = name
  EXPECT_EQ(0u, client->unsubscribe(L"group"));
  EXPECT_EQ((std::vector<uint32_t>{100, 102, 101}), shim->unsubscribed);
  const LogScope log;
  EXPECT_EQ(0u, client->unsubscribe(L"group"));
  EXPECT_EQ(0u, client->unsubscribe(L"never subscribed"));
  EXPECT_TRUE(log.has({L"Warning", L"Subscription not found. Alias: group.", L"MessageBusClient",
                       L"Ledra::MessageBusClient::unsubscribe"}));
  EXPECT_TRUE(log.has({L"Warning", L"Subscription not found. Alias: never subscribed."}));
  EXPECT_EQ(3u, shim->unsubscribed.size());
  EXPECT_EQ(0u, client->unsubscribe(L"Core.C"));
  EXPECT_EQ(103u, shim->unsubscribed.back());
}

TEST_F(ClientTest, DestructionDropsEverySubscriptionAndReleasesTheReplyAdapter) {
  auto count = counter();
  ASSERT_EQ(0u, client->subscribe(L"Core.A", counting(count)));
  ASSERT_EQ(0u, client->subscribeFilter(L"Core\\..*", L"other", counting(count)));
  client.reset();
  EXPECT_EQ(2u, shim->unsubscribed.size());
  EXPECT_EQ(1, shim->replyAdapterReleases);
}

TEST_F(ClientTest, DirectDeliveryReachesExactNamesAndWholeNamePatterns) {
  std::vector<std::wstring> calls;
  auto record = [&](const wchar_t* who) {
    return [&calls, who](std::shared_ptr<Message>) -> unsigned long {
      calls.push_back(who);
      return MODULE_STATUS_UNSUCCESSFUL;  // results are ignored
    };
  };
  ASSERT_EQ(0u, client->subscribe(L"Core.Firewall.Get", record(L"exact")));
  ASSERT_EQ(0u, client->subscribe(L"Core.Firewall.Set", record(L"other name")));
  ASSERT_EQ(0u, client->subscribeFilter(L"Core\\.Firewall\\..*", record(L"whole match")));
  ASSERT_EQ(0u, client->subscribeFilter(L"Firewall", record(L"partial match")));
  EXPECT_EQ(0u, client->deliverDirect(makeMessage(L"Core.Firewall.Get")));
  std::sort(calls.begin(), calls.end());
  EXPECT_EQ((std::vector<std::wstring>{L"exact", L"whole match"}), calls);
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, client->deliverDirect(nullptr));
}

TEST(ClientSession, SessionIdComesFromTheProcessOrIsZero) {
  auto shim = std::make_shared<FakeShim>();
  EXPECT_EQ(5u, MessageBusClient(shim, std::make_shared<FakeProcessAPI>(true, 5)).getSessionId());
  EXPECT_EQ(0u, MessageBusClient(shim, std::make_shared<FakeProcessAPI>(false, 5)).getSessionId());
}

}  // namespace
}  // namespace Ledra
