// The module function table that a module library's CreateObject answers and
// the host reads by layout (96 bytes). Shared by the module, the kit's modules
// and the kit's host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "include/BusLibrary.h"
#include "include/MessageHeader.h"

namespace Ledra {

constexpr uint32_t kModuleVersionNumber = 2001000;
constexpr char kModuleVersionText[] = "2.1.0";
constexpr uint32_t kModuleTableTrailer = 0x0008000B;

// The host's unload service: (its context, the module's name, reserved = null).
using ModuleManagerCallback = uint32_t (*)(void* context, const wchar_t* moduleName, void* reserved);

using NewModuleFn = uint32_t (*)(void** handleAddress, const wchar_t* logGroup);
using DestroyModuleFn = uint32_t (*)(void* handle);
using InitializeModuleFn = uint32_t (*)(void* handle, const wchar_t* moduleName, const wchar_t* secondName,
                                        uint32_t count, const wchar_t* const* names,
                                        const wchar_t* const* values, void* managerContext,
                                        ModuleManagerCallback managerCallback);
using ModuleLifecycleFn = uint32_t (*)(void* handle);
using DirectMessageFn = uint32_t (*)(void* handle, const MessageHeader* header, const wchar_t* name,
                                     const wchar_t* sender, const wchar_t* payload);
using InitializeModuleV2Fn = uint32_t (*)(void* handle, const wchar_t* moduleName, const wchar_t* secondName,
                                          uint32_t count, const wchar_t* const* names,
                                          const wchar_t* const* values, void* managerContext,
                                          ModuleManagerCallback managerCallback, void* busHandle,
                                          const BusFunctions* busFunctions);

struct ModuleFunctionTable {
  NewModuleFn newModule;                   // 0
  DestroyModuleFn destroyModule;           // 8
  InitializeModuleFn initializeModule;     // 16
  ModuleLifecycleFn startModule;           // 24
  ModuleLifecycleFn stopModule;            // 32
  ModuleLifecycleFn uninitializeModule;    // 40
  DirectMessageFn directMessage;           // 48
  InitializeModuleV2Fn initializeModuleV2; // 56
  char version[24];                        // 64: "2.1.0", NUL-terminated, rest zero
  uint32_t trailer;                        // 88: 0x0008000B, never read by the module
  uint32_t reserved;                       // 92: zero
};

static_assert(sizeof(ModuleFunctionTable) == 96, "the host reads the table by layout");
static_assert(offsetof(ModuleFunctionTable, initializeModuleV2) == 56, "layout");
static_assert(offsetof(ModuleFunctionTable, version) == 64, "layout");
static_assert(offsetof(ModuleFunctionTable, trailer) == 88, "layout");

// Exports of a module library (ordinals 1 to 4).
using ModuleCreateObjectFn = const ModuleFunctionTable* (*)();
using ModuleGetVersionNumFn = uint32_t (*)();
using ModuleGetVersionStrFn = const char* (*)();
using ModuleReleaseObjectFn = void (*)(const void*);

}  // namespace Ledra
