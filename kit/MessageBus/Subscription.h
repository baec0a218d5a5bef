// One subscription: an exact name or a pattern, the subscriber's adapter and
// context. Its deliveries run on the delivery thread of the handle it was made
// through, so a subscriber gets the messages of all its subscriptions in the
// order they were published.
#pragma once

#include <cstdint>
#include <memory>
#include <regex>
#include <string>

#include "include/BusLibrary.h"
#include "kit/MessageBus/CallGate.h"
#include "kit/MessageBus/Envelope.h"
#include "kit/MessageBus/SerialWorker.h"

namespace KilnBus {

class Subscription : public std::enable_shared_from_this<Subscription> {
 public:
  // Exact subscription to `name`; deliveries run on `deliveries`.
  Subscription(uint32_t id, uint32_t handleId, std::shared_ptr<SerialWorker> deliveries, void* context,
               Ledra::BusDeliveryAdapter adapter, std::wstring name);
  // Pattern subscription, compiled by the caller.
  Subscription(uint32_t id, uint32_t handleId, std::shared_ptr<SerialWorker> deliveries, void* context,
               Ledra::BusDeliveryAdapter adapter, std::wstring pattern, const std::wregex& compiled);

  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;

  uint32_t id() const { return id_; }
  uint32_t handleId() const { return handleId_; }
  bool isPattern() const { return isPattern_; }
  // The exact name, or the pattern's text.
  const std::wstring& name() const { return name_; }

  // Exact: the same name. Pattern: the pattern matches the whole name.
  bool wants(const std::wstring& name) const;

  // Queues the message on the handle's delivery thread.
  void deliver(std::shared_ptr<const Envelope> envelope);

  // No delivery after this returns (one in progress is waited for, unless this
  // comes from inside it).
  void stop();

 private:
  void call(const Envelope& envelope);

  const uint32_t id_;
  const uint32_t handleId_;
  void* const context_;
  const Ledra::BusDeliveryAdapter adapter_;
  const bool isPattern_;
  const std::wstring name_;
  const std::wregex pattern_;
  const std::shared_ptr<SerialWorker> deliveries_;
  CallGate gate_;
  bool stopped_ = false;  // under gate_
};

}  // namespace KilnBus
