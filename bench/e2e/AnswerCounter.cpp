#include "bench/e2e/AnswerCounter.h"

#include <windows.h>

#include <chrono>
#include <mutex>

namespace Bench {

AnswerCounter::AnswerCounter() = default;

uint32_t AnswerCounter::onMessage(void* context, const Ledra::MessageHeader*, const wchar_t* name,
                                  const wchar_t*, const wchar_t* payload) {
  static_cast<AnswerCounter*>(context)->count(name, payload, false);
  return 0;
}

uint32_t AnswerCounter::onReply(void* context, uint64_t, const Ledra::MessageHeader*, const wchar_t* name,
                                const wchar_t*, const wchar_t* payload, uint32_t status) {
  static_cast<AnswerCounter*>(context)->count(name, payload, status != 0);
  return 0;
}

void AnswerCounter::count(const wchar_t* name, const wchar_t* payload, bool failed) {
  if (keepNext_.exchange(false)) {
    keptName_ = name ? name : L"";
    keptPayload_ = payload ? payload : L"";
  }
  if (failed) ++failed_;
  // The sender stores what it waits for before it reads the count, and this
  // thread counts before it reads what is waited for: one of the two sees the other.
  if (answered_.fetch_add(1) + 1 == wanted_.load()) {
    // Taken (empty) after the count moved, so a waiter is either asleep and woken or sees the count.
    { std::lock_guard<Ledra::SrwMutex> lock(mutex_); }
    reached_.notify_all();
  }
}

void AnswerCounter::reset() {
  answered_ = 0;
  failed_ = 0;
  wanted_ = 0;
  keptName_.clear();
  keptPayload_.clear();
}

bool AnswerCounter::waitFor(long total, unsigned long timeoutMs) {
  wanted_ = total;
  std::unique_lock<Ledra::SrwMutex> lock(mutex_);
  return reached_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return answered_.load() >= total; });
}

}  // namespace Bench
