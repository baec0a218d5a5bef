#include "kit/MessageBus/Subscription.h"

#include <utility>

namespace KilnBus {

Subscription::Subscription(uint32_t id, uint32_t handleId, void* context, Ledra::BusDeliveryAdapter adapter,
                           std::wstring name)
    : id_(id),
      handleId_(handleId),
      context_(context),
      adapter_(adapter),
      isPattern_(false),
      name_(std::move(name)) {}

Subscription::Subscription(uint32_t id, uint32_t handleId, void* context, Ledra::BusDeliveryAdapter adapter,
                           std::wstring pattern, const std::wregex& compiled)
    : id_(id),
      handleId_(handleId),
      context_(context),
      adapter_(adapter),
      isPattern_(true),
      name_(std::move(pattern)),
      pattern_(compiled) {}

bool Subscription::wants(const std::wstring& name) const {
  if (!isPattern_) return name == name_;
  try {
    return std::regex_match(name, pattern_);
  } catch (const std::regex_error&) {
    return false;  // a pattern too complex for this name
  }
}

void Subscription::deliver(std::shared_ptr<const Envelope> envelope) {
  worker_.post([context = context_, adapter = adapter_, envelope = std::move(envelope)] {
    try {
      adapter(context, &envelope->header, envelope->name.c_str(), envelope->sender.c_str(),
              envelope->payload.c_str());
    } catch (...) {
      // A subscriber's failure is its own; its delivery thread goes on.
    }
  });
}

}  // namespace KilnBus
