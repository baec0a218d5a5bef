// Held while a subscriber's or requester's adapter runs, so that unsubscribing
// or releasing an adapter can wait for a call in progress. Re-entrant for the
// thread that holds it, because the adapter itself may unsubscribe or release.
#pragma once

#include <windows.h>

#include <atomic>

#include "wrappers/SrwSync.h"

namespace KilnBus {

class CallGate {
 public:
  CallGate() = default;
  CallGate(const CallGate&) = delete;
  CallGate& operator=(const CallGate&) = delete;

  void lock() {
    const DWORD self = ::GetCurrentThreadId();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++depth_;
      return;
    }
    mutex_.lock();
    owner_.store(self, std::memory_order_relaxed);
    depth_ = 1;
  }

  void unlock() {
    if (--depth_ > 0) return;
    owner_.store(0, std::memory_order_relaxed);
    mutex_.unlock();
  }

 private:
  Ledra::SrwMutex mutex_;
  std::atomic<DWORD> owner_{0};  // only ever equal to a thread's own id while that thread holds the gate
  int depth_ = 0;
};

}  // namespace KilnBus
