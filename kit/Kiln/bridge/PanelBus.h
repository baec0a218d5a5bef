// The panel's own client of the bus: a handle of its own, a catch-all
// subscription through which it sees every message, and publish and request
// on behalf of the page. It is another client of the bus, not the host's, so
// the host's script and prompt keep their own requests.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "include/BusLibrary.h"
#include "kit/Kiln/Traffic.h"

namespace Kiln {

// The sender of every message the panel sends.
constexpr wchar_t kPanelSender[] = L"Panel";

class PanelBus {
 public:
  // Bus delivery threads: every message but the host's ordering marks.
  using MessageSink = std::function<void(const SeenMessage&)>;
  // The bus's reply thread, once per accepted request: status 0 with the
  // reply, or the failure (a timeout) with none.
  using ReplySink = std::function<void(uint32_t status, const SeenMessage* reply)>;

  PanelBus(const Ledra::BusFunctions* functions, MessageSink sink)
      : functions_(functions), sink_(std::move(sink)) {}
  ~PanelBus() { close(); }
  PanelBus(const PanelBus&) = delete;
  PanelBus& operator=(const PanelBus&) = delete;

  uint32_t open();
  // After it returns no sink is called again; the sinks of unanswered
  // requests go with the object.
  void close();

  uint32_t publish(const std::wstring& name, const std::wstring& payload);
  uint32_t request(const std::wstring& name, const std::wstring& payload, uint32_t timeoutMs, ReplySink done);

 private:
  static uint32_t deliver(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                          const wchar_t* sender, const wchar_t* payload);
  static uint32_t replied(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                          const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                          uint32_t status);

  const Ledra::BusFunctions* functions_;
  MessageSink sink_;
  void* handle_ = nullptr;
  uint32_t subscription_ = 0;
  std::mutex mutex_;  // the pending requests
  uint64_t lastIndex_ = 0;
  std::map<uint64_t, ReplySink> pending_;
};

}  // namespace Kiln
