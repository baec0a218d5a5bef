// A gate between a callback handed to another component and the object it
// calls into. The component may keep the callback, and call it on its own
// thread, after the object has asked it to stop; the callback holds the gate,
// not the object, and the object closes the gate before it goes. Closing waits
// for a call already inside and turns every later call away.
#pragma once

#include <mutex>

#include "wrappers/SrwSync.h"

namespace Ledra {

class CallbackGate {
 public:
  CallbackGate() = default;
  CallbackGate(const CallbackGate&) = delete;
  CallbackGate& operator=(const CallbackGate&) = delete;

  // Runs call() unless the gate is closed; false when it was turned away.
  // The gate is not held while call() runs, so calls may overlap.
  template <typename Call>
  bool enter(Call&& call) {
    {
      std::lock_guard<SrwMutex> lock(mutex_);
      if (closed_) return false;
      ++inside_;
    }
    struct Leave {
      CallbackGate& gate;
      ~Leave() {
        {
          std::lock_guard<SrwMutex> lock(gate.mutex_);
          --gate.inside_;
        }
        gate.left_.notify_all();
      }
    } leave{*this};
    call();
    return true;
  }

  // After this returns no call is inside and none will enter. Must not be
  // called from inside a call (it would wait for itself).
  void close() {
    std::unique_lock<SrwMutex> lock(mutex_);
    closed_ = true;
    left_.wait(lock, [this] { return inside_ == 0; });
  }

 private:
  SrwMutex mutex_;
  SrwConditionVariable left_;
  bool closed_ = false;
  int inside_ = 0;
};

}  // namespace Ledra
