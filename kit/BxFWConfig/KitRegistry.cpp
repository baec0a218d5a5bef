#include "kit/BxFWConfig/KitRegistry.h"

namespace BxKit {

std::optional<std::wstring> ReadMachineText(const wchar_t* subkey, const wchar_t* value) {
  // REG_SZ takes expanded REG_EXPAND_SZ values too; asking for REG_EXPAND_SZ
  // without RRF_NOEXPAND is refused.
  const DWORD flags = RRF_RT_REG_SZ;
  DWORD bytes = 0;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, subkey, value, flags, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // Expansion may grow the text between the two calls; retry until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const LSTATUS status = ::RegGetValueW(HKEY_LOCAL_MACHINE, subkey, value, flags, nullptr, &text[0], &size);
    if (status == ERROR_SUCCESS) {
      text.resize(wcsnlen(text.c_str(), text.size()));
      return text;
    }
    if (status != ERROR_MORE_DATA) return std::nullopt;
    bytes = size;
  }
  return std::nullopt;
}

std::optional<DWORD> ReadMachineDword(const wchar_t* subkey, const wchar_t* value) {
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, subkey, value, RRF_RT_REG_DWORD, nullptr, &data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return data;
}

}  // namespace BxKit
