#include "bus/ReplyImpl.h"

#include <windows.h>

#include <system_error>

#include "Logging/Log.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"ReplyImpl";

constexpr wchar_t kInvalidFuture[] = L"Reply future is in an invalid state. Returning.";
constexpr wchar_t kNotOnTime[] = L"Reply future did not get fulfilled on time. Returning.";
constexpr wchar_t kWaitForTimedOut[] = L"Reply waitFor timed out. Returning.";
constexpr wchar_t kCompletedWithError[] = L"Reply completed without a message [caught: %hs]";

}  // namespace

ReplyImpl::ReplyImpl(ReplyFuture future, int64_t deadlineMs)
    : future_(std::move(future)), deadlineMs_(deadlineMs) {}

uint32_t ReplyImpl::getStatus() const { return status_; }

std::shared_ptr<Message> ReplyImpl::getMessage() const { return message_; }

int64_t ReplyImpl::nowMilliseconds() {
  ULONGLONG ticks = 0;  // 100-nanosecond units
  ::QueryUnbiasedInterruptTime(&ticks);
  return static_cast<int64_t>(ticks / 10000);
}

bool ReplyImpl::checkFuture() {
  if (future_.valid()) return true;
  LEDRA_LOG(logging::Error, L"Ledra::ReplyImpl::getReplyMessage", __LINE__, kInvalidFuture);
  status_ = kReplyNoReply;
  return false;
}

uint32_t ReplyImpl::wait() {
  if (status_ != kReplyPending) return status_;
  if (!checkFuture()) return status_;
  while (future_.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    const int64_t remaining = deadlineMs_ - nowMilliseconds();
    if (remaining < 0) {
      LEDRA_LOG(logging::Error, L"Ledra::ReplyImpl::wait", __LINE__, kNotOnTime);
      status_ = kReplyTimedOut;
      return status_;
    }
    // One extra millisecond so that a wait that ends on the deadline tick
    // does not spin until the clock moves on.
    future_.wait_for(std::chrono::milliseconds(remaining + 1));
  }
  return getReplyMessage();
}

uint32_t ReplyImpl::waitFor(std::chrono::milliseconds timeout) {
  if (status_ != kReplyPending) return status_;
  if (!checkFuture()) return status_;
  if (future_.wait_for(timeout) != std::future_status::ready) {
    LEDRA_LOG(logging::Warning, L"Ledra::ReplyImpl::waitFor", __LINE__, kWaitForTimedOut);
    return status_;
  }
  return getReplyMessage();
}

uint32_t ReplyImpl::getReplyMessage() {
  if (!checkFuture()) return status_;
  try {
    message_ = future_.get();
    status_ = message_ ? kReplyArrived : kReplyNoReply;
  } catch (const std::exception& error) {
    // The library reported a timeout or another failure, or the request was
    // dropped unanswered: there is no usable reply.
    LEDRA_LOG(logging::Warning, L"Ledra::ReplyImpl::getReplyMessage", __LINE__, kCompletedWithError,
              error.what());
    message_.reset();
    status_ = kReplyNoReply;
  }
  return status_;
}

}  // namespace Ledra
