// A module library driven through its function table as a host drives it:
// created, initialised with the host's bus handle and started; stopped,
// uninitialised, destroyed and unloaded when the owner goes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "include/BusLibrary.h"
#include "include/ModuleFunctionTable.h"
#include "wrappers/ScopedHandle.h"

namespace Bench {

using ModuleSettings = std::vector<std::pair<std::wstring, std::wstring>>;

class HostedModule {
 public:
  HostedModule() = default;
  ~HostedModule() { unload(); }
  HostedModule(const HostedModule&) = delete;
  HostedModule& operator=(const HostedModule&) = delete;

  // file in folder, named name for the host; false when any step failed.
  bool load(const std::wstring& folder, const wchar_t* file, const wchar_t* name,
            const ModuleSettings& settings, void* busHandle, const Ledra::BusFunctions* bus);
  void unload();

 private:
  Ledra::ScopedLibrary library_;
  const Ledra::ModuleFunctionTable* table_ = nullptr;
  void* handle_ = nullptr;
};

}  // namespace Bench
