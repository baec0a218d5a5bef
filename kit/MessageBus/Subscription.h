// One subscriber: an exact name or a pattern, the subscriber's adapter and
// context, and the delivery thread that calls it.
#pragma once

#include <cstdint>
#include <memory>
#include <regex>
#include <string>

#include "include/BusLibrary.h"
#include "kit/MessageBus/Envelope.h"
#include "kit/MessageBus/SerialWorker.h"

namespace KilnBus {

class Subscription {
 public:
  // Exact subscription to `name`.
  Subscription(uint32_t id, uint32_t handleId, void* context, Ledra::BusDeliveryAdapter adapter,
               std::wstring name);
  // Pattern subscription, compiled by the caller.
  Subscription(uint32_t id, uint32_t handleId, void* context, Ledra::BusDeliveryAdapter adapter,
               std::wstring pattern, const std::wregex& compiled);

  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;

  uint32_t id() const { return id_; }
  uint32_t handleId() const { return handleId_; }

  // Exact: the same name. Pattern: the pattern matches the whole name.
  bool wants(const std::wstring& name) const;

  // Queues the message for this subscriber; deliveries keep the queue's order.
  void deliver(std::shared_ptr<const Envelope> envelope);

  // No delivery after this returns (one in progress is waited for, unless this
  // comes from inside it).
  void stop() { worker_.stop(); }
  void abandon() { worker_.abandon(); }

 private:
  const uint32_t id_;
  const uint32_t handleId_;
  void* const context_;
  const Ledra::BusDeliveryAdapter adapter_;
  const bool isPattern_;
  const std::wstring name_;
  const std::wregex pattern_;
  SerialWorker worker_;
};

}  // namespace KilnBus
