// Read-only access to one registry key of HKEY_LOCAL_MACHINE.
//
// Values under the product's keys may be stored encoded; this reader owns that
// format. A text may be stored as REG_SZ, REG_EXPAND_SZ or, as the installer
// writes it, REG_BINARY holding the UTF-16 text; numbers as REG_DWORD. The
// reader is the one place to change if the encoding ever changes. The logging
// configuration and the library block list are read through it.
//
//   Basalt::CObfuscatedRegKey key;
//   if (key.open(L"SOFTWARE\\Brenix\\Logging") == ERROR_SUCCESS) {
//     DWORD mechanism = 0;
//     if (key.readDword(L"Logging Mechanism", mechanism) == ERROR_SUCCESS) { ... }
//   }
#pragma once

#include <windows.h>

#include <string>

#include "wrappers/ScopedHandle.h"

namespace Basalt {

class CObfuscatedRegKey {
 public:
  CObfuscatedRegKey() noexcept = default;

  // Opens HKLM\subkey for reading (replacing any key opened before).
  // ERROR_SUCCESS, or the Windows error (ERROR_FILE_NOT_FOUND for a missing key).
  LSTATUS open(const wchar_t* subkey) noexcept;
  bool isOpen() const noexcept { return key_.valid(); }

  // A REG_SZ or REG_EXPAND_SZ value (not expanded), or a REG_BINARY value
  // holding UTF-16 text. ERROR_FILE_NOT_FOUND when missing,
  // ERROR_INVALID_DATATYPE for another type, ERROR_INVALID_DATA for binary
  // data that is not whole UTF-16 units, ERROR_INVALID_HANDLE when no key is
  // open. Trailing NULs are dropped. `value` is changed only on success.
  LSTATUS readString(const wchar_t* name, std::wstring& value) const noexcept;

  // A REG_DWORD value; same failures as readString.
  LSTATUS readDword(const wchar_t* name, DWORD& value) const noexcept;

  // The open key, for change notification; null when none is open.
  HKEY get() const noexcept { return key_.get(); }

 private:
  Ledra::ScopedRegKey key_;
};

}  // namespace Basalt
