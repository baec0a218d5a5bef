#include <gtest/gtest.h>
#include <objbase.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "Logging/Log.h"
#include "tests/firewall/features/SettingsTestSupport.h"
#include "tests/support/LogFiles.h"

namespace settings_test {
namespace {

std::wstring& folder() {
  static std::wstring directory;
  return directory;
}

std::vector<std::wstring> allLines() { return tarn_test::readLogFolder(folder()); }

}  // namespace

void useOwnLogFolder(const wchar_t* prefix) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring base(path);
  base = base.substr(base.find_last_of(L'\\') + 1);
  base = base.substr(0, base.find_last_of(L'.'));
  static std::wstring group;
  group = std::wstring(prefix) + std::to_wstring(GetCurrentProcessId());
  folder() = tarn_test::logDirectory(group, base);
  // Severity 1 and up; options 0x28 put file, line and function on each line.
  tarn_test::writeLogIni(folder(), L"Severity=1\r\nOptions=40\r\n");
  Ledra::logging::setLoggingIdentity(0, group.c_str(), nullptr, nullptr, 1);
}

void removeOwnLogFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder()).parent_path().parent_path(), ignored);
}

LogWatch::LogWatch() : start_(allLines().size()) {}

std::vector<std::wstring> LogWatch::newLines() const {
  const auto lines = allLines();
  if (lines.size() <= start_) return {};
  return std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(start_), lines.end());
}

std::vector<std::wstring> LogWatch::linesEndingWith(const std::wstring& text) const {
  std::vector<std::wstring> found;
  for (const auto& line : newLines()) {
    if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0) {
      found.push_back(line);
    }
  }
  return found;
}

bool LogWatch::waitFor(const std::wstring& text, size_t n) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (count(text) < n) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // polling the file, not synchronising
  }
  return true;
}

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace settings_test

int main(int argc, char** argv) {
  settings_test::useOwnLogFolder(L"featset");
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  CoUninitialize();
  if (result == 0) settings_test::removeOwnLogFolder();
  return result;
}
