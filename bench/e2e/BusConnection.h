// The benchmark's side of the kit's bus library: the library and its
// function table, handles and subscriptions that end with their owners, and
// the headers of the messages the benchmark sends.
#pragma once

#include <string>

#include "include/BusLibrary.h"
#include "wrappers/ScopedHandle.h"

namespace Bench {

class BusLibrary {
 public:
  // Loads MessageBus.dll from folder; functions() is null when that failed.
  explicit BusLibrary(const std::wstring& folder);
  const Ledra::BusFunctions* functions() const { return functions_; }

 private:
  Ledra::ScopedLibrary library_;
  const Ledra::BusFunctions* functions_ = nullptr;
};

// One bus handle; get() is null when the bus refused one.
class BusHandle {
 public:
  explicit BusHandle(const Ledra::BusFunctions* bus);
  ~BusHandle();
  BusHandle(const BusHandle&) = delete;
  BusHandle& operator=(const BusHandle&) = delete;
  void* get() const { return handle_; }

 private:
  const Ledra::BusFunctions* bus_;
  void* handle_ = nullptr;
};

// An exact subscription, dropped when the owner goes.
class Subscription {
 public:
  Subscription(const Ledra::BusFunctions* bus, void* handle, void* context, Ledra::BusDeliveryAdapter adapter,
               const std::wstring& name);
  ~Subscription();
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  bool ok() const { return id_ != 0; }

 private:
  const Ledra::BusFunctions* bus_;
  void* handle_;
  uint32_t id_;
};

// A new message's header (version 2, no flags, no routing).
Ledra::MessageHeader messageHeader(const wchar_t* name, const wchar_t* sender, const wchar_t* payload);
// The header of the reply to request: the reply flag and the request's origin
// routing as its destination, as the framework's createReply makes it.
Ledra::MessageHeader replyHeader(const Ledra::MessageHeader& request, const wchar_t* name,
                                 const wchar_t* sender, const wchar_t* payload);

}  // namespace Bench
