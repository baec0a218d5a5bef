// The handle of one request's reply: waits for it with a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

namespace Ledra {

class Message;

// Reply status values.
constexpr uint32_t kReplyArrived = 0;   // the reply arrived and holds a message
constexpr uint32_t kReplyPending = 1;   // not yet waited for
constexpr uint32_t kReplyTimedOut = 2;  // the deadline passed before the reply arrived
constexpr uint32_t kReplyNoReply = 3;   // no usable reply

class Reply {
 public:
  virtual ~Reply() = default;
  // The current status, without waiting.
  virtual uint32_t getStatus() const = 0;
  // The reply message; non-empty only when the status is kReplyArrived.
  virtual std::shared_ptr<Message> getMessage() const = 0;
  // Waits up to the deadline while the status is still pending; answers the status.
  virtual uint32_t wait() = 0;
  // Waits at most this long; answers the status.
  virtual uint32_t waitFor(std::chrono::milliseconds timeout) = 0;
};

}  // namespace Ledra
