#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "include/ModuleStatus.h"
#include "tests/kit/KitBus.h"

namespace {

using kit_test::BusHandle;
using kit_test::Delivered;
using kit_test::Latch;
using kit_test::Recorder;
using Ledra::MessageHeader;

// A second reply adapter, so a test can release one and keep the other.
uint32_t otherReplyAdapter(void* context, uint64_t replyIndex, const MessageHeader* header,
                           const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                           uint32_t status) {
  return Recorder::replyAdapter(context, replyIndex, header, name, sender, payload, status);
}

class KitMessageBus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, bus_.module()) << "MessageBus.dll beside the test";
    ASSERT_NE(nullptr, bus_.table());
    table_ = bus_.table();
  }

  uint32_t subscribe(BusHandle& handle, Recorder& recorder, const wchar_t* name) {
    return table_->subscribe(handle.get(), &recorder, Recorder::deliveryAdapter, name);
  }

  uint32_t request(BusHandle& handle, uint64_t index, Recorder& replies, const std::wstring& name,
                   const std::wstring& payload, uint32_t timeoutMs,
                   Ledra::BusReplyAdapter adapter = Recorder::replyAdapter) {
    const MessageHeader header = kit_test::makeHeader(name, L"kit-test", payload);
    return table_->request(handle.get(), index, &replies, adapter, &header, name.c_str(), L"kit-test",
                           payload.c_str(), timeoutMs);
  }

  kit_test::LoadedBus bus_;
  const Ledra::BusFunctions* table_ = nullptr;
};

TEST_F(KitMessageBus, AnswersItsTableOnlyForItsVersionUnderNamesAndOrdinals) {
  HMODULE module = bus_.module();
  auto create = kit_test::procAddress<Ledra::BusCreateObjectFn>(module, "CreateObject");
  ASSERT_NE(nullptr, create);
  EXPECT_EQ(table_, create(2001000));
  for (uint32_t other : {0u, 2000000u, 2001001u, 0xFFFFFFFFu}) EXPECT_EQ(nullptr, create(other)) << other;

  auto versionNum = kit_test::procAddress<uint32_t (*)()>(module, "GetVersionNum");
  auto versionStr = kit_test::procAddress<const char* (*)()>(module, "GetVersionStr");
  auto releaseObject = kit_test::procAddress<void (*)(const void*)>(module, "ReleaseObject");
  ASSERT_TRUE(versionNum && versionStr && releaseObject);
  EXPECT_EQ(2001000u, versionNum());
  EXPECT_STREQ("2.1.0", versionStr());
  const char* names[] = {"CreateObject", "GetVersionNum", "GetVersionStr", "ReleaseObject"};
  for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
    EXPECT_EQ(reinterpret_cast<void (*)()>(GetProcAddress(module, names[ordinal - 1])),
              reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))))
        << names[ordinal - 1];
  }
  releaseObject(table_);  // a no-op: the table stays usable
  BusHandle handle(table_);
  EXPECT_NE(nullptr, handle.get());
}

TEST_F(KitMessageBus, RefusesNullUnknownAndReleasedHandlesOnEveryEntry) {
  void* released = nullptr;
  {
    BusHandle gone(table_);
    released = gone.get();
  }
  BusHandle live(table_);
  EXPECT_NE(0u, table_->create(nullptr));
  Recorder recorder;
  const MessageHeader header = kit_test::makeHeader(L"Kit.X", L"s", L"");
  for (void* bad : {static_cast<void*>(nullptr), reinterpret_cast<void*>(0x1234), released}) {
    EXPECT_NE(0u, table_->release(bad));
    EXPECT_NE(0u, table_->publish(bad, &header, L"Kit.X", L"s", L""));
    EXPECT_NE(0u, table_->publishVariant(bad, &header, L"Kit.X", L"s", L""));
    EXPECT_NE(0u,
              table_->request(bad, 1, &recorder, Recorder::replyAdapter, &header, L"Kit.X", L"s", L"", 10));
    EXPECT_EQ(0u, table_->subscribe(bad, &recorder, Recorder::deliveryAdapter, L"Kit.X"));
    EXPECT_EQ(0u, table_->subscribeFilter(bad, &recorder, Recorder::deliveryAdapter, L"Kit.*"));
    EXPECT_NE(0u, table_->unsubscribe(bad, 1));
    EXPECT_NE(0u, table_->releaseReplyAdapter(bad, Recorder::replyAdapter));
  }
  EXPECT_EQ(0u, recorder.count());
}

