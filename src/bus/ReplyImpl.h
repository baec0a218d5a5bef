// The reply handle of one request: the future the client completes when the
// library calls back, and a deadline after which waiting gives up.
#pragma once

#include <cstdint>
#include <memory>

#include "message/Reply.h"
#include "wrappers/SrwFuture.h"

namespace Ledra {

class ReplyImpl : public Reply {
 public:
  using ReplyFuture = SrwFuture<std::shared_ptr<Message>>;

  // deadlineMs is on the clock of nowMilliseconds().
  ReplyImpl(ReplyFuture future, int64_t deadlineMs);

  uint32_t getStatus() const override;
  std::shared_ptr<Message> getMessage() const override;
  uint32_t wait() override;
  uint32_t waitFor(std::chrono::milliseconds timeout) override;

  // Milliseconds from QueryUnbiasedInterruptTime: the clock of every deadline.
  static int64_t nowMilliseconds();

 private:
  // Takes the ready future's value and settles the status.
  uint32_t getReplyMessage();
  // Status 3 for a future that cannot be waited on; false then.
  bool checkFuture();

  uint32_t status_ = kReplyPending;
  std::shared_ptr<Message> message_;
  ReplyFuture future_;
  int64_t deadlineMs_;
};

}  // namespace Ledra
