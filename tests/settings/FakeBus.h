// A hand fake of the message bus for the settings client: records every
// request and subscription, answers each request with a reply the test
// scripts, and delivers test messages to the recorded subscriptions the way
// the bus would (exact names, and patterns matched against the whole name).
#pragma once

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "bus/MessageBus.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "message/Reply.h"

namespace settings_test {

class FakeReply : public Ledra::Reply {
 public:
  FakeReply(uint32_t status, std::shared_ptr<Ledra::Message> message)
      : status_(status), message_(std::move(message)) {}
  uint32_t getStatus() const override { return waited_ ? status_ : Ledra::kReplyPending; }
  std::shared_ptr<Ledra::Message> getMessage() const override {
    return waited_ && status_ == Ledra::kReplyArrived ? message_ : nullptr;
  }
  uint32_t wait() override {
    waited_ = true;
    return status_;
  }
  uint32_t waitFor(std::chrono::milliseconds) override { return wait(); }

 private:
  uint32_t status_;
  std::shared_ptr<Ledra::Message> message_;
  bool waited_ = false;
};

class FakeBus : public Ledra::MessageBus {
 public:
  using MessagePtr = std::shared_ptr<Ledra::Message>;
  using ReplyPtr = std::shared_ptr<Ledra::Reply>;
  struct Request {
    std::wstring name, sender, payload;
    Timeout timeout;
  };
  struct Subscription {
    std::wstring nameOrPattern, alias;
    bool filter;
    Callback callback;
  };

  // What the next requests get: the bus's result, then the reply's status and payload.
  unsigned long requestResult = 0;
  uint32_t replyStatus = Ledra::kReplyArrived;
  std::wstring replyPayload;
  unsigned long subscribeResult = 0;
  unsigned long unsubscribeResult = 0;

  std::vector<Request> requests;
  std::vector<Subscription> subscriptions;
  std::vector<std::wstring> unsubscribed;
  int otherCalls = 0;

  unsigned long request(const MessagePtr& message, ReplyPtr& reply, const Timeout& timeout) override {
    if (!message) return Ledra::MODULE_STATUS_INVALID_PARAMETER;
    requests.push_back({message->getName(), message->getSender(), message->getPayload(), timeout});
    if (requestResult != 0) return requestResult;
    reply =
        std::make_shared<FakeReply>(replyStatus, Ledra::Message::create(L"Reply", L"service", replyPayload));
    return 0;
  }
  unsigned long subscribe(const std::wstring& name, const std::wstring& alias, Callback callback) override {
    subscriptions.push_back({name, alias, false, std::move(callback)});
    return subscribeResult;
  }
  unsigned long subscribe(const std::wstring& name, Callback callback) override {
    return subscribe(name, name, std::move(callback));
  }
  unsigned long subscribeFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                Callback callback) override {
    subscriptions.push_back({nameRegex, alias, true, std::move(callback)});
    return subscribeResult;
  }
  unsigned long subscribeFilter(const std::wstring& nameRegex, Callback callback) override {
    return subscribeFilter(nameRegex, nameRegex, std::move(callback));
  }
  unsigned long unsubscribe(const std::wstring& alias) override {
    unsubscribed.push_back(alias);
    return unsubscribeResult;
  }

  // Hands the message to every subscription that would receive it; answers
  // the callbacks' results in subscription order.
  std::vector<unsigned long> deliver(const std::wstring& name, const std::wstring& payload) {
    std::vector<unsigned long> results;
    for (const auto& subscription : subscriptions) {
      const bool matches = subscription.filter
                               ? std::regex_match(name, std::wregex(subscription.nameOrPattern))
                               : subscription.nameOrPattern == name;
      if (matches)
        results.push_back(subscription.callback(Ledra::Message::create(name, L"service", payload)));
    }
    return results;
  }

  // The forms the client never uses.
  unsigned long publish(const MessagePtr&) override { return other(); }
  unsigned long publishVariant(const MessagePtr&) override { return other(); }
  unsigned long request(const MessagePtr&, ReplyCallback, const Timeout&) override { return other(); }
  unsigned long requestVariant(const MessagePtr&, ReplyCallback, const Timeout&) override { return other(); }
  unsigned long requestVariant(const MessagePtr&, ReplyPtr&, const Timeout&) override { return other(); }
  unsigned long subscribeInSession(const std::wstring&, const std::wstring&, Callback) override {
    return other();
  }
  unsigned long subscribeInSession(const std::wstring&, Callback) override { return other(); }
  unsigned long subscribeFilterInSession(const std::wstring&, const std::wstring&, Callback) override {
    return other();
  }
  unsigned long subscribeFilterInSession(const std::wstring&, Callback) override { return other(); }

 private:
  unsigned long other() {
    ++otherCalls;
    return Ledra::MODULE_STATUS_NOT_SUPPORTED;
  }
};

}  // namespace settings_test
