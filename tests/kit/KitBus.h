// The kit's MessageBus.dll as the kit's tests meet it: loaded from the bin
// folder beside the test program, handles on it, and recorders of what its
// threads hand over, which the test thread waits on with generous deadlines.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "include/BusLibrary.h"
#include "include/MessageHeader.h"
#include "tests/support/Inbox.h"
#include "wrappers/ScopedHandle.h"

namespace kit_test {

// An export of `module` as its own function type (through the generic function
// type, which every function pointer converts to); null when missing.
template <typename Fn>
Fn procAddress(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

inline std::wstring besideThisProgram(const wchar_t* file) {
  wchar_t path[MAX_PATH] = {};
  const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return program.substr(0, program.find_last_of(L"\\/") + 1) + file;
}

using tarn_test::Inbox;

struct Latch : Inbox<bool> {
  void open() { add(true); }
  bool wait() { return waitFor(1); }
};

// MessageBus.dll from this program's folder and its function table.
class LoadedBus {
 public:
  LoadedBus() : library_(LoadLibraryW(besideThisProgram(L"MessageBus.dll").c_str())) {
    auto create = library_ ? procAddress<Ledra::BusCreateObjectFn>(library_.get(), "CreateObject") : nullptr;
    if (create != nullptr) table_ = create(Ledra::kBusLibraryVersion);
  }
  HMODULE module() const { return library_.get(); }
  const Ledra::BusFunctions* table() const { return table_; }
  void unload() {
    table_ = nullptr;
    library_.reset();
  }

 private:
  Ledra::ScopedLibrary library_;
  const Ledra::BusFunctions* table_ = nullptr;
};

// A fresh version-2 header for the three strings.
inline Ledra::MessageHeader makeHeader(const std::wstring& name, const std::wstring& sender,
                                       const std::wstring& payload) {
  Ledra::MessageHeader header{};
  header.formatMark = 1;
  header.totalLength = Ledra::kMessageHeaderBaseLength +
                       static_cast<uint32_t>(2 * (name.size() + sender.size() + payload.size()));
  header.version = Ledra::kMessageHeaderVersion;
  header.extensionMark = 11;
  header.extensionSize = 8;
  return header;
}

// The answer to a request, as a responder builds it: reply bit and the
// request's origin fields as destination.
inline Ledra::MessageHeader replyHeader(const Ledra::MessageHeader& request, const std::wstring& name,
                                        const std::wstring& payload) {
  Ledra::MessageHeader header = makeHeader(name, L"kit-test", payload);
  header.flags = Ledra::kMessageFlagReply;
  std::copy(std::begin(request.originRoutingA), std::end(request.originRoutingA), header.destinationRoutingA);
  std::copy(std::begin(request.originRoutingB), std::end(request.originRoutingB), header.destinationRoutingB);
  std::copy(std::begin(request.originCookie), std::end(request.originCookie), header.destinationCookie);
  return header;
}

// One handle on the bus (null without a table), released with its subscriptions when it goes.
class BusHandle {
 public:
  explicit BusHandle(const Ledra::BusFunctions* table) : table_(table) {
    if (table_ == nullptr || table_->create(&handle_) != 0) handle_ = nullptr;
  }
  ~BusHandle() {
    if (handle_ != nullptr) table_->release(handle_);
  }
  BusHandle(const BusHandle&) = delete;
  BusHandle& operator=(const BusHandle&) = delete;
  void* get() const { return handle_; }

  uint32_t publish(const Ledra::MessageHeader& header, const std::wstring& name,
                   const std::wstring& payload) {
    return table_->publish(handle_, &header, name.c_str(), L"kit-test", payload.c_str());
  }
  uint32_t publish(const std::wstring& name, const std::wstring& payload) {
    return publish(makeHeader(name, L"kit-test", payload), name, payload);
  }

 private:
  const Ledra::BusFunctions* table_;
  void* handle_ = nullptr;
};

struct Delivered {
  Ledra::MessageHeader header{};
  bool hadHeader = false;
  std::wstring name, sender, payload;
  DWORD threadId = 0;
  uint64_t replyIndex = 0;
  uint32_t status = 0;
};

// Records what the bus hands its adapters; `onDelivery` (optional) runs after
// the record and may throw or block.
class Recorder : public Inbox<Delivered> {
 public:
  static uint32_t deliveryAdapter(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                                  const wchar_t* sender, const wchar_t* payload) {
    return replyAdapter(context, 0, header, name, sender, payload, 0);
  }
  // Null strings are recorded as "<null>", to tell them from empty ones.
  static uint32_t replyAdapter(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                               const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                               uint32_t status) {
    Delivered delivered;
    delivered.hadHeader = header != nullptr;
    if (header != nullptr) delivered.header = *header;
    delivered.name = name != nullptr ? name : L"<null>";
    delivered.sender = sender != nullptr ? sender : L"<null>";
    delivered.payload = payload != nullptr ? payload : L"<null>";
    delivered.threadId = GetCurrentThreadId();
    delivered.replyIndex = replyIndex;
    delivered.status = status;
    auto* self = static_cast<Recorder*>(context);
    self->add(delivered);
    if (self->onDelivery) self->onDelivery(delivered);
    return 0;
  }

  std::function<void(const Delivered&)> onDelivery;
};

}  // namespace kit_test
