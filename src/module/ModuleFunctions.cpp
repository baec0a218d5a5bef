// The exports of a module library and the module function table the host
// drives it through. Every entry point checks its handle first, then runs its
// body inside a guard that turns any exception into
// MODULE_STATUS_UNKNOWN_EXCEPTION: nothing escapes to the host.
#include <windows.h>

#include <functional>
#include <memory>
#include <new>
#include <string>

#include "Logging/Log.h"
#include "bus/MessageBusClient.h"
#include "bus/MessageBusShimImpl.h"
#include "include/ModuleFunctionTable.h"
#include "message/Message.h"
#include "module/BaseModule.h"
#include "module/ModuleFactory.h"
#include "module/SettingsRegistration.h"
#include "wrappers/CxxRuntimeRelease.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"ModuleFunctions";

// Hosts load and unload module libraries many times in one process. Built
// before the library's other static objects, so that it sees the thread
// library's first use, and so destroyed after them.
#if defined(__GNUC__)
__attribute__((init_priority(101)))
#endif
const CxxRuntimeReleaseAtUnload releaseRuntimeAtUnload;
constexpr wchar_t kInvalidHandleAddress[] = L"Invalid handle address.";
constexpr wchar_t kInvalidHandle[] = L"Invalid handle.";
constexpr wchar_t kBaseInitializeFailed[] = L"Failed to initialize base module. Error code %lu.";

// The opaque handle the host holds between NewModule and DestroyModule.
struct ModuleHandle {
  std::function<void(Module*)> deleter;
  Module* module;
};

void deleteModule(Module* module) { std::default_delete<Module>()(module); }

// Runs body; any exception becomes MODULE_STATUS_UNKNOWN_EXCEPTION, without a log line.
template <typename Body>
ModuleStatus guarded(Body&& body) noexcept {
  try {
    std::function<ModuleStatus()> callable(std::forward<Body>(body));
    return callable();
  } catch (...) {
    return MODULE_STATUS_UNKNOWN_EXCEPTION;
  }
}

// The module of a handle whose module is set, else null.
Module* moduleOf(void* handle) {
  auto* moduleHandle = static_cast<ModuleHandle*>(handle);
  return moduleHandle == nullptr ? nullptr : moduleHandle->module;
}

ModuleSettings makeSettings(uint32_t count, const wchar_t* const* names, const wchar_t* const* values) {
  ModuleSettings settings;
  for (uint32_t i = 0; i < count; ++i) settings[names[i]] = values[i];
  return settings;
}

std::wstring text(const wchar_t* value) { return value == nullptr ? std::wstring() : std::wstring(value); }

// The steps both initialize entries share once the bus is built.
ModuleStatus initializeWithBus(Module* module, const wchar_t* moduleName, const wchar_t* secondName,
                               uint32_t count, const wchar_t* const* names, const wchar_t* const* values,
                               void* managerContext, ModuleManagerCallback managerCallback,
                               const std::function<std::shared_ptr<MessageBus>()>& makeBus, int failureLine,
                               const wchar_t* function) {
  auto* base = dynamic_cast<BaseModule*>(module);
  if (base == nullptr) return module->initialize();
  const ModuleSettings settings = makeSettings(count, names, values);
  auto manager = std::make_shared<internal::ModuleManagerShim>(managerContext, managerCallback);
  std::shared_ptr<MessageBus> bus = makeBus();
  const ModuleStatus status =
      base->baseInitialize(text(moduleName), text(secondName), settings, manager, bus);
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, function, failureLine, kBaseInitializeFailed, status);
    return status;
  }
  return module->initialize();
}

