// A one-shot value handed from one thread to another: the promise and future
// of the standard library over SrwMutex and SrwConditionVariable, so that
// completing and collecting a reply stays in user space. Only what the bus
// client uses is here: set_value, set_exception, get_future once, and on the
// future valid, wait, wait_for and get. A promise destroyed unsatisfied breaks
// its future with std::future_errc::broken_promise, as the standard one does.
#pragma once

#include <chrono>
#include <exception>
#include <future>
#include <memory>
#include <utility>

#include "wrappers/SrwSync.h"

namespace Ledra {

template <typename T>
class SrwFuture;

namespace detail {

template <typename T>
struct SrwSharedState {
  SrwMutex mutex;
  SrwConditionVariable settled;
  bool ready = false;
  T value{};
  std::exception_ptr error;

  // False when the state was already satisfied.
  template <typename Fill>
  bool settle(Fill fill) {
    {
      std::lock_guard<SrwMutex> lock(mutex);
      if (ready) return false;
      fill();
      ready = true;
    }
    settled.notify_all();
    return true;
  }
};

}  // namespace detail

template <typename T>
class SrwFuture {
 public:
  SrwFuture() noexcept = default;
  SrwFuture(SrwFuture&&) noexcept = default;
  SrwFuture& operator=(SrwFuture&&) noexcept = default;
  SrwFuture(const SrwFuture&) = delete;
  SrwFuture& operator=(const SrwFuture&) = delete;

  bool valid() const noexcept { return state_ != nullptr; }

  void wait() const {
    std::unique_lock<SrwMutex> lock(checked().mutex);
    state_->settled.wait(lock, [this] { return state_->ready; });
  }

  template <typename Rep, typename Period>
  std::future_status wait_for(const std::chrono::duration<Rep, Period>& timeout) const {
    std::unique_lock<SrwMutex> lock(checked().mutex);
    return state_->settled.wait_for(lock, timeout, [this] { return state_->ready; })
               ? std::future_status::ready
               : std::future_status::timeout;
  }

  // The value, or the stored exception rethrown; the future is invalid afterwards.
  T get() {
    wait();
    std::shared_ptr<detail::SrwSharedState<T>> state = std::move(state_);
    if (state->error) std::rethrow_exception(state->error);
    return std::move(state->value);
  }

 private:
  template <typename U>
  friend class SrwPromise;
  explicit SrwFuture(std::shared_ptr<detail::SrwSharedState<T>> state) noexcept : state_(std::move(state)) {}

  detail::SrwSharedState<T>& checked() const {
    if (!state_) throw std::future_error(std::future_errc::no_state);
    return *state_;
  }

  std::shared_ptr<detail::SrwSharedState<T>> state_;
};

template <typename T>
class SrwPromise {
 public:
  SrwPromise() : state_(std::make_shared<detail::SrwSharedState<T>>()) {}
  SrwPromise(SrwPromise&& other) noexcept = default;
  SrwPromise& operator=(SrwPromise&& other) noexcept {
    if (this != &other) {
      breakIfUnsatisfied();
      state_ = std::move(other.state_);
      retrieved_ = other.retrieved_;
    }
    return *this;
  }
  SrwPromise(const SrwPromise&) = delete;
  SrwPromise& operator=(const SrwPromise&) = delete;
  ~SrwPromise() { breakIfUnsatisfied(); }

  SrwFuture<T> get_future() {
    if (!state_) throw std::future_error(std::future_errc::no_state);
    if (retrieved_) throw std::future_error(std::future_errc::future_already_retrieved);
    retrieved_ = true;
    return SrwFuture<T>(state_);
  }

  void set_value(T value) {
    if (!state_ || !state_->settle([&] { state_->value = std::move(value); }))
      throw std::future_error(std::future_errc::promise_already_satisfied);
  }

  void set_exception(std::exception_ptr error) {
    if (!state_ || !state_->settle([&] { state_->error = std::move(error); }))
      throw std::future_error(std::future_errc::promise_already_satisfied);
  }

 private:
  void breakIfUnsatisfied() noexcept {
    if (!state_) return;
    std::exception_ptr broken;
    try {
      broken = std::make_exception_ptr(std::future_error(std::future_errc::broken_promise));
    } catch (...) {
      // No memory for the exception: the future still settles, with an empty value.
    }
    state_->settle([&] { state_->error = std::move(broken); });
  }

  std::shared_ptr<detail::SrwSharedState<T>> state_;
  bool retrieved_ = false;
};

}  // namespace Ledra
