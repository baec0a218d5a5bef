// Locks and waits that stay in user space on their fast path: owners of a
// slim reader/writer lock and a condition variable. They stand in for
// std::mutex and std::condition_variable (same members, same meaning), which
// with the posix thread model sit on kernel semaphores and events, so that a
// hand-off between a bus thread and the worker never needs the kernel unless
// a thread really has to sleep.
//
// Header-only: the kit's binaries, which link no framework library, use them too.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>

namespace Ledra {

// An exclusive lock over SRWLOCK; usable with std::lock_guard and std::unique_lock.
// Like std::mutex it is not recursive: locking it twice on one thread deadlocks.
class SrwMutex {
 public:
  SrwMutex() noexcept = default;
  SrwMutex(const SrwMutex&) = delete;
  SrwMutex& operator=(const SrwMutex&) = delete;

  void lock() noexcept { ::AcquireSRWLockExclusive(&lock_); }
  bool try_lock() noexcept { return ::TryAcquireSRWLockExclusive(&lock_) != 0; }
  void unlock() noexcept { ::ReleaseSRWLockExclusive(&lock_); }

  PSRWLOCK native_handle() noexcept { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

// A condition over CONDITION_VARIABLE, waited on with a std::unique_lock of an
// SrwMutex. As with std::condition_variable, a wait may return without a
// notification; the predicate forms loop until the predicate holds.
class SrwConditionVariable {
 public:
  SrwConditionVariable() noexcept = default;
  SrwConditionVariable(const SrwConditionVariable&) = delete;
  SrwConditionVariable& operator=(const SrwConditionVariable&) = delete;

  void notify_one() noexcept { ::WakeConditionVariable(&condition_); }
  void notify_all() noexcept { ::WakeAllConditionVariable(&condition_); }

  void wait(std::unique_lock<SrwMutex>& lock) noexcept { sleep(lock, INFINITE); }

  template <typename Predicate>
  void wait(std::unique_lock<SrwMutex>& lock, Predicate predicate) {
    while (!predicate()) wait(lock);
  }

  template <typename Clock, typename Duration>
  std::cv_status wait_until(std::unique_lock<SrwMutex>& lock,
                            const std::chrono::time_point<Clock, Duration>& deadline) {
    const auto remaining = deadline - Clock::now();
    if (remaining <= Duration::zero()) return std::cv_status::timeout;
    sleep(lock, sleepMilliseconds(remaining));
    return Clock::now() < deadline ? std::cv_status::no_timeout : std::cv_status::timeout;
  }

  template <typename Clock, typename Duration, typename Predicate>
  bool wait_until(std::unique_lock<SrwMutex>& lock, const std::chrono::time_point<Clock, Duration>& deadline,
                  Predicate predicate) {
    while (!predicate()) {
      if (wait_until(lock, deadline) == std::cv_status::timeout) return predicate();
    }
    return true;
  }

  template <typename Rep, typename Period>
  std::cv_status wait_for(std::unique_lock<SrwMutex>& lock,
                          const std::chrono::duration<Rep, Period>& timeout) {
    return wait_until(lock, std::chrono::steady_clock::now() + ceilToSteady(timeout));
  }

  template <typename Rep, typename Period, typename Predicate>
  bool wait_for(std::unique_lock<SrwMutex>& lock, const std::chrono::duration<Rep, Period>& timeout,
                Predicate predicate) {
    return wait_until(lock, std::chrono::steady_clock::now() + ceilToSteady(timeout), std::move(predicate));
  }

  PCONDITION_VARIABLE native_handle() noexcept { return &condition_; }

 private:
  // Longest single sleep; longer waits sleep again until their deadline.
  static constexpr DWORD kLongestSleepMs = 0x7FFFFFFF;

  void sleep(std::unique_lock<SrwMutex>& lock, DWORD milliseconds) noexcept {
    // A timeout (ERROR_TIMEOUT) and a wake-up look alike to the callers: they
    // check the clock and their predicate afterwards.
    ::SleepConditionVariableSRW(&condition_, lock.mutex()->native_handle(), milliseconds, 0);
  }

  // Whole milliseconds, rounded up so that a wait never ends before its deadline.
  template <typename Rep, typename Period>
  static DWORD sleepMilliseconds(const std::chrono::duration<Rep, Period>& remaining) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    if (ms <= 0) return 0;
    return ms >= static_cast<decltype(ms)>(kLongestSleepMs) ? kLongestSleepMs : static_cast<DWORD>(ms);
  }

  // A relative timeout on the steady clock, saturated instead of overflowing.
  template <typename Rep, typename Period>
  static std::chrono::steady_clock::duration ceilToSteady(const std::chrono::duration<Rep, Period>& timeout) {
    using Steady = std::chrono::steady_clock::duration;
    // About a century: far beyond any wait of this program, far from overflow.
    constexpr std::chrono::hours kLongest{24 * 365 * 100};
    if (timeout >= kLongest) return std::chrono::duration_cast<Steady>(kLongest);
    if (timeout <= std::chrono::duration<Rep, Period>::zero()) return Steady::zero();
    return std::chrono::ceil<Steady>(timeout);
  }

  CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

}  // namespace Ledra
