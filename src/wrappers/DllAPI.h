// The operating-system calls for loading libraries. Every load passes the
// trusted-signature check first.
#pragma once

#include <windows.h>

#include <string>

namespace Ledra {

class DllAPI {
 public:
  virtual ~DllAPI() = default;
  // Checks the file's signature, then LoadLibraryExW, holding the file open in
  // between (see ImageTrust::loadLibrary); only absolute paths are loaded. On
  // failure *out is null, the thread's last error says why (the check's code
  // when it refused) and "LoadLibrary Failed. GLE: %lu" is logged.
  virtual bool loadLibrary(const std::wstring& path, HMODULE* out);
  virtual FARPROC getProcAddress(HMODULE module, const char* name);
  // True when the path is non-empty and passes the trusted-signature check.
  virtual bool isTrusted(const std::wstring& path);
  virtual bool freeLibrary(HMODULE module);
  // GetModuleHandleExW; with flags 0 a found module's reference count rises.
  virtual bool getModuleHandleEx(DWORD flags, const wchar_t* name, HMODULE* out);
};

}  // namespace Ledra
