#include "bench/e2e/BusConnection.h"

#include <cstring>
#include <cwchar>

namespace Bench {

BusLibrary::BusLibrary(const std::wstring& folder)
    : library_(::LoadLibraryW((folder + L"\\MessageBus.dll").c_str())) {
  if (!library_) return;
  const auto create = reinterpret_cast<Ledra::BusCreateObjectFn>(
      reinterpret_cast<void*>(::GetProcAddress(library_.get(), "CreateObject")));
  functions_ = create ? create(Ledra::kBusLibraryVersion) : nullptr;
}

BusHandle::BusHandle(const Ledra::BusFunctions* bus) : bus_(bus) {
  if (bus_ && bus_->create(&handle_) != 0) handle_ = nullptr;
}

BusHandle::~BusHandle() {
  if (handle_) bus_->release(handle_);
}

Subscription::Subscription(const Ledra::BusFunctions* bus, void* handle, void* context,
                           Ledra::BusDeliveryAdapter adapter, const std::wstring& name)
    : bus_(bus), handle_(handle), id_(bus->subscribe(handle, context, adapter, name.c_str())) {}

Subscription::~Subscription() {
  if (id_ != 0) bus_->unsubscribe(handle_, id_);
}

Ledra::MessageHeader messageHeader(const wchar_t* name, const wchar_t* sender, const wchar_t* payload) {
  Ledra::MessageHeader h;
  std::memset(&h, 0, sizeof(h));
  h.formatMark = 1;
  h.totalLength = Ledra::kMessageHeaderBaseLength +
                  static_cast<uint32_t>(2 * (std::wcslen(name) + std::wcslen(sender) + std::wcslen(payload)));
  h.version = Ledra::kMessageHeaderVersion;
  h.extensionMark = 11;
  h.extensionSize = 8;
  return h;
}

Ledra::MessageHeader replyHeader(const Ledra::MessageHeader& request, const wchar_t* name,
                                 const wchar_t* sender, const wchar_t* payload) {
  Ledra::MessageHeader h = messageHeader(name, sender, payload);
  h.flags = Ledra::kMessageFlagReply;
  std::memcpy(h.destinationRoutingA, request.originRoutingA, sizeof(h.destinationRoutingA));
  std::memcpy(h.destinationRoutingB, request.originRoutingB, sizeof(h.destinationRoutingB));
  std::memcpy(h.destinationCookie, request.originCookie, sizeof(h.destinationCookie));
  return h;
}

}  // namespace Bench
