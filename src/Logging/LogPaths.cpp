#include "Logging/LogPaths.h"

#include <shlobj.h>

#include <utility>
#include <vector>

#include "wrappers/ScopedHandle.h"

namespace ETWLogging {
namespace {

// FOLDERID_ProgramData, spelled out so no GUID library has to be linked.
constexpr GUID kProgramDataFolder = {
    0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}};

}  // namespace

std::wstring commonAppDataFolder() noexcept {
  Ledra::ScopedCoTaskMemString path;
  std::wstring folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(kProgramDataFolder, KF_FLAG_CREATE, nullptr, path.receive())) &&
      path) {
    try {
      folder = path.get();
    } catch (...) {
      folder.clear();
    }
  }
  return folder;
}

std::wstring defaultLogsRoot() noexcept {
  try {
    const std::wstring appData = commonAppDataFolder();
    return appData.empty() ? std::wstring() : appData + L"\\Brenix\\BXLOGS\\";
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

bool isReparsePoint(const std::wstring& path) noexcept {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void LogFolderGuard::reset(std::vector<std::wstring> folders) noexcept {
  held_.clear();
  folders_ = std::move(folders);
  refused_ = false;
}

uint32_t LogFolderGuard::secure() noexcept {
  if (refused_) return kErrorReparsePoint;
  try {
    // Outermost first: a folder is made only inside one already checked and held.
    for (size_t i = held_.size(); i < folders_.size(); ++i) {
      const std::wstring& path = folders_[i];
      ::CreateDirectoryW(path.c_str(), nullptr);  // one that exists already is fine
      // Read access takes part in sharing, so leaving out delete sharing keeps
      // the folder from being renamed or removed while it is held.
      Ledra::ScopedFileHandle folder(
          ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!folder) return ::GetLastError();
      BY_HANDLE_FILE_INFORMATION info = {};
      if (!::GetFileInformationByHandle(folder.get(), &info)) return ::GetLastError();
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || isReparsePoint(path)) {
        held_.clear();
        refused_ = true;
        return kErrorReparsePoint;
      }
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ERROR_DIRECTORY;
      held_.push_back(std::move(folder));
    }
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  return 0;
}

bool LogFolderGuard::holdsFile(HANDLE file, const std::wstring& name) const {
  if (refused_ || held_.empty() || held_.size() != folders_.size()) return false;
  const auto finalPath = [](HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length = ::GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), 0);
      if (length == 0) return std::wstring();
      if (length < path.size()) return path.substr(0, length);
      path.resize(length);
    }
  };
  const std::wstring folder = finalPath(held_.back().get());
  const std::wstring expected = folder + L"\\" + name;
  const std::wstring actual = finalPath(file);
  return !folder.empty() &&
         ::CompareStringOrdinal(actual.c_str(), static_cast<int>(actual.size()), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace ETWLogging
