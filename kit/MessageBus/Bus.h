// The one bus of the process. Every handle made in the process joins it.
//
// Threads: publish and request only queue. Each handle has a delivery thread,
// which keeps the messages of all its subscriptions in publish order and lets
// a blocked subscriber hold up only its own handle, and a reply thread for its
// requesters' reply and timeout calls; one timer thread times requests out.
// No bus lock is held while a subscriber or requester runs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <mutex>
#include <vector>

#include "include/BusLibrary.h"
#include "kit/MessageBus/Handle.h"
#include "kit/MessageBus/PendingRequests.h"
#include "kit/MessageBus/Subscription.h"
#include "wrappers/SrwSync.h"

namespace KilnBus {

class Bus {
 public:
  static Bus& instance();

  Bus() = default;
  ~Bus();

  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  uint32_t createHandle(void** handle);
  uint32_t releaseHandle(void* handle);
  uint32_t publish(void* handle, const Ledra::MessageHeader* header, const wchar_t* name,
                   const wchar_t* sender, const wchar_t* payload);
  uint32_t request(void* handle, uint64_t replyIndex, void* context, Ledra::BusReplyAdapter adapter,
                   const Ledra::MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                   const wchar_t* payload, uint32_t timeoutMs);
  // Both answer the subscription id, 0 when it failed.
  uint32_t subscribe(void* handle, void* context, Ledra::BusDeliveryAdapter adapter, const wchar_t* name);
  uint32_t subscribeFilter(void* handle, void* context, Ledra::BusDeliveryAdapter adapter,
                           const wchar_t* pattern);
  uint32_t unsubscribe(void* handle, uint32_t subscriptionId);
  uint32_t releaseReplyAdapter(void* handle, Ledra::BusReplyAdapter adapter);

 private:
  using SubscriberList = std::vector<std::shared_ptr<Subscription>>;
  // What a publish reads: replaced, never changed, when subscriptions change.
  // Exact subscriptions are found by name; patterns are tried one by one.
  // Each list is in the order the subscriptions were made (their ids).
  struct Subscribers {
    std::unordered_map<std::wstring, SubscriberList> byName;
    SubscriberList patterns;
  };

  std::shared_ptr<Handle> findLocked(void* handle) const;
  using SubscriptionMaker = std::function<std::shared_ptr<Subscription>(
      uint32_t id, uint32_t handleId, std::shared_ptr<SerialWorker> deliveries)>;
  uint32_t addSubscription(void* handle, const SubscriptionMaker& make);
  void rebuildSubscribersLocked();
  static void deliver(const Subscribers& subscribers, const std::shared_ptr<const Envelope>& envelope);

  mutable Ledra::SrwMutex mutex_;
  std::map<uintptr_t, std::shared_ptr<Handle>> handles_;  // by the token handed out
  std::map<uint32_t, std::shared_ptr<Subscription>> subscriptions_;
  std::shared_ptr<const Subscribers> subscribers_ = std::make_shared<const Subscribers>();
  uint32_t lastHandleId_ = 0;
  uint32_t lastSubscriptionId_ = 0;
  uint64_t lastSerial_ = 0;
  PendingRequests pending_;
};

}  // namespace KilnBus
