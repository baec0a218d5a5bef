// One thread that runs posted tasks one after another, in the order posted.
// Each handle gets one for its deliveries and one for its reply completions, so
// a subscriber that blocks holds up only its own handle.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "wrappers/SrwSync.h"

namespace KilnBus {

class SerialWorker {
 public:
  SerialWorker();
  // Stops the worker (see stop()).
  ~SerialWorker();

  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  // Queues a task; false (and nothing queued) once the worker is stopped.
  bool post(std::function<void()> task);

  // Drops the queued tasks and waits for the running one to finish. Called on
  // the worker's own thread (from inside a task) it cannot wait for itself: the
  // thread then ends on its own when that task returns.
  void stop();

  // For a process that tears the library down with the worker still running:
  // lets the thread go without waiting (waiting there could hold the loader).
  void abandon();

  bool onWorkerThread() const;

 private:
  struct State {
    Ledra::SrwMutex mutex;
    Ledra::SrwConditionVariable wake;
    std::deque<std::function<void()>> tasks;
    bool stopping = false;
    bool sleeping = false;  // the thread waits on wake
  };

  static void run(const std::shared_ptr<State>& state);
  void markStopping();

  std::shared_ptr<State> state_;
  Ledra::SrwMutex threadMutex_;  // guards thread_ between concurrent stop() calls
  std::thread thread_;
  std::thread::id threadId_;
};

}  // namespace KilnBus
