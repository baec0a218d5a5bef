// Counts the answers of one run, delivered as bus messages or as replies,
// and wakes the waiting sender as soon as the count it waits for is reached
// (the same user-space condition the module's queue uses, no polling). Module and floor answers
// go through the same counter and the same wait.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "include/MessageHeader.h"
#include "wrappers/SrwSync.h"

namespace Bench {

class AnswerCounter {
 public:
  AnswerCounter();
  AnswerCounter(const AnswerCounter&) = delete;
  AnswerCounter& operator=(const AnswerCounter&) = delete;

  // Delivery adapter of the bus: context is the counter.
  static uint32_t onMessage(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                            const wchar_t* sender, const wchar_t* payload);
  // Reply adapter of the bus: context is the counter. A reply that failed
  // (timed out) counts as answered and as failed.
  static uint32_t onReply(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                          const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                          uint32_t status);

  void reset();
  long answered() const { return answered_.load(); }
  long failed() const { return failed_.load(); }
  // Waits until total answers came; false when timeoutMs passed first.
  bool waitFor(long total, unsigned long timeoutMs);

  // The next answer's name and payload are kept, for checking what is counted.
  void keepNext() { keepNext_ = true; }
  const std::wstring& keptName() const { return keptName_; }
  const std::wstring& keptPayload() const { return keptPayload_; }

 private:
  void count(const wchar_t* name, const wchar_t* payload, bool failed);

  std::atomic<long> answered_{0};
  std::atomic<long> failed_{0};
  std::atomic<long> wanted_{0};
  std::atomic<bool> keepNext_{false};
  std::wstring keptName_;
  std::wstring keptPayload_;
  Ledra::SrwMutex mutex_;
  Ledra::SrwConditionVariable reached_;
};

}  // namespace Bench
