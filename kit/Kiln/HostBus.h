// The host's own use of the bus library: loads MessageBus.dll from the host's
// folder, makes the host's handle (which it also hands to the modules),
// subscribes to every name for printing, and publishes and requests for the script.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "include/BusLibrary.h"
#include "kit/Kiln/Traffic.h"

namespace Kiln {

struct RequestOutcome {
  uint32_t sendStatus = 0;   // what the bus answered to the request call
  uint32_t replyStatus = 0;  // 0 with a reply, else the failure (timeout)
  bool answered = false;     // the reply adapter was called
  bool answerPrinted = false;
};

class HostBus {
 public:
  explicit HostBus(Traffic& traffic) : traffic_(traffic) {}
  ~HostBus();
  HostBus(const HostBus&) = delete;
  HostBus& operator=(const HostBus&) = delete;

  // Loads the library and makes the handle; the status tells what failed.
  uint32_t open(const std::wstring& libraryPath, std::wstring& failure);
  // The catch-all subscription; made before any module is loaded.
  uint32_t subscribeAll();
  void close();

  void* handle() const { return handle_; }
  const Ledra::BusFunctions* functions() const { return functions_; }

  uint32_t publish(const std::wstring& name, const std::wstring& payload);
  // Sends, waits for the reply or its timeout, and makes sure the answer is
  // printed exactly once (in place of its copy when one comes).
  RequestOutcome request(const std::wstring& name, const std::wstring& payload, uint32_t timeoutMs);
  // Returns once everything published before this call has been printed.
  bool sync();

  // A header for a message sent by the host: version 2, no flags, session left to the bus.
  static Ledra::MessageHeader makeHeader(const std::wstring& name, const std::wstring& sender,
                                         const std::wstring& payload);

 private:
  static uint32_t deliver(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                          const wchar_t* sender, const wchar_t* payload);
  static uint32_t replied(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                          const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                          uint32_t status);

  Traffic& traffic_;
  HMODULE library_ = nullptr;
  const Ledra::BusFunctions* functions_ = nullptr;
  void* handle_ = nullptr;
  uint32_t subscription_ = 0;
  std::atomic<uint64_t> lastReplyIndex_{0};
};

}  // namespace Kiln
