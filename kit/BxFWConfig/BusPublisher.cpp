#include "kit/BxFWConfig/BusPublisher.h"

#include <windows.h>

#include <cstring>
#include <mutex>

#include "include/BusLibrary.h"
#include "include/MessageHeader.h"
#include "include/ModuleStatus.h"
#include "kit/BxFWConfig/ServerModule.h"
#include "wrappers/ScopedHandle.h"

namespace BxKit {
namespace {

constexpr wchar_t kBusLibraryFile[] = L"\\MessageBus.dll";

struct BusBinding {
  std::mutex mutex;
  bool tried = false;
  Ledra::ScopedLibrary library;
  const Ledra::BusFunctions* functions = nullptr;
  void* handle = nullptr;
};

BusBinding& Binding() {
  static BusBinding binding;
  return binding;
}

// With the binding's mutex held.
void Bind(BusBinding& bus) {
  if (bus.tried) return;
  bus.tried = true;
  bus.library.reset(::LoadLibraryW((ServerModuleFolder() + kBusLibraryFile).c_str()));
  if (!bus.library) return;
  // Through a generic function pointer type, which every function pointer converts to and from.
  auto create = reinterpret_cast<Ledra::BusCreateObjectFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(bus.library.get(), "CreateObject")));
  const Ledra::BusFunctions* functions = create ? create(Ledra::kBusLibraryVersion) : nullptr;
  void* handle = nullptr;
  if (functions == nullptr || functions->create == nullptr || functions->publish == nullptr ||
      functions->create(&handle) != Ledra::MODULE_STATUS_SUCCESS || handle == nullptr) {
    bus.library.reset();
    return;
  }
  bus.functions = functions;
  bus.handle = handle;
}

Ledra::MessageHeader MakeHeader(const wchar_t* name, const std::wstring& payload) {
  Ledra::MessageHeader header;
  std::memset(&header, 0, sizeof(header));
  header.formatMark = 1;
  header.totalLength =
      Ledra::kMessageHeaderBaseLength +
      static_cast<uint32_t>(2 * (std::wcslen(name) + std::wcslen(kBusSender) + payload.size()));
  header.version = Ledra::kMessageHeaderVersion;
  header.extensionMark = 11;
  header.extensionSize = 8;
  DWORD session = 0;
  if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) header.sessionId = session;
  return header;
}

}  // namespace

bool PublishOnBus(const wchar_t* name, const std::wstring& payload) {
  BusBinding& bus = Binding();
  std::lock_guard<std::mutex> lock(bus.mutex);
  Bind(bus);
  if (bus.handle == nullptr) return false;
  const Ledra::MessageHeader header = MakeHeader(name, payload);
  return bus.functions->publish(bus.handle, &header, name, kBusSender, payload.c_str()) ==
         Ledra::MODULE_STATUS_SUCCESS;
}

void ReleaseBus() {
  BusBinding& bus = Binding();
  std::lock_guard<std::mutex> lock(bus.mutex);
  if (bus.handle != nullptr && bus.functions->release != nullptr) bus.functions->release(bus.handle);
  bus.handle = nullptr;
  bus.functions = nullptr;
  bus.library.reset();
  bus.tried = false;
}

}  // namespace BxKit
