#include "kit/MessageBus/PendingRequests.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "include/ModuleStatus.h"

namespace KilnBus {

void PendingRequests::add(PendingRequest request) {
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    // The timer first: a request is only taken in when something can time it out.
    if (!timer_.joinable()) {
      auto stop = std::make_shared<bool>(false);
      timer_ = std::thread(&PendingRequests::runTimer, this, stop);
      timerStop_ = std::move(stop);
    }
    pending_[request.serial] = std::move(request);
  }
  wake_.notify_all();
}

std::optional<PendingRequest> PendingRequests::takeFor(const Ledra::MessageHeader& reply) {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  auto found = pending_.find(destinationSerial(reply));
  if (found == pending_.end() || !destinationMatches(reply, found->second.mark)) return std::nullopt;
  PendingRequest request = std::move(found->second);
  pending_.erase(found);
  return request;
}

void PendingRequests::dropHandle(uint32_t handleId) {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  for (auto it = pending_.begin(); it != pending_.end();) {
    it = it->second.handle->id() == handleId ? pending_.erase(it) : std::next(it);
  }
}

void PendingRequests::dropAdapter(uint32_t handleId, Ledra::BusReplyAdapter adapter) {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  for (auto it = pending_.begin(); it != pending_.end();) {
    const bool drop = it->second.handle->id() == handleId && it->second.ticket.adapter == adapter;
    it = drop ? pending_.erase(it) : std::next(it);
  }
}

std::thread PendingRequests::takeTimer() {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  pending_.clear();
  if (timerStop_) *timerStop_ = true;
  timerStop_.reset();
  return std::move(timer_);
}

void PendingRequests::shutdown() {
  std::thread timer = takeTimer();
  wake_.notify_all();
  if (timer.joinable()) timer.join();
}

void PendingRequests::abandon() {
  std::thread timer = takeTimer();
  wake_.notify_all();
  if (timer.joinable()) timer.detach();
}

void PendingRequests::runTimer(std::shared_ptr<bool> stop) {
  std::unique_lock<Ledra::SrwMutex> lock(mutex_);
  while (!*stop) {
    const auto now = std::chrono::steady_clock::now();
    std::vector<PendingRequest> expired;
    auto earliest = std::chrono::steady_clock::time_point::max();
    for (auto it = pending_.begin(); it != pending_.end();) {
      if (it->second.deadline <= now) {
        expired.push_back(std::move(it->second));
        it = pending_.erase(it);
      } else {
        earliest = std::min(earliest, it->second.deadline);
        ++it;
      }
    }
    if (!expired.empty()) {
      // Handed over in deadline order; only queued here, the calls run on the
      // requesters' reply threads.
      std::stable_sort(expired.begin(), expired.end(), [](const PendingRequest& a, const PendingRequest& b) {
        return a.deadline < b.deadline;
      });
      lock.unlock();
      for (const PendingRequest& request : expired) {
        request.handle->complete(request.ticket, nullptr, Ledra::MODULE_STATUS_TIMEOUT);
      }
      expired.clear();
      lock.lock();
      continue;
    }
    if (pending_.empty()) {
      wake_.wait(lock);
    } else {
      wake_.wait_until(lock, earliest);
    }
  }
}

}  // namespace KilnBus
