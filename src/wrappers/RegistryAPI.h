// Read-only access to values under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include <string>

namespace Ledra {

class RegistryAPI {
 public:
  // Read access including the 64-bit view flags the system adds (KEY_READ).
  static constexpr REGSAM kReadAccess = 0x20019;
  // Longest string value read, in characters, without the terminator.
  static constexpr DWORD kMaxStringChars = 260;

  virtual ~RegistryAPI() = default;
  // A REG_SZ or REG_EXPAND_SZ value of at most 260 characters. On any failure
  // out keeps its previous contents.
  virtual bool readString(const std::wstring& keyPath, const std::wstring& valueName, std::wstring& out);
  // A REG_DWORD value; on any failure out keeps its previous contents.
  virtual bool readDword(const std::wstring& keyPath, const std::wstring& valueName, DWORD& out);
};

}  // namespace Ledra