TEST_F(KitMessageBus, HandlesShareOneBusDeliveringCopiesOnBusThreadsWithTheSession) {
  DWORD session = 0;
  ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
  ASSERT_NE(0u, session);
  Recorder atA, atB;
  BusHandle a(table_), b(table_);
  ASSERT_NE(0u, subscribe(a, atA, L"Kit.FromB"));
  ASSERT_NE(0u, subscribe(b, atB, L"Kit.FromA"));

  EXPECT_EQ(0u, b.publish(L"Kit.FromB", L"{\"n\":1}"));
  MessageHeader stamped = kit_test::makeHeader(L"Kit.FromA", L"kit-test", L"{\"n\":2}");
  stamped.sessionId = 77;
  EXPECT_EQ(0u, a.publish(stamped, L"Kit.FromA", L"{\"n\":2}"));
  const MessageHeader plain = kit_test::makeHeader(L"Kit.FromA", L"kit-test", L"{\"n\":3}");
  EXPECT_EQ(0u, table_->publishVariant(a.get(), &plain, L"Kit.FromA", L"kit-test", L"{\"n\":3}"));

  ASSERT_TRUE(atA.waitFor(1));
  ASSERT_TRUE(atB.waitFor(2));
  const Delivered fromB = atA.items()[0];
  EXPECT_EQ(L"Kit.FromB", fromB.name);
  EXPECT_EQ(L"kit-test", fromB.sender);
  EXPECT_EQ(L"{\"n\":1}", fromB.payload);
  EXPECT_EQ(session, fromB.header.sessionId);
  EXPECT_EQ(kit_test::makeHeader(L"Kit.FromB", L"kit-test", L"{\"n\":1}").totalLength,
            fromB.header.totalLength);
  EXPECT_EQ(0u, fromB.header.flags);
  EXPECT_NE(GetCurrentThreadId(), fromB.threadId);
  const std::vector<Delivered> fromA = atB.items();
  EXPECT_EQ(77u, fromA[0].header.sessionId);  // a sender's own session is kept
  EXPECT_EQ(session, fromA[1].header.sessionId);
  EXPECT_EQ(L"{\"n\":3}", fromA[1].payload);
}

TEST_F(KitMessageBus, PatternsMatchWholeNamesAndExactNamesOnlyThemselves) {
  Recorder byPattern, byExact;
  BusHandle handle(table_);
  ASSERT_NE(0u, table_->subscribeFilter(handle.get(), &byPattern, Recorder::deliveryAdapter, L"Core\\..*"));
  ASSERT_NE(0u, subscribe(handle, byExact, L"Core.Firewall.State"));
  EXPECT_EQ(0u, table_->subscribeFilter(handle.get(), &byPattern, Recorder::deliveryAdapter, L"("));

  struct Case {
    const wchar_t* name;
    bool pattern;
    bool exact;
  };
  const Case cases[] = {
      {L"Core.Firewall.State", true, true},
      {L"Core.Firewall.State2", true, false},
      {L"Core.", true, false},
      {L"Core", false, false},
      {L"CoreX", false, false},
      {L"XCore.A", false, false},
      {L"core.A", false, false},
      {L"Kit.Core.A", false, false},
  };
  std::vector<std::wstring> wantPattern, wantExact;
  for (const Case& c : cases) {
    EXPECT_EQ(0u, handle.publish(c.name, L""));
    if (c.pattern) wantPattern.push_back(c.name);
    if (c.exact) wantExact.push_back(c.name);
  }
  // Both see this last; one publisher's order means everything before it came.
  EXPECT_EQ(0u, handle.publish(L"Core.Firewall.State", L"end"));
  wantPattern.push_back(L"Core.Firewall.State");
  wantExact.push_back(L"Core.Firewall.State");
  ASSERT_TRUE(byPattern.waitFor(wantPattern.size()));
  ASSERT_TRUE(byExact.waitFor(wantExact.size()));
  auto namesOf = [](Recorder& recorder) {
    std::vector<std::wstring> names;
    for (const Delivered& d : recorder.items()) names.push_back(d.name);
    return names;
  };
  EXPECT_EQ(wantPattern, namesOf(byPattern));
  EXPECT_EQ(wantExact, namesOf(byExact));
}

