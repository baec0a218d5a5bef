#include "kit/MessageBus/Bus.h"

#include <chrono>
#include <regex>
#include <utility>

#include "include/ModuleStatus.h"
#include "kit/MessageBus/Routing.h"

namespace KilnBus {

namespace {

// Handles are tokens, not addresses: a stale or made-up one is looked up and
// refused, never followed.
constexpr uintptr_t kHandleBase = 0x4B420000;

uintptr_t tokenOf(uint32_t handleId) { return kHandleBase + static_cast<uintptr_t>(handleId) * 16; }

}  // namespace

Bus& Bus::instance() {
  static Bus bus;
  return bus;
}

Bus::~Bus() {
  // Reached only when the library is torn down with handles still open; the
  // loader lock may be held, so nothing is waited for here.
  for (auto& entry : handles_) entry.second->abandon();
  pending_.abandon();
}

std::shared_ptr<Handle> Bus::findLocked(void* handle) const {
  auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
  return found == handles_.end() ? nullptr : found->second;
}

uint32_t Bus::createHandle(void** handle) {
  if (handle == nullptr) return Ledra::MODULE_STATUS_INVALID_PARAMETER;
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  const uint32_t id = ++lastHandleId_;
  handles_[tokenOf(id)] = std::make_shared<Handle>(id);
  *handle = reinterpret_cast<void*>(tokenOf(id));
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t Bus::releaseHandle(void* handle) {
  std::shared_ptr<Handle> released;
  SubscriberList ended;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    released = findLocked(handle);
    if (!released) return Ledra::MODULE_STATUS_INVALID_HANDLE;
    handles_.erase(reinterpret_cast<uintptr_t>(handle));
    for (auto it = subscriptions_.begin(); it != subscriptions_.end();) {
      if (it->second->handleId() == released->id()) {
        ended.push_back(it->second);
        it = subscriptions_.erase(it);
      } else {
        ++it;
      }
    }
    rebuildSubscribersLocked();
  }
  // Outside the lock: a delivery or reply call in progress may publish.
  pending_.dropHandle(released->id());
  for (const auto& subscription : ended) subscription->stop();
  released->close();
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  // The last handle takes the timer with it; under the lock so that no new
  // request slips in between. The timer thread never takes this lock.
  if (handles_.empty()) pending_.shutdown();
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t Bus::publish(void* handle, const Ledra::MessageHeader* header, const wchar_t* name,
                      const wchar_t* sender, const wchar_t* payload) {
  if (header == nullptr || name == nullptr) return Ledra::MODULE_STATUS_INVALID_PARAMETER;
  std::shared_ptr<const Subscribers> subscribers;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    if (!findLocked(handle)) return Ledra::MODULE_STATUS_INVALID_HANDLE;
    subscribers = subscribers_;
  }
  std::shared_ptr<const Envelope> envelope = makeEnvelope(*header, name, sender, payload);
  if ((envelope->header.flags & Ledra::kMessageFlagReply) != 0 && destinationSerial(envelope->header) != 0) {
    // A reply goes to its requester only; one for a request that is no longer
    // waiting is dropped. Either way the sender's part is done.
    if (std::optional<PendingRequest> request = pending_.takeFor(envelope->header)) {
      request->handle->complete(request->ticket, envelope, Ledra::MODULE_STATUS_SUCCESS);
    }
    return Ledra::MODULE_STATUS_SUCCESS;
  }
  deliver(*subscribers, envelope);
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t Bus::request(void* handle, uint64_t replyIndex, void* context, Ledra::BusReplyAdapter adapter,
                      const Ledra::MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                      const wchar_t* payload, uint32_t timeoutMs) {
  if (header == nullptr || name == nullptr || adapter == nullptr)
    return Ledra::MODULE_STATUS_INVALID_PARAMETER;
  std::shared_ptr<Envelope> envelope = makeEnvelope(*header, name, sender, payload);
  envelope->header.flags |= Ledra::kMessageFlagExpectsReply;
  std::shared_ptr<const Subscribers> subscribers;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    std::shared_ptr<Handle> requester = findLocked(handle);
    if (!requester) return Ledra::MODULE_STATUS_INVALID_HANDLE;
    PendingRequest pending;
    pending.serial = ++lastSerial_;
    pending.mark = makeRequestMark(requester->id(), pending.serial);
    pending.ticket = requester->ticket(replyIndex, context, adapter);
    pending.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pending.handle = std::move(requester);
    stampOrigin(envelope->header, pending.mark);
    // Registered before anyone sees the request, so the quickest reply finds it.
    pending_.add(std::move(pending));
    subscribers = subscribers_;
  }
  deliver(*subscribers, envelope);
  return Ledra::MODULE_STATUS_SUCCESS;
}

void Bus::deliver(const Subscribers& subscribers, const std::shared_ptr<const Envelope>& envelope) {
  static const SubscriberList kNone;
  const auto named = subscribers.byName.find(envelope->name);
  const SubscriberList& exact = named == subscribers.byName.end() ? kNone : named->second;
  // Both lists are in the order the subscriptions were made: merged, they keep it.
  auto next = exact.begin();
  for (const auto& pattern : subscribers.patterns) {
    if (!pattern->wants(envelope->name)) continue;
    for (; next != exact.end() && (*next)->id() < pattern->id(); ++next) (*next)->deliver(envelope);
    pattern->deliver(envelope);
  }
  for (; next != exact.end(); ++next) (*next)->deliver(envelope);
}

uint32_t Bus::subscribe(void* handle, void* context, Ledra::BusDeliveryAdapter adapter, const wchar_t* name) {
  if (adapter == nullptr || name == nullptr) return 0;
  return addSubscription(
      handle, [&](uint32_t id, uint32_t handleId, std::shared_ptr<SerialWorker> deliveries) {
        return std::make_shared<Subscription>(id, handleId, deliveries, context, adapter, name);
      });
}

uint32_t Bus::subscribeFilter(void* handle, void* context, Ledra::BusDeliveryAdapter adapter,
                              const wchar_t* pattern) {
  if (adapter == nullptr || pattern == nullptr) return 0;
  std::wregex compiled;
  try {
    compiled.assign(pattern, std::regex_constants::ECMAScript | std::regex_constants::optimize);
  } catch (const std::regex_error&) {
    return 0;
  }
  return addSubscription(
      handle, [&](uint32_t id, uint32_t handleId, std::shared_ptr<SerialWorker> deliveries) {
        return std::make_shared<Subscription>(id, handleId, deliveries, context, adapter, pattern, compiled);
      });
}

uint32_t Bus::addSubscription(void* handle, const SubscriptionMaker& make) {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  std::shared_ptr<Handle> owner = findLocked(handle);
  if (!owner) return 0;
  uint32_t id = ++lastSubscriptionId_;
  while (id == 0 || subscriptions_.count(id) != 0) id = ++lastSubscriptionId_;
  subscriptions_[id] = make(id, owner->id(), owner->deliveries());
  rebuildSubscribersLocked();
  return id;
}

void Bus::rebuildSubscribersLocked() {
  auto index = std::make_shared<Subscribers>();
  for (const auto& entry : subscriptions_) {  // in id order
    const std::shared_ptr<Subscription>& subscription = entry.second;
    if (subscription->isPattern()) {
      index->patterns.push_back(subscription);
    } else {
      index->byName[subscription->name()].push_back(subscription);
    }
  }
  subscribers_ = std::move(index);
}

uint32_t Bus::unsubscribe(void* handle, uint32_t subscriptionId) {
  std::shared_ptr<Subscription> ended;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    std::shared_ptr<Handle> owner = findLocked(handle);
    if (!owner) return Ledra::MODULE_STATUS_INVALID_HANDLE;
    auto found = subscriptions_.find(subscriptionId);
    if (found == subscriptions_.end() || found->second->handleId() != owner->id()) {
      return Ledra::MODULE_STATUS_NOT_FOUND;
    }
    ended = found->second;
    subscriptions_.erase(found);
    rebuildSubscribersLocked();
  }
  ended->stop();
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t Bus::releaseReplyAdapter(void* handle, Ledra::BusReplyAdapter adapter) {
  if (adapter == nullptr) return Ledra::MODULE_STATUS_INVALID_PARAMETER;
  std::shared_ptr<Handle> owner;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    owner = findLocked(handle);
  }
  if (!owner) return Ledra::MODULE_STATUS_INVALID_HANDLE;
  pending_.dropAdapter(owner->id(), adapter);
  owner->releaseAdapter(adapter);
  return Ledra::MODULE_STATUS_SUCCESS;
}

}  // namespace KilnBus
