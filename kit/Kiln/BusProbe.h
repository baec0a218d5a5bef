// A second client on the host's bus, for programs that check what the modules
// say: it records every message it sees whole, waits for one that a test
// names, asks with replies of its own (from any thread), and publishes in a
// session of its choice.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "kit/Kiln/HostBus.h"
#include "kit/Kiln/Traffic.h"

namespace Kiln {

constexpr wchar_t kProbeSender[] = L"Probe";

class BusProbe {
 public:
  using Accept = std::function<bool(const SeenMessage&)>;

  // A handle of its own on the bus library that `bus` opened; records the names matching the pattern.
  explicit BusProbe(const HostBus& bus, const std::wstring& pattern = L".*");
  ~BusProbe();
  BusProbe(const BusProbe&) = delete;
  BusProbe& operator=(const BusProbe&) = delete;

  bool ready() const { return subscription_ != 0; }

  // The place of the next message recorded; waits look from a mark on.
  size_t mark() const;
  // The first message from `from` on with that name that `accept` takes (any when empty).
  bool waitFor(const std::wstring& name, size_t from, const Accept& accept, uint32_t milliseconds,
               SeenMessage* found = nullptr);
  // Drops what was recorded so far; marks keep their meaning.
  void forget();

  // A plain message; session 0 is this process's session.
  uint32_t publish(const std::wstring& name, const std::wstring& payload, uint32_t session = 0);
  // A request; true with the reply when one came within the time.
  bool ask(const std::wstring& name, const std::wstring& payload, uint32_t milliseconds,
           SeenMessage* reply = nullptr);

 private:
  struct Answer {
    uint32_t status;
    SeenMessage reply;
  };
  static uint32_t deliver(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                          const wchar_t* sender, const wchar_t* payload);
  static uint32_t replied(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                          const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                          uint32_t status);

  const Ledra::BusFunctions* functions_;
  void* handle_ = nullptr;
  uint32_t subscription_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<SeenMessage> seen_;
  size_t forgotten_ = 0;
  uint64_t lastIndex_ = 0;
  std::map<uint64_t, Answer> answers_;
};

}  // namespace Kiln
