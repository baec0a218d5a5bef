// Folders of the file system for tests: the test program's own, and
// temporary ones.
#pragma once

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarn_test {

// The folder of the running test program, with its trailing backslash.
inline std::wstring programFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// A folder under the temporary directory, unique to the process, removed with
// everything in it when the owner goes.
class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"tarn_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(counter++);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Without a trailing backslash.
  const std::wstring& path() const { return path_; }

  std::wstring addFile(const std::wstring& relative) const {
    const std::wstring full = path_ + L"\\" + relative;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream(std::filesystem::path(full)) << "x";
    return full;
  }
  std::wstring addFolder(const std::wstring& relative) const {
    const std::wstring full = path_ + L"\\" + relative;
    std::filesystem::create_directories(full);
    return full;
  }

 private:
  std::wstring path_;
};

}  // namespace tarn_test