TEST_F(KitMessageBus, DeliversEachPublishersMessagesInOrderOnTheHandlesOneThread) {
  // A change followed by its refresh, under two names, must reach a subscriber in that order, whichever
  // of its handle's subscriptions takes each and whatever another publisher sends meanwhile.
  constexpr int kEach = 2000;
  Recorder recorder;
  BusHandle subscriber(table_), first(table_), second(table_);
  ASSERT_NE(0u, subscribe(subscriber, recorder, L"Kit.Change"));
  ASSERT_NE(0u, subscribe(subscriber, recorder, L"Kit.Refresh"));
  ASSERT_NE(
      0u, table_->subscribeFilter(subscriber.get(), &recorder, Recorder::deliveryAdapter, L"Kit\\.Other.*"));
  const wchar_t* names[] = {L"Kit.Change", L"Kit.Refresh", L"Kit.Other"};
  std::atomic<int> failures{0};
  auto run = [&](BusHandle& publisher, wchar_t tag) {
    for (int i = 0; i < kEach; ++i) {
      if (publisher.publish(names[i % 3], tag + std::to_wstring(i)) != 0) ++failures;
    }
  };
  std::thread one(run, std::ref(first), L'a');
  std::thread two(run, std::ref(second), L'b');
  one.join();
  two.join();
  EXPECT_EQ(0, failures.load());
  ASSERT_TRUE(recorder.waitFor(2 * kEach));
  const std::vector<Delivered> seen = recorder.items();
  int nextA = 0, nextB = 0;
  for (const Delivered& d : seen) {
    int& next = d.payload[0] == L'a' ? nextA : nextB;
    ASSERT_EQ(std::to_wstring(next), d.payload.substr(1)) << d.payload << " out of order";
    ++next;
    ASSERT_EQ(seen[0].threadId, d.threadId);
  }
  EXPECT_EQ(kEach, nextA);
  EXPECT_EQ(kEach, nextB);
}

