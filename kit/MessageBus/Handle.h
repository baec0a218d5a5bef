// One handle of the bus: its delivery thread and what it owes its requesters.
// Every message for a subscription made through this handle is delivered on
// the handle's delivery thread, in publish order across all its subscriptions;
// every reply or timeout for a request made through it is handed to the
// requester's reply adapter on the handle's own reply thread, one at a time.
// Neither runs while a bus lock is held.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "include/BusLibrary.h"
#include "kit/MessageBus/CallGate.h"
#include "kit/MessageBus/Envelope.h"
#include "kit/MessageBus/SerialWorker.h"
#include "wrappers/SrwSync.h"

namespace KilnBus {

// Who gets a reply: the requester's index, context and adapter, and the
// adapter's release count when the request was made.
struct ReplyTicket {
  uint64_t replyIndex = 0;
  void* context = nullptr;
  Ledra::BusReplyAdapter adapter = nullptr;
  uint64_t releases = 0;
};

class Handle : public std::enable_shared_from_this<Handle> {
 public:
  explicit Handle(uint32_t id);

  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  uint32_t id() const { return id_; }

  ReplyTicket ticket(uint64_t replyIndex, void* context, Ledra::BusReplyAdapter adapter);

  // Queues the one call of the ticket's adapter: status 0 with the reply, or a
  // failure status with no message (reply null). Skipped if the adapter was
  // released after the ticket was issued.
  void complete(const ReplyTicket& ticket, std::shared_ptr<const Envelope> reply, uint32_t status);

  // After this returns the adapter is not called for any ticket issued so far;
  // a call in progress is waited for, unless this comes from inside it.
  void releaseAdapter(Ledra::BusReplyAdapter adapter);

  // The thread every subscription made through this handle delivers on.
  const std::shared_ptr<SerialWorker>& deliveries() const { return deliveries_; }

  // Ends both threads: queued calls are dropped, running ones waited for.
  void close() {
    deliveries_->stop();
    replies_.stop();
  }
  void abandon() {
    deliveries_->abandon();
    replies_.abandon();
  }

 private:
  uint64_t releasesOf(Ledra::BusReplyAdapter adapter);
  void call(const ReplyTicket& ticket, const Envelope* reply, uint32_t status);

  const uint32_t id_;
  // Held while an adapter runs, so that a release can wait for it.
  CallGate callGate_;
  Ledra::SrwMutex releasesMutex_;
  std::map<Ledra::BusReplyAdapter, uint64_t> releases_;
  std::shared_ptr<SerialWorker> deliveries_ = std::make_shared<SerialWorker>();
  SerialWorker replies_;
};

}  // namespace KilnBus
