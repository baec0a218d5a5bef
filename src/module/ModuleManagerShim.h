// The host's module manager as the module sees it: only its unload service.
#pragma once

#include <cstdint>
#include <string>

#include "include/ModuleFunctionTable.h"
#include "include/ModuleStatus.h"

namespace Ledra {
namespace internal {

class ModuleManagerShim {
 public:
  ModuleManagerShim(void* context, ModuleManagerCallback callback) : context_(context), callback_(callback) {}
  virtual ~ModuleManagerShim() = default;

  // Asks the host to unload the named module; answers the host's status.
  virtual uint32_t unloadModule(const std::wstring& moduleName) {
    // A host that offered no callback cannot unload us; say so instead of crashing it.
    if (callback_ == nullptr) return MODULE_STATUS_NOT_SUPPORTED;
    return callback_(context_, moduleName.c_str(), nullptr);
  }

 private:
  void* context_;
  ModuleManagerCallback callback_;
};

}  // namespace internal
}  // namespace Ledra