TEST_F(KitMessageBus, RoutesEachReplyToItsRequesterOnceAndOnlyItsCopyToSubscribers) {
  Recorder repliesA, repliesB, requests, watched;
  BusHandle requesterA(table_), requesterB(table_), responder(table_), watcher(table_);
  // The responder answers from inside its delivery: the reply twice (the
  // second must be dropped), then the non-reply copy a framework client sends.
  requests.onDelivery = [&](const Delivered& asked) {
    const std::wstring answer = L"re:" + asked.payload;
    const MessageHeader reply = kit_test::replyHeader(asked.header, L"Svc.Answer", answer);
    responder.publish(reply, L"Svc.Answer", answer);
    responder.publish(reply, L"Svc.Answer", answer);
    MessageHeader copy = reply;
    copy.flags = (copy.flags & ~Ledra::kMessageFlagReply) | Ledra::kMessageFlagNonReplyCopy;
    std::memset(copy.destinationCookie, 0, sizeof(copy.destinationCookie));
    responder.publish(copy, L"Svc.Answer", answer);
  };
  ASSERT_NE(0u, subscribe(responder, requests, L"Svc.Ask"));
  ASSERT_NE(0u, subscribe(watcher, watched, L"Svc.Answer"));

  EXPECT_EQ(0u, request(requesterA, 7, repliesA, L"Svc.Ask", L"a7", 20000));
  EXPECT_EQ(0u, request(requesterB, 9, repliesB, L"Svc.Ask", L"b9", 20000));
  const MessageHeader a8 = kit_test::makeHeader(L"Svc.Ask", L"kit-test", L"a8");
  EXPECT_EQ(0u, table_->requestVariant(requesterA.get(), 8, &repliesA, Recorder::replyAdapter, &a8,
                                       L"Svc.Ask", L"kit-test", L"a8", 20000));
  EXPECT_EQ(0u, request(requesterB, 10, repliesB, L"Svc.Ask", L"b10", 20000));

  ASSERT_TRUE(requests.waitFor(4));
  ASSERT_TRUE(repliesA.waitFor(2));
  ASSERT_TRUE(repliesB.waitFor(2));
  ASSERT_TRUE(watched.waitFor(4));
  std::vector<std::string> cookies;
  for (const Delivered& asked : requests.items()) {
    EXPECT_EQ(Ledra::kMessageFlagExpectsReply, asked.header.flags & Ledra::kMessageFlagExpectsReply);
    cookies.emplace_back(reinterpret_cast<const char*>(asked.header.originCookie), 8);
  }
  for (size_t i = 0; i < cookies.size(); ++i) {
    EXPECT_NE(std::string(8, '\0'), cookies[i]);
    for (size_t j = i + 1; j < cookies.size(); ++j) EXPECT_NE(cookies[i], cookies[j]);
  }
  // A duplicate would have come in before the requester's second reply.
  struct Want {
    Recorder* replies;
    uint64_t first, second;
    const wchar_t* firstPayload;
  };
  for (const Want& want : {Want{&repliesA, 7, 8, L"re:a7"}, Want{&repliesB, 9, 10, L"re:b9"}}) {
    const std::vector<Delivered> got = want.replies->items();
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ(want.first, got[0].replyIndex);
    EXPECT_EQ(want.second, got[1].replyIndex);
    EXPECT_EQ(0u, got[0].status);
    EXPECT_EQ(L"Svc.Answer", got[0].name);
    EXPECT_EQ(want.firstPayload, got[0].payload);
    EXPECT_EQ(Ledra::kMessageFlagReply, got[0].header.flags & Ledra::kMessageFlagReply);
    EXPECT_NE(requests.items()[0].threadId, got[0].threadId);  // not on the replier's thread
  }
  for (const Delivered& seen : watched.items()) {
    EXPECT_EQ(0u, seen.header.flags & Ledra::kMessageFlagReply) << "a reply reached an ordinary subscriber";
    EXPECT_NE(0u, seen.header.flags & Ledra::kMessageFlagNonReplyCopy);
  }
}

TEST_F(KitMessageBus, TimesOutOnceWithTimeoutStatusAndDropsTheLateReply) {
  Recorder replies, requests, watched;
  BusHandle requester(table_), responder(table_), watcher(table_);
  ASSERT_NE(0u, subscribe(responder, requests, L"Svc.Slow"));
  ASSERT_NE(0u, subscribe(watcher, watched, L"Svc.Slow.Answer"));

  ASSERT_EQ(0u, request(requester, 5, replies, L"Svc.Slow", L"{}", 50));
  ASSERT_TRUE(replies.waitFor(1));
  const Delivered timedOut = replies.items()[0];
  EXPECT_EQ(5u, timedOut.replyIndex);
  EXPECT_EQ(Ledra::MODULE_STATUS_TIMEOUT, timedOut.status);
  EXPECT_FALSE(timedOut.hadHeader);
  EXPECT_EQ(L"<null>", timedOut.name);
  EXPECT_EQ(L"<null>", timedOut.payload);

  ASSERT_TRUE(requests.waitFor(1));
  const MessageHeader late = kit_test::replyHeader(requests.items()[0].header, L"Svc.Slow.Answer", L"late");
  EXPECT_EQ(0u, responder.publish(late, L"Svc.Slow.Answer", L"late"));
  EXPECT_EQ(0u, responder.publish(L"Svc.Slow.Answer", L"ordinary"));
  // The next call of the same requester and the next ordinary message would
  // queue behind the late reply had it gone anywhere.
  ASSERT_EQ(0u, request(requester, 6, replies, L"Svc.Slow", L"{}", 50));
  ASSERT_TRUE(replies.waitFor(2));
  EXPECT_EQ(6u, replies.items()[1].replyIndex);
  ASSERT_TRUE(watched.waitFor(1));
  EXPECT_EQ(L"ordinary", watched.items()[0].payload);
}

