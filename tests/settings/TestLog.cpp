#include "tests/settings/TestLog.h"

#include <filesystem>

#include "Logging/Log.h"
#include "tests/support/LogFiles.h"

namespace settings_test {
namespace {

std::wstring& folder() {
  static std::wstring directory;
  return directory;
}

std::vector<std::wstring> readFolder() { return tarn_test::readLogFolder(folder()); }

}  // namespace

void useOwnLogFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring base(path);
  base = base.substr(base.find_last_of(L'\\') + 1);
  base = base.substr(0, base.find_last_of(L'.'));
  static std::wstring group;
  group = L"settings" + std::to_wstring(::GetCurrentProcessId());
  folder() = tarn_test::logDirectory(group, base);
  // Severity 1 writes warnings too; options 0x28 put file, line and function on each line.
  tarn_test::writeLogIni(folder(), L"Severity=1\r\nOptions=40\r\n");
  Ledra::logging::setLoggingIdentity(0, group.c_str(), nullptr, nullptr, 1);
}

const std::wstring& logFolder() { return folder(); }

void removeOwnLogFolder() {
  // The folder is <group>\<program>\: the group goes as a whole.
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder()).parent_path().parent_path(), ignored);
}

LogWatch::LogWatch() : start_(readFolder().size()) {}

std::vector<std::wstring> LogWatch::newLines() const {
  auto lines = readFolder();
  if (lines.size() <= start_) return {};
  return std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(start_), lines.end());
}

std::vector<std::wstring> LogWatch::linesEndingWith(const std::wstring& message) const {
  std::vector<std::wstring> found;
  for (const auto& line : newLines()) {
    if (line.size() >= message.size() &&
        line.compare(line.size() - message.size(), message.size(), message) == 0) {
      found.push_back(line);
    }
  }
  return found;
}

}  // namespace settings_test
