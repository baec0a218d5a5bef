#include "kit/Kiln/Registry.h"

#include <windows.h>

#include "wrappers/ScopedHandle.h"

namespace Kiln {

bool RegistrySeams::set(const RegistryValue& value, long& error) {
  Ledra::ScopedRegKey key;
  error = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, value.key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                            nullptr, key.receive(), nullptr);
  if (error != ERROR_SUCCESS) return false;
  bool known = false;
  for (const Previous& entry : previous_) {
    if (_wcsicmp(entry.key.c_str(), value.key.c_str()) == 0 &&
        _wcsicmp(entry.valueName.c_str(), value.valueName.c_str()) == 0) {
      known = true;
    }
  }
  if (!known) {
    Previous entry;
    entry.key = value.key;
    entry.valueName = value.valueName;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), value.valueName.c_str(), nullptr, &type, nullptr, &size) ==
        ERROR_SUCCESS) {
      entry.data.resize(size);
      if (::RegQueryValueExW(key.get(), value.valueName.c_str(), nullptr, &type,
                             entry.data.empty() ? nullptr : entry.data.data(), &size) == ERROR_SUCCESS) {
        entry.existed = true;
        entry.type = type;
        entry.data.resize(size);
      }
    }
    previous_.push_back(std::move(entry));
  }
  const DWORD bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
  error = ::RegSetValueExW(key.get(), value.valueName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.data.c_str()), bytes);
  return error == ERROR_SUCCESS;
}

void RegistrySeams::restore() {
  // Last change first, so a value set twice ends as it was before the first.
  for (auto entry = previous_.rbegin(); entry != previous_.rend(); ++entry) {
    Ledra::ScopedRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, entry->key.c_str(), 0, KEY_WRITE, key.receive()) !=
        ERROR_SUCCESS) {
      continue;
    }
    if (entry->existed) {
      ::RegSetValueExW(key.get(), entry->valueName.c_str(), 0, entry->type,
                       entry->data.empty() ? nullptr : entry->data.data(),
                       static_cast<DWORD>(entry->data.size()));
    } else {
      ::RegDeleteValueW(key.get(), entry->valueName.c_str());
    }
  }
  previous_.clear();
}

long registerComServer(const std::wstring& path) {
  Ledra::ScopedLibrary library(::LoadLibraryW(path.c_str()));
  if (!library.get()) return HRESULT_FROM_WIN32(::GetLastError());
  using RegisterFn = HRESULT(STDAPICALLTYPE*)();
  const auto registerServer = reinterpret_cast<RegisterFn>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllRegisterServer")));
  if (!registerServer) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  return registerServer();
}

}  // namespace Kiln