TEST_F(KitMessageBus, ReleasedReplyAdapterIsNotCalledAgain) {
  Recorder released, kept, requests;
  BusHandle requester(table_), responder(table_);
  ASSERT_NE(0u, subscribe(responder, requests, L"Svc.Hold"));
  ASSERT_EQ(0u, request(requester, 1, released, L"Svc.Hold", L"{}", 100));    // would time out
  ASSERT_EQ(0u, request(requester, 2, released, L"Svc.Hold", L"{}", 20000));  // would be answered
  ASSERT_TRUE(requests.waitFor(2));
  EXPECT_EQ(0u, table_->releaseReplyAdapter(requester.get(), Recorder::replyAdapter));
  const MessageHeader reply = kit_test::replyHeader(requests.items()[1].header, L"Svc.Hold.Answer", L"{}");
  EXPECT_EQ(0u, responder.publish(reply, L"Svc.Hold.Answer", L"{}"));
  // Times out after both would have been handed to the same reply thread.
  ASSERT_EQ(0u, request(requester, 3, kept, L"Svc.Hold", L"{}", 300, otherReplyAdapter));
  ASSERT_TRUE(kept.waitFor(1));
  EXPECT_EQ(Ledra::MODULE_STATUS_TIMEOUT, kept.items()[0].status);
  EXPECT_EQ(0u, released.count());
}

