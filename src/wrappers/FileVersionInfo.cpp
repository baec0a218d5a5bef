#include "wrappers/FileVersionInfo.h"

#include <cwchar>

namespace Basalt {

namespace {

struct Translation {
  WORD language;
  WORD codePage;
};

}  // namespace

bool FileVersionInfo::read(const std::wstring& path) {
  data_.clear();
  if (path.empty()) return false;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
  data_.swap(data);
  return true;
}

std::wstring FileVersionInfo::fileVersion() const {
  if (data_.empty()) return std::wstring();
  // VerQueryValueW takes a non-const block but does not change it.
  void* block = const_cast<BYTE*>(data_.data());
  Translation* translations = nullptr;
  UINT bytes = 0;
  if (!::VerQueryValueW(block, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &bytes)) {
    return std::wstring();
  }
  const UINT count = bytes / sizeof(Translation);
  for (UINT i = 0; i < count; ++i) {
    wchar_t query[64];
    std::swprintf(query, sizeof(query) / sizeof(query[0]), L"\\StringFileInfo\\%04x%04x\\FileVersion",
                  translations[i].language, translations[i].codePage);
    wchar_t* text = nullptr;
    UINT chars = 0;
    if (::VerQueryValueW(block, query, reinterpret_cast<void**>(&text), &chars) && text != nullptr) {
      return std::wstring(text);
    }
  }
  return std::wstring();
}

}  // namespace Basalt
