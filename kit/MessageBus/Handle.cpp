#include "kit/MessageBus/Handle.h"

#include <utility>

namespace KilnBus {

Handle::Handle(uint32_t id) : id_(id) {}

ReplyTicket Handle::ticket(uint64_t replyIndex, void* context, Ledra::BusReplyAdapter adapter) {
  return ReplyTicket{replyIndex, context, adapter, releasesOf(adapter)};
}

uint64_t Handle::releasesOf(Ledra::BusReplyAdapter adapter) {
  std::lock_guard<Ledra::SrwMutex> lock(releasesMutex_);
  auto found = releases_.find(adapter);
  return found == releases_.end() ? 0 : found->second;
}

void Handle::complete(const ReplyTicket& ticket, std::shared_ptr<const Envelope> reply, uint32_t status) {
  // The task keeps this handle alive in case the handle is released from
  // inside the very call.
  std::shared_ptr<Handle> self = shared_from_this();
  replies_.post(
      [self, ticket, reply = std::move(reply), status] { self->call(ticket, reply.get(), status); });
}

void Handle::call(const ReplyTicket& ticket, const Envelope* reply, uint32_t status) {
  std::lock_guard<CallGate> gate(callGate_);
  if (releasesOf(ticket.adapter) != ticket.releases) return;
  try {
    if (reply != nullptr) {
      ticket.adapter(ticket.context, ticket.replyIndex, &reply->header, reply->name.c_str(),
                     reply->sender.c_str(), reply->payload.c_str(), status);
    } else {
      ticket.adapter(ticket.context, ticket.replyIndex, nullptr, nullptr, nullptr, nullptr, status);
    }
  } catch (...) {
    // A requester's failure is its own; the reply thread goes on.
  }
}

void Handle::releaseAdapter(Ledra::BusReplyAdapter adapter) {
  std::lock_guard<CallGate> gate(callGate_);
  std::lock_guard<Ledra::SrwMutex> lock(releasesMutex_);
  ++releases_[adapter];
}

}  // namespace KilnBus
