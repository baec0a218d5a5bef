#include "Logging/LogPaths.h"

#include <shlobj.h>

#include <vector>

namespace ETWLogging {
namespace {

// FOLDERID_ProgramData, spelled out so no GUID library has to be linked.
constexpr GUID kProgramDataFolder = {
    0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}};

}  // namespace

std::wstring commonAppDataFolder() noexcept {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(kProgramDataFolder, KF_FLAG_CREATE, nullptr, &path)) &&
      path != nullptr) {
    try {
      folder = path;
    } catch (...) {
      folder.clear();
    }
  }
  ::CoTaskMemFree(path);
  return folder;
}

std::wstring defaultLogsRoot() noexcept {
  try {
    const std::wstring appData = commonAppDataFolder();
    if (appData.empty()) return std::wstring();
    std::wstring root = appData + L"\\Brenix\\BXLOGS\\";
    createFolders(root);
    return root;
  } catch (...) {
    return std::wstring();
  }
}

void createFolders(const std::wstring& path) noexcept {
  // Walk the separators from the left; a folder that exists already is fine,
  // and one that cannot be made shows later as a failing write.
  for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
    try {
      ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    } catch (...) {
      return;
    }
  }
  if (!path.empty() && path.back() != L'\\') ::CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring moduleBaseName(HMODULE module) noexcept {
  try {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      const DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length == 0) return std::wstring();
      if (length < buffer.size()) {
        std::wstring name(buffer.data(), length);
        const size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name.erase(0, slash + 1);
        const size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos) name.erase(dot);
        return name;
      }
      if (buffer.size() >= 32768) return std::wstring();
      buffer.resize(buffer.size() * 2);
    }
  } catch (...) {
    return std::wstring();
  }
}

}  // namespace ETWLogging