TEST_F(KitMessageBus, UnsubscribedSubscriberIsNotCalledAgain) {
  // Declared first: the handle's release ends deliveries before they go.
  Recorder selfRemoving, witness, slow;
  Latch entered, proceed, selfDone;
  std::atomic<uint32_t> selfId{0}, selfResult{1};
  std::atomic<bool> finished{false};
  BusHandle handle(table_);
  // From inside its own delivery: no deadlock, and the queued messages go.
  selfRemoving.onDelivery = [&](const Delivered&) {
    selfResult = table_->unsubscribe(handle.get(), selfId);
    selfDone.open();
  };
  selfId = subscribe(handle, selfRemoving, L"Kit.Unsub");
  ASSERT_NE(0u, selfId.load());
  ASSERT_NE(0u, subscribe(handle, witness, L"Kit.Unsub"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(0u, handle.publish(L"Kit.Unsub", std::to_wstring(i)));
  ASSERT_TRUE(witness.waitFor(3));
  ASSERT_TRUE(selfDone.wait());
  EXPECT_EQ(0u, handle.publish(L"Kit.Unsub", L"after"));
  ASSERT_TRUE(witness.waitFor(4));
  EXPECT_EQ(1u, selfRemoving.count());
  EXPECT_EQ(0u, selfResult.load());
  EXPECT_NE(0u, table_->unsubscribe(handle.get(), selfId));  // already gone

  // From another thread while a delivery is running: waits for it to end.
  slow.onDelivery = [&](const Delivered&) {
    entered.open();
    proceed.wait();
    finished = true;
  };
  const uint32_t slowId = subscribe(handle, slow, L"Kit.Slow");
  ASSERT_NE(0u, slowId);
  EXPECT_EQ(0u, handle.publish(L"Kit.Slow", L"1"));
  EXPECT_EQ(0u, handle.publish(L"Kit.Slow", L"2"));
  ASSERT_TRUE(entered.wait());
  auto unsubscribed = std::async(std::launch::async, [&] {
    proceed.open();
    const uint32_t result = table_->unsubscribe(handle.get(), slowId);
    return std::make_pair(result, finished.load());
  });
  const auto outcome = unsubscribed.get();
  EXPECT_EQ(0u, outcome.first);
  EXPECT_TRUE(outcome.second) << "unsubscribe came back while its subscriber was still running";
  const size_t atReturn = slow.count();
  EXPECT_EQ(0u, handle.publish(L"Kit.Slow", L"3"));
  EXPECT_EQ(0u, handle.publish(L"Kit.Unsub", L"last"));
  ASSERT_TRUE(witness.waitFor(5));
  EXPECT_EQ(atReturn, slow.count());
}

TEST_F(KitMessageBus, ThrowingOrBlockedSubscriberStopsNeitherOtherHandlesNorThePublisher) {
  constexpr size_t kCount = 200;
  Recorder thrower, blocked, healthy;
  Latch release;
  BusHandle publisher(table_), blockedHandle(table_), thrownHandle(table_), healthyHandle(table_);
  thrower.onDelivery = [](const Delivered&) { throw std::runtime_error("subscriber failure"); };
  blocked.onDelivery = [&](const Delivered&) { release.wait(); };
  ASSERT_NE(0u, subscribe(thrownHandle, thrower, L"Kit.Fanout"));
  ASSERT_NE(0u, subscribe(blockedHandle, blocked, L"Kit.Fanout"));
  ASSERT_NE(0u, subscribe(healthyHandle, healthy, L"Kit.Fanout"));
  for (size_t i = 0; i < kCount; ++i) EXPECT_EQ(0u, publisher.publish(L"Kit.Fanout", std::to_wstring(i)));
  EXPECT_TRUE(healthy.waitFor(kCount));
  EXPECT_TRUE(thrower.waitFor(kCount));
  EXPECT_TRUE(blocked.waitFor(1));
  EXPECT_EQ(1u, blocked.count());  // still inside its first delivery
  release.open();
  EXPECT_TRUE(blocked.waitFor(kCount));
}

TEST_F(KitMessageBus, StartsAgainAfterTheLastHandleIsReleasedAndTheLibraryFreed) {
  Recorder replies;
  {
    Recorder recorder;
    BusHandle handle(table_);
    ASSERT_NE(0u, subscribe(handle, recorder, L"Kit.Once"));
    ASSERT_EQ(0u, request(handle, 1, replies, L"Kit.Once", L"{}", 20000));  // still pending at release
    ASSERT_TRUE(recorder.waitFor(1));
  }
  EXPECT_EQ(0u, replies.count());
  bus_.unload();
  // Once a bus was made the library pins itself: its threads may still be
  // returning from a call when the last user frees it.
  EXPECT_NE(nullptr, GetModuleHandleW(L"MessageBus.dll"));

  kit_test::LoadedBus again;
  ASSERT_NE(nullptr, again.table());
  Recorder recorder;
  BusHandle handle(again.table());
  ASSERT_NE(0u, again.table()->subscribe(handle.get(), &recorder, Recorder::deliveryAdapter, L"Kit.Twice"));
  const MessageHeader header = kit_test::makeHeader(L"Kit.Twice", L"t", L"");
  ASSERT_EQ(0u, again.table()->request(handle.get(), 2, &replies, Recorder::replyAdapter, &header,
                                       L"Kit.Twice", L"t", L"", 10));
  ASSERT_TRUE(recorder.waitFor(1));
  ASSERT_TRUE(replies.waitFor(1));
  EXPECT_EQ(2u, replies.items()[0].replyIndex);
}

}  // namespace
