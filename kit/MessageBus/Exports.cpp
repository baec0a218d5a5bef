#include <windows.h>
// The library's exports and its function table. Each entry is a guard: a
// failure inside the bus becomes a status, never an exception in the caller.
#include <cstdint>
#include <new>

#include "include/BusLibrary.h"
#include "include/ModuleStatus.h"
#include "kit/MessageBus/Bus.h"

namespace {

using KilnBus::Bus;
using Ledra::MessageHeader;

template <typename Call>
uint32_t guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return Ledra::MODULE_STATUS_NO_MEMORY;
  } catch (...) {
    return Ledra::MODULE_STATUS_UNKNOWN_EXCEPTION;
  }
}

// Subscribe entries answer an id; 0 tells any failure.
template <typename Call>
uint32_t guardedId(Call call) {
  try {
    return call();
  } catch (...) {
    return 0;
  }
}

// Once a bus exists, the library stays loaded for the rest of the process: its
// delivery threads may still be returning from a call when the last user frees
// it, and a process-wide bus outlives any one of its users anyway.
void pinThisLibrary() {
  static const bool pinned = [] {
    HMODULE self = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                              reinterpret_cast<LPCWSTR>(&pinThisLibrary), &self) != FALSE;
  }();
  (void)pinned;
}

uint32_t busCreate(void** handle) {
  pinThisLibrary();
  return guarded([&] { return Bus::instance().createHandle(handle); });
}

uint32_t busRelease(void* handle) {
  return guarded([&] { return Bus::instance().releaseHandle(handle); });
}

uint32_t busPublish(void* handle, const MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                    const wchar_t* payload) {
  return guarded([&] { return Bus::instance().publish(handle, header, name, sender, payload); });
}

uint32_t busRequest(void* handle, uint64_t replyIndex, void* context, Ledra::BusReplyAdapter adapter,
                    const MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                    const wchar_t* payload, uint32_t timeoutMs) {
  return guarded([&] {
    return Bus::instance().request(handle, replyIndex, context, adapter, header, name, sender, payload,
                                   timeoutMs);
  });
}

uint32_t busSubscribe(void* handle, void* context, Ledra::BusDeliveryAdapter adapter, const wchar_t* name) {
  return guardedId([&] { return Bus::instance().subscribe(handle, context, adapter, name); });
}

uint32_t busSubscribeFilter(void* handle, void* context, Ledra::BusDeliveryAdapter adapter,
                            const wchar_t* pattern) {
  return guardedId([&] { return Bus::instance().subscribeFilter(handle, context, adapter, pattern); });
}

uint32_t busUnsubscribe(void* handle, uint32_t subscriptionId) {
  return guarded([&] { return Bus::instance().unsubscribe(handle, subscriptionId); });
}

uint32_t busReleaseReplyAdapter(void* handle, Ledra::BusReplyAdapter adapter) {
  return guarded([&] { return Bus::instance().releaseReplyAdapter(handle, adapter); });
}

// The variant entries carry the same messages the same way: this bus has one
// kind of delivery.
const Ledra::BusFunctions kFunctions = {
    busCreate,    busRelease,         busPublish,     busRequest,
    busSubscribe, busSubscribeFilter, busUnsubscribe, busReleaseReplyAdapter,
    busPublish,   busRequest,
};

constexpr char kVersionText[] = "2.1.0";

}  // namespace

extern "C" {

const Ledra::BusFunctions* CreateObject(uint32_t version) {
  return version == Ledra::kBusLibraryVersion ? &kFunctions : nullptr;
}

uint32_t GetVersionNum() { return Ledra::kBusLibraryVersion; }

const char* GetVersionStr() { return kVersionText; }

// The table is static; there is nothing to give back.
void ReleaseObject(const void*) {}

}  // extern "C"
