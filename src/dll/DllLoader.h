// Loads, looks up and frees libraries through DllAPI, logging every failure.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "wrappers/DllAPI.h"

namespace Ledra {

class DllLoader {
 public:
  // A null api is replaced by the system's own.
  explicit DllLoader(std::shared_ptr<DllAPI> api = nullptr);
  virtual ~DllLoader() = default;

  // A library already in the process is taken with its reference count
  // raised; any other is loaded after the trusted-signature check.
  virtual bool loadDLL(const std::wstring& path, HMODULE* handle);
  // Null when the library has no such export.
  virtual FARPROC getProcAddress(HMODULE module, const char* name);
  virtual bool freeLibrary(HMODULE module);

 private:
  std::shared_ptr<DllAPI> api_;
};

}  // namespace Ledra
