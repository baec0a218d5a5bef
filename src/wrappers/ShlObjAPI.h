// The shell's known folders.
#pragma once

#include <windows.h>

#include <shlobj.h>

namespace Ledra {

class ShlObjAPI {
 public:
  virtual ~ShlObjAPI() = default;
  // SHGetKnownFolderPath; the caller owns *path (receive it into a ScopedCoTaskMemString).
  virtual HRESULT getKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path);
};

}  // namespace Ledra
