#include "kit/MessageBus/Subscription.h"

#include <utility>

namespace KilnBus {

Subscription::Subscription(uint32_t id, uint32_t handleId, std::shared_ptr<SerialWorker> deliveries,
                           void* context, Ledra::BusDeliveryAdapter adapter, std::wstring name)
    : id_(id),
      handleId_(handleId),
      context_(context),
      adapter_(adapter),
      isPattern_(false),
      name_(std::move(name)),
      deliveries_(std::move(deliveries)) {}

Subscription::Subscription(uint32_t id, uint32_t handleId, std::shared_ptr<SerialWorker> deliveries,
                           void* context, Ledra::BusDeliveryAdapter adapter, std::wstring pattern,
                           const std::wregex& compiled)
    : id_(id),
      handleId_(handleId),
      context_(context),
      adapter_(adapter),
      isPattern_(true),
      name_(std::move(pattern)),
      pattern_(compiled),
      deliveries_(std::move(deliveries)) {}

bool Subscription::wants(const std::wstring& name) const {
  if (!isPattern_) return name == name_;
  try {
    return std::regex_match(name, pattern_);
  } catch (const std::regex_error&) {
    return false;  // a pattern too complex for this name
  }
}

void Subscription::deliver(std::shared_ptr<const Envelope> envelope) {
  deliveries_->post([self = shared_from_this(), envelope = std::move(envelope)] { self->call(*envelope); });
}

void Subscription::call(const Envelope& envelope) {
  std::lock_guard<CallGate> gate(gate_);
  if (stopped_) return;
  try {
    adapter_(context_, &envelope.header, envelope.name.c_str(), envelope.sender.c_str(),
             envelope.payload.c_str());
  } catch (...) {
    // A subscriber's failure is its own; the delivery thread goes on.
  }
}

void Subscription::stop() {
  std::lock_guard<CallGate> gate(gate_);
  stopped_ = true;
}

}  // namespace KilnBus
