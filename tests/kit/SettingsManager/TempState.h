// A state file path in a folder of its own under the temporary folder, removed
// again at the end of the test.
#pragma once

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <string>

namespace settings_kit_test {

class TempState {
 public:
  TempState() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"settings_kit_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(counter++);
    path_ = folder_ + L"\\state\\properties.json";  // the service makes the missing folder itself
  }
  ~TempState() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
  }
  TempState(const TempState&) = delete;
  TempState& operator=(const TempState&) = delete;

  const std::wstring& path() const { return path_; }

 private:
  std::wstring folder_;
  std::wstring path_;
};

}  // namespace settings_kit_test
