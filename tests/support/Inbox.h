// What other threads hand over, in arrival order; the test thread waits on it
// with a generous deadline.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace tarn_test {

template <typename T>
class Inbox {
 public:
  void add(T item) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      items_.push_back(std::move(item));
    }
    changed_.notify_all();
  }
  // True once at least `count` items arrived.
  bool waitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return items_.size() >= count; });
  }
  std::vector<T> items() {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
  }
  size_t count() { return items().size(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<T> items_;
};

}  // namespace tarn_test