uint32_t NewModule(void** handleAddress, const wchar_t* logGroup) {
  if (handleAddress == nullptr) {
    LEDRA_LOG(logging::Error, L"NewModule", 38, kInvalidHandleAddress);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  if (logGroup != nullptr && logGroup[0] != L'\0') {
    logging::setLoggingIdentity(0, logGroup, nullptr, nullptr, 0);
  }
  return guarded([&]() -> ModuleStatus {
    auto container = std::make_shared<Basalt::IOCContainer>();
    // One settings-manager client, with a bus client of its own, for every module of the library.
    registerSettingsManager(*container);
    std::unique_ptr<Module> module = createModuleInstance(container);
    if (!module) return MODULE_STATUS_UNSUCCESSFUL;
    auto handle = std::make_unique<ModuleHandle>(ModuleHandle{deleteModule, module.get()});
    module.release();  // the handle owns it now, until DestroyModule
    *handleAddress = handle.release();
    return MODULE_STATUS_SUCCESS;
  });
}

uint32_t DestroyModule(void* handle) {
  if (handle == nullptr) {
    LEDRA_LOG(logging::Error, L"DestroyModule", 68, kInvalidHandle);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return guarded([&]() -> ModuleStatus {
    std::unique_ptr<ModuleHandle> owned(static_cast<ModuleHandle*>(handle));
    if (owned->module != nullptr) owned->deleter(owned->module);
    return MODULE_STATUS_SUCCESS;
  });
}

uint32_t InitializeModule(void* handle, const wchar_t* moduleName, const wchar_t* secondName, uint32_t count,
                          const wchar_t* const* names, const wchar_t* const* values, void* managerContext,
                          ModuleManagerCallback managerCallback) {
  Module* module = moduleOf(handle);
  if (module == nullptr) {
    LEDRA_LOG(logging::Error, L"InitializeModule", 86, kInvalidHandle);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return guarded([&]() -> ModuleStatus {
    // The client finds and loads the bus library itself.
    auto makeBus = []() -> std::shared_ptr<MessageBus> { return std::make_shared<MessageBusClient>(); };
    return initializeWithBus(module, moduleName, secondName, count, names, values, managerContext,
                             managerCallback, makeBus, 112, L"InitializeModule");
  });
}

uint32_t InitializeModuleV2(void* handle, const wchar_t* moduleName, const wchar_t* secondName,
                            uint32_t count, const wchar_t* const* names, const wchar_t* const* values,
                            void* managerContext, ModuleManagerCallback managerCallback, void* busHandle,
                            const BusFunctions* busFunctions) {
  Module* module = moduleOf(handle);
  if (module == nullptr) {
    LEDRA_LOG(logging::Error, L"InitializeModuleV2", 192, kInvalidHandle);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return guarded([&]() -> ModuleStatus {
    // The client works on the bus the host handed over.
    auto makeBus = [&]() -> std::shared_ptr<MessageBus> {
      return std::make_shared<MessageBusClient>(
          std::make_shared<MessageBusShimImpl>(busHandle, busFunctions));
    };
    return initializeWithBus(module, moduleName, secondName, count, names, values, managerContext,
                             managerCallback, makeBus, 218, L"InitializeModuleV2");
  });
}

uint32_t StartModule(void* handle) {
  Module* module = moduleOf(handle);
  if (module == nullptr) {
    LEDRA_LOG(logging::Error, L"StartModule", 127, kInvalidHandle);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return guarded([&] { return module->start(); });
}

uint32_t StopModule(void* handle) {
  Module* module = moduleOf(handle);
  if (module == nullptr) {
    LEDRA_LOG(logging::Error, L"StopModule", 141, kInvalidHandle);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return guarded([&] { return module->stop(); });
}

uint32_t UninitializeModule(void* handle) {
  Module* module = moduleOf(handle);
  if (module == nullptr) {
    LEDRA_LOG(logging::Error, L"UninitializeModule", 155, kInvalidHandle);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return guarded([&] { return module->uninitialize(); });
}

uint32_t DirectMessage(void* handle, const MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                       const wchar_t* payload) {
  Module* module = moduleOf(handle);
  if (module == nullptr) {
    LEDRA_LOG(logging::Error, L"DirectMessage", 170, kInvalidHandle);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return guarded([&]() -> ModuleStatus {
    std::shared_ptr<Message> message = Message::create(text(name), text(sender), text(payload));
    if (!message) return MODULE_STATUS_UNSUCCESSFUL;
    message->resetHeader(0);
    if (header != nullptr) message->copyHeaderFrom(header);
    auto* base = dynamic_cast<BaseModule*>(module);
    return base == nullptr ? MODULE_STATUS_SUCCESS : base->directMessage(message);
  });
}

const ModuleFunctionTable kModuleFunctionTable = {NewModule,
                                                  DestroyModule,
                                                  InitializeModule,
                                                  StartModule,
                                                  StopModule,
                                                  UninitializeModule,
                                                  DirectMessage,
                                                  InitializeModuleV2,
                                                  {'2', '.', '1', '.', '0', '\0'},
                                                  kModuleTableTrailer,
                                                  0};

}  // namespace
}  // namespace Ledra

extern "C" {

const Ledra::ModuleFunctionTable* CreateObject() { return &Ledra::kModuleFunctionTable; }
uint32_t GetVersionNum() { return Ledra::kModuleVersionNumber; }
const char* GetVersionStr() { return Ledra::kModuleFunctionTable.version; }
void ReleaseObject(const void*) {}

}  // extern "C"
