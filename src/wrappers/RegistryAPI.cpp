#include "wrappers/RegistryAPI.h"

#include <vector>

#include "wrappers/ScopedHandle.h"

namespace Ledra {

namespace {

bool openForReading(const std::wstring& keyPath, ScopedRegKey& key) {
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, RegistryAPI::kReadAccess, key.receive()) ==
         ERROR_SUCCESS;
}

}  // namespace

bool RegistryAPI::readString(const std::wstring& keyPath, const std::wstring& valueName, std::wstring& out) {
  ScopedRegKey key;
  if (!openForReading(keyPath, key)) return false;
  std::vector<wchar_t> buffer(kMaxStringChars + 1, L'\0');
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  // The stored data may or may not carry its terminator; stop at the first NUL.
  const size_t chars = bytes / sizeof(wchar_t);
  size_t length = 0;
  while (length < chars && buffer[length] != L'\0') ++length;
  out.assign(buffer.data(), length);
  return true;
}

bool RegistryAPI::readDword(const std::wstring& keyPath, const std::wstring& valueName, DWORD& out) {
  ScopedRegKey key;
  if (!openForReading(keyPath, key)) return false;
  DWORD type = 0;
  DWORD value = 0;
  DWORD bytes = sizeof(value);
  if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD || bytes != sizeof(value)) {
    return false;
  }
  out = value;
  return true;
}

}  // namespace Ledra
