#include "kit/MessageBus/SerialWorker.h"

#include <utility>

namespace KilnBus {

SerialWorker::SerialWorker() : state_(std::make_shared<State>()) {
  // The thread holds the state by itself, so it may outlive this object when it
  // is stopped from inside one of its own tasks.
  thread_ = std::thread(&SerialWorker::run, state_);
  threadId_ = thread_.get_id();
}

SerialWorker::~SerialWorker() { stop(); }

bool SerialWorker::post(std::function<void()> task) {
  bool sleeping = false;
  {
    std::lock_guard<Ledra::SrwMutex> lock(state_->mutex);
    if (state_->stopping) return false;
    state_->tasks.push_back(std::move(task));
    sleeping = state_->sleeping;
  }
  // A wake-up is a system call even when nobody sleeps: a busy thread finds the task itself.
  if (sleeping) state_->wake.notify_one();
  return true;
}

void SerialWorker::markStopping() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard<Ledra::SrwMutex> lock(state_->mutex);
    state_->stopping = true;
    dropped.swap(state_->tasks);
  }
  state_->wake.notify_one();
  // `dropped` dies here, outside the lock: a task's captures may own anything.
}

void SerialWorker::stop() {
  markStopping();
  if (onWorkerThread()) {
    std::lock_guard<Ledra::SrwMutex> lock(threadMutex_);
    if (thread_.joinable()) thread_.detach();
    return;
  }
  std::thread finished;
  {
    std::lock_guard<Ledra::SrwMutex> lock(threadMutex_);
    finished = std::move(thread_);
  }
  if (finished.joinable()) finished.join();
}

void SerialWorker::abandon() {
  markStopping();
  std::lock_guard<Ledra::SrwMutex> lock(threadMutex_);
  if (thread_.joinable()) thread_.detach();
}

bool SerialWorker::onWorkerThread() const { return std::this_thread::get_id() == threadId_; }

void SerialWorker::run(const std::shared_ptr<State>& state) {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<Ledra::SrwMutex> lock(state->mutex);
      while (!state->stopping && state->tasks.empty()) {
        state->sleeping = true;
        state->wake.wait(lock);
        state->sleeping = false;
      }
      if (state->stopping) return;
      task = std::move(state->tasks.front());
      state->tasks.pop_front();
    }
    task();
  }
}

}  // namespace KilnBus
