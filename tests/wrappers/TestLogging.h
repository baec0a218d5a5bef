// Gives a test program a log folder of its own (a log group named after the
// program and its process id, every severity written) and answers whether a
// message reached it.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "Logging/Log.h"
#include "tests/support/LogFiles.h"

namespace tarn_test {

inline std::wstring& ownLogDirectory() {
  static std::wstring directory;
  return directory;
}

// Call from main before anything logs.
inline void useOwnLogFolder(const wchar_t* prefix) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring base(path);
  base = base.substr(base.find_last_of(L'\\') + 1);
  base = base.substr(0, base.find_last_of(L'.'));
  static std::wstring group;
  group = std::wstring(prefix) + std::to_wstring(::GetCurrentProcessId());
  ownLogDirectory() = logDirectory(group, base);
  // Every severity, so that the Normal and Warning lines can be checked too.
  writeLogIni(ownLogDirectory(), L"Severity=1\r\n");
  Ledra::logging::setLoggingIdentity(0, group.c_str(), nullptr, nullptr, 1);
}

// True when a line of the log ends with the message (lines end in the message text).
inline bool logHasMessage(const std::wstring& message) {
  const auto lines = readLogFolder(ownLogDirectory());
  return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
    return line.size() >= message.size() &&
           line.compare(line.size() - message.size(), message.size(), message) == 0;
  });
}

// The number of lines ending with the message.
inline size_t countLogMessages(const std::wstring& message) {
  const auto lines = readLogFolder(ownLogDirectory());
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& line) {
    return line.size() >= message.size() &&
           line.compare(line.size() - message.size(), message.size(), message) == 0;
  }));
}

// Removes this program's log group folder (kept when tests failed, to read).
inline void removeOwnLogFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(ownLogDirectory()).parent_path().parent_path(), ignored);
}

// The folder of the running test program, with its trailing backslash.
inline std::wstring programFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace tarn_test
