// Against the real, signed MessageBus.dll in the bin folder: every client loads
// it through MessageBusLib, and all their handles join the process-wide bus.
#include "bus/MessageBusLib.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <vector>

#include "bus/MessageBusClient.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "message/Reply.h"
#include "tests/support/Inbox.h"
#include "include/ModuleException.h"

namespace Ledra {
namespace {

using tarn_test::Inbox;

MessageBus::Callback collect(Inbox<std::shared_ptr<Message>>& inbox) {
  return [&inbox](std::shared_ptr<Message> message) -> unsigned long {
    inbox.add(message);
    return 0;
  };
}

class BusLibraryTest : public ::testing::Test {
 protected:
  // The host loads the bus once and keeps it for the life of the process; so
  // does this program, instead of loading and unloading it for every test.
  static void SetUpTestSuite() {
    MessageBusLib first;
    HMODULE pinned = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"MessageBus.dll", &pinned));
  }

  MessageBusClient sender;
  MessageBusClient receiver;
};

TEST_F(BusLibraryTest, PublishedMessageReachesExactAndPatternSubscribers) {
  Inbox<std::shared_ptr<Message>> exact, pattern, inSession;
  ASSERT_EQ(0u, receiver.subscribe(L"Test.Bus.Publish", collect(exact)));
  ASSERT_EQ(0u, receiver.subscribeFilter(L"Test\\.Bus\\.Pub.*", collect(pattern)));
  ASSERT_EQ(0u, receiver.subscribeInSession(L"Test.Bus.Publish", L"session", collect(inSession)));
  ASSERT_EQ(0u, sender.publish(Message::create(L"Test.Bus.Publish", L"sender", L"{\"n\":1}")));
  for (auto* inbox : {&exact, &pattern, &inSession}) {
    ASSERT_TRUE(inbox->waitFor(1));
    const auto message = inbox->items()[0];
    EXPECT_EQ(L"Test.Bus.Publish", message->getName());
    EXPECT_EQ(L"sender", message->getSender());
    EXPECT_EQ(L"{\"n\":1}", message->getPayload());
  }
}

TEST_F(BusLibraryTest, ReplyReachesTheRequesterAndItsCopyAnOrdinarySubscriber) {
  // The answering side replies from the bus's delivery thread.
  ASSERT_EQ(0u, receiver.subscribe(L"Test.Bus.Question", [this](std::shared_ptr<Message> question) {
    return receiver.publish(question->createReply(L"Test.Bus.Answer", L"receiver", L"{\"answer\":42}"));
  }));
  MessageBusClient bystander;
  Inbox<std::shared_ptr<Message>> copies;
  ASSERT_EQ(0u, bystander.subscribe(L"Test.Bus.Answer", collect(copies)));

  std::shared_ptr<Reply> reply;
  ASSERT_EQ(0u, sender.request(Message::create(L"Test.Bus.Question", L"sender", L"{}"), reply,
                               std::chrono::milliseconds(20000)));
  ASSERT_EQ(kReplyArrived, reply->wait());
  EXPECT_EQ(L"{\"answer\":42}", reply->getMessage()->getPayload());

  ASSERT_TRUE(copies.waitFor(1));
  const MessageHeader* copy = copies.items()[0]->getHeader();
  EXPECT_EQ(0u, copy->flags & kMessageFlagReply);
  EXPECT_NE(0u, copy->flags & kMessageFlagNonReplyCopy);
  EXPECT_EQ(L"{\"answer\":42}", copies.items()[0]->getPayload());
}

TEST_F(BusLibraryTest, UnansweredRequestEndsAsFailedReplyWhenTheLibraryTimesOut) {
  Inbox<std::shared_ptr<Message>> questions;
  ASSERT_EQ(0u, receiver.subscribe(L"Test.Bus.Ignored", collect(questions)));  // never answers
  Inbox<std::shared_ptr<Reply>> replies;
  ASSERT_EQ(0u,
            sender.request(
                Message::create(L"Test.Bus.Ignored", L"sender", L"{}"),
                [&](std::shared_ptr<Reply> reply) { replies.add(reply); }, std::chrono::milliseconds(100)));
  ASSERT_TRUE(replies.waitFor(1));
  EXPECT_EQ(kReplyNoReply, replies.items()[0]->getStatus());
  EXPECT_EQ(nullptr, replies.items()[0]->getMessage());
  EXPECT_TRUE(questions.waitFor(1));
}

TEST(BusLibraryLoading, MissingLibraryThrowsModuleException) {
  EXPECT_THROW(MessageBusLib({L"C:\\no\\such\\folder"}), ModuleException);
}

}  // namespace
}  // namespace Ledra
