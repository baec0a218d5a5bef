// The floor: a subscriber on its own bus handle, in the same process and on
// the same bus as the module, that answers each request from its bus
// callback with no queue, no worker and no component. It answers a message
// with one message and a request with the reply and then the reply's
// non-reply copy, the bus traffic the module's bus client makes for the same
// request, so that module and floor differ by the module's own work.
#pragma once

#include <cstdint>

#include "include/BusLibrary.h"

namespace Bench {

constexpr wchar_t kFloorRequest[] = L"Bench.Floor.Request";
constexpr wchar_t kFloorAnswer[] = L"Bench.Floor.Answer";

class Floor {
 public:
  Floor(const Ledra::BusFunctions* bus, void* handle) : bus_(bus), handle_(handle) {}

  // Delivery adapter of the bus: context is the floor.
  static uint32_t onRequest(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                            const wchar_t* sender, const wchar_t* payload);

 private:
  const Ledra::BusFunctions* bus_;
  void* handle_;
};

}  // namespace Bench
