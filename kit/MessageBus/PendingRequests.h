// The requests still waiting for a reply, and the timer thread that times them
// out. A request leaves the table exactly once: by its reply, by its timeout,
// or dropped with its handle or adapter.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "include/MessageHeader.h"
#include "kit/MessageBus/Handle.h"
#include "kit/MessageBus/Routing.h"
#include "wrappers/SrwSync.h"

namespace KilnBus {

struct PendingRequest {
  uint64_t serial = 0;
  RequestMark mark{};
  std::shared_ptr<Handle> handle;
  ReplyTicket ticket;
  std::chrono::steady_clock::time_point deadline;
};

class PendingRequests {
 public:
  PendingRequests() = default;
  ~PendingRequests() { shutdown(); }

  PendingRequests(const PendingRequests&) = delete;
  PendingRequests& operator=(const PendingRequests&) = delete;

  // Starts the timer thread if none runs.
  void add(PendingRequest request);

  // The request that a reply's destination fields name, taken out of the table.
  std::optional<PendingRequest> takeFor(const Ledra::MessageHeader& reply);

  void dropHandle(uint32_t handleId);
  void dropAdapter(uint32_t handleId, Ledra::BusReplyAdapter adapter);

  // Drops every request and ends the timer thread (waiting for it).
  void shutdown();
  // The same without waiting, for a library torn down with handles still open.
  void abandon();

 private:
  void runTimer(std::shared_ptr<bool> stop);
  std::thread takeTimer();

  Ledra::SrwMutex mutex_;
  Ledra::SrwConditionVariable wake_;
  std::map<uint64_t, PendingRequest> pending_;  // by serial
  std::thread timer_;
  std::shared_ptr<bool> timerStop_;
};

}  // namespace KilnBus
