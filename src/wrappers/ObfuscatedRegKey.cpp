#include "wrappers/ObfuscatedRegKey.h"

#include <vector>

namespace Basalt {
namespace {

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_BINARY; }

}  // namespace

LSTATUS CObfuscatedRegKey::open(const wchar_t* subkey) noexcept {
  key_.reset();
  if (subkey == nullptr) return ERROR_INVALID_PARAMETER;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, key_.receive());
}

LSTATUS CObfuscatedRegKey::readString(const wchar_t* name, std::wstring& value) const noexcept {
  if (!key_.valid()) return ERROR_INVALID_HANDLE;
  try {
    // The value may grow between the size query and the read: retry then.
    for (int attempt = 0; attempt < 3; ++attempt) {
      DWORD type = 0;
      DWORD bytes = 0;
      LSTATUS status = ::RegQueryValueExW(key_.get(), name, nullptr, &type, nullptr, &bytes);
      if (status != ERROR_SUCCESS) return status;
      if (!isText(type)) return ERROR_INVALID_DATATYPE;
      std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
      bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
      status = ::RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                  &bytes);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) return status;
      if (!isText(type)) return ERROR_INVALID_DATATYPE;
      if (type == REG_BINARY && bytes % sizeof(wchar_t) != 0) return ERROR_INVALID_DATA;
      // Stored texts need not carry their terminator.
      size_t length = bytes / sizeof(wchar_t);
      while (length > 0 && buffer[length - 1] == L'\0') --length;
      value.assign(buffer.data(), length);
      return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

LSTATUS CObfuscatedRegKey::readDword(const wchar_t* name, DWORD& value) const noexcept {
  if (!key_.valid()) return ERROR_INVALID_HANDLE;
  DWORD type = 0;
  DWORD data = 0;
  DWORD bytes = sizeof(data);
  LSTATUS status =
      ::RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes);
  if (status == ERROR_MORE_DATA) return ERROR_INVALID_DATATYPE;
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_DWORD || bytes != sizeof(data)) return ERROR_INVALID_DATATYPE;
  value = data;
  return ERROR_SUCCESS;
}

}  // namespace Basalt
