// Test side of the bus library: the loaded DLL, handles, and recording
// subscribers and requesters that tests wait on with generous deadlines.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "include/BusLibrary.h"
#include "include/MessageHeader.h"
#include "wrappers/ScopedHandle.h"

namespace BusTest {

// An export of `module` as its own function type; null when missing.
template <typename Fn>
Fn procAddress(HMODULE module, const char* name) {
  // Through the generic function type, which every function pointer converts to.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Loads MessageBus.dll from this program's folder.
class LoadedBus {
 public:
  LoadedBus();
  HMODULE module() const { return library_.get(); }
  void unload() {
    table_ = nullptr;
    library_.reset();
  }
  const Ledra::BusFunctions* table() const { return table_; }

 private:
  Ledra::ScopedLibrary library_;
  const Ledra::BusFunctions* table_ = nullptr;
};

class BusHandle {
 public:
  explicit BusHandle(const Ledra::BusFunctions* table);
  ~BusHandle();
  BusHandle(const BusHandle&) = delete;
  BusHandle& operator=(const BusHandle&) = delete;
  void* get() const { return handle_; }

  uint32_t publish(const Ledra::MessageHeader& header, const std::wstring& name, const std::wstring& payload);
  uint32_t publish(const std::wstring& name, const std::wstring& payload);

 private:
  const Ledra::BusFunctions* table_;
  void* handle_ = nullptr;
};

// A fresh version-2 header for the three strings.
Ledra::MessageHeader makeHeader(const std::wstring& name, const std::wstring& sender,
                                const std::wstring& payload);
// The answer to a request, as a responder builds it: reply bit and the
// request's origin fields as destination.
Ledra::MessageHeader replyHeader(const Ledra::MessageHeader& request, const std::wstring& name,
                                 const std::wstring& payload);

struct Delivered {
  Ledra::MessageHeader header{};
  bool hadHeader = false;
  std::wstring name, sender, payload;
  DWORD threadId = 0;
  uint64_t replyIndex = 0;
  uint32_t status = 0;
};

// Records what the bus hands it; `onDelivery` (optional) runs after the
// record and may throw or block.
class Recorder {
 public:
  static uint32_t deliveryAdapter(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                                  const wchar_t* sender, const wchar_t* payload);
  static uint32_t replyAdapter(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                               const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                               uint32_t status);

  std::function<void(const Delivered&)> onDelivery;

  // True once at least `count` calls were recorded (deadline 20 s).
  bool waitForCount(size_t count);
  std::vector<Delivered> seen();
  size_t count();

 private:
  void record(Delivered delivered);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Delivered> seen_;
};

// A one-shot gate that threads wait on (deadline 20 s).
class Latch {
 public:
  void open();
  bool wait();

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

}  // namespace BusTest
