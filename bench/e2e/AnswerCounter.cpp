#include "bench/e2e/AnswerCounter.h"

#include <windows.h>

#include "bench/BenchSupport.h"

namespace Bench {

AnswerCounter::AnswerCounter() : reached_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

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
  if (answered_.fetch_add(1) + 1 == wanted_.load()) ::SetEvent(reached_.get());
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
  const double deadline = now() + timeoutMs / 1000.0;
  while (answered_.load() < total) {
    const double left = deadline - now();
    if (left <= 0) return false;
    // A signal left over from an earlier wait only makes the loop look again.
    ::WaitForSingleObject(reached_.get(), static_cast<DWORD>(left * 1000) + 1);
  }
  return true;
}

}  // namespace Bench
