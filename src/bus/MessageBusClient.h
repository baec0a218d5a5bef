// The program's message bus: keeps the subscriptions by alias, the pending
// replies by reply index and the session filter, and hands every transfer to
// a MessageBusShim. It starts no thread: subscriber callbacks and reply
// completions run on the bus library's threads.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <unordered_map>
#include <vector>

#include "bus/MessageBus.h"
#include "bus/MessageBusShim.h"
#include "bus/ProcessAPI.h"
#include "wrappers/SrwFuture.h"
#include "wrappers/SrwSync.h"

namespace Ledra {

class MessageBusClient : public MessageBus {
 public:
  // Loads the bus library itself (MessageBusLib); throws ModuleException when
  // it cannot be had.
  MessageBusClient();
  // Over a given shim; a null process API is replaced by the default one.
  // Throws ModuleException for a null shim.
  explicit MessageBusClient(std::shared_ptr<MessageBusShim> shim,
                            std::shared_ptr<ProcessAPI> processApi = nullptr);
  // Drops every subscription, then releases the library's reply adapter.
  ~MessageBusClient() override;

  MessageBusClient(const MessageBusClient&) = delete;
  MessageBusClient& operator=(const MessageBusClient&) = delete;

  unsigned long publish(const std::shared_ptr<Message>& message) override;
  unsigned long publishVariant(const std::shared_ptr<Message>& message) override;
  unsigned long request(const std::shared_ptr<Message>& message, ReplyCallback callback,
                        const Timeout& timeout) override;
  unsigned long request(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                        const Timeout& timeout) override;
  unsigned long requestVariant(const std::shared_ptr<Message>& message, ReplyCallback callback,
                               const Timeout& timeout) override;
  unsigned long requestVariant(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                               const Timeout& timeout) override;
  unsigned long subscribe(const std::wstring& name, const std::wstring& alias, Callback callback) override;
  unsigned long subscribe(const std::wstring& name, Callback callback) override;
  unsigned long subscribeInSession(const std::wstring& name, const std::wstring& alias,
                                   Callback callback) override;
  unsigned long subscribeInSession(const std::wstring& name, Callback callback) override;
  unsigned long subscribeFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                Callback callback) override;
  unsigned long subscribeFilter(const std::wstring& nameRegex, Callback callback) override;
  unsigned long subscribeFilterInSession(const std::wstring& nameRegex, const std::wstring& alias,
                                         Callback callback) override;
  unsigned long subscribeFilterInSession(const std::wstring& nameRegex, Callback callback) override;
  unsigned long unsubscribe(const std::wstring& alias) override;

  // A message the host delivered directly: every exact subscription of its
  // name and every filter subscription matching the whole name is called on
  // this thread, under the subscription lock; their results are ignored.
  unsigned long deliverDirect(const std::shared_ptr<Message>& message);

  // Completes the pending request of this reply index; called by the library's
  // reply adapter on the library's thread.
  unsigned long replyCallback(uint64_t replyIndex, const std::shared_ptr<Message>& message,
                              unsigned long status);

  // The Windows session of this process, 0 when unknown.
  uint32_t getSessionId() const { return sessionId_; }

 private:
  using ReplyFuture = SrwFuture<std::shared_ptr<Message>>;

  struct ExactSubscription {
    uint32_t id;
    std::wstring name;
    std::shared_ptr<Callback> callback;  // its address is the library's context
  };
  struct FilterSubscription {
    uint32_t id;
    std::wstring nameRegex;
    std::shared_ptr<Callback> callback;
    std::wregex pattern;
  };
  struct SubscriptionNode {
    std::vector<ExactSubscription> exact;
    std::vector<FilterSubscription> filters;
  };
  struct PendingReply {
    SrwPromise<std::shared_ptr<Message>> promise;
    // Callback form only: the future handed to the caller's callback on completion.
    ReplyFuture future;
    ReplyCallback callback;
  };

  void readSessionId();
  unsigned long internalPublish(const std::shared_ptr<Message>& message, bool variant);
  unsigned long internalRequest(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                                const Timeout& timeout, bool variant);
  unsigned long internalRequest(const std::shared_ptr<Message>& message, ReplyCallback callback,
                                const Timeout& timeout, bool variant);
  // Takes a reply index and makes its pending entry; 0x80000002 when the
  // promise gives no future. keepFuture leaves the future in the entry.
  unsigned long addPendingReply(ReplyCallback callback, bool keepFuture, uint64_t& index,
                                ReplyFuture& future);
  // Hands the request to the shim; removes the pending entry when it fails.
  unsigned long sendRequest(const std::shared_ptr<Message>& message, uint64_t index, const Timeout& timeout,
                            bool variant);
  unsigned long addFilter(const std::wstring& nameRegex, const std::wstring& alias, Callback callback);
  // The session filter around a callback; the callback itself when the session is unknown.
  Callback inSession(Callback callback) const;
  // Unsubscribes every id of the node from the library; the subscription lock is held.
  void unsubscribeNode(const SubscriptionNode& node);

  std::shared_ptr<MessageBusShim> shim_;
  std::shared_ptr<ProcessAPI> processApi_;

  Ledra::SrwMutex subscriptionLock_;
  std::unordered_map<std::wstring, SubscriptionNode> subscriptions_;

  uint64_t replyCounter_ = 0;
  MessageBusShim::ReplyFunction replyFunction_;  // its address is the context of every request
  Ledra::SrwMutex replyLock_;
  std::unordered_map<uint64_t, PendingReply> pendingReplies_;

  uint32_t sessionId_ = 0;
};

}  // namespace Ledra
