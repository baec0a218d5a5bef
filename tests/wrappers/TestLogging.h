// Gives a test program a log folder of its own (a log group named after the
// program and its process id, every severity written) and answers whether a
// message reached it.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Logging/Log.h"

namespace tarn_test {

// ProgramData\Brenix\BXLOGS\<group>\<module base>\, where the file logger writes.
inline std::wstring logFolderOf(const std::wstring& group, const std::wstring& moduleBase) {
  PWSTR root = nullptr;
  std::wstring path;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &root))) path = root;
  ::CoTaskMemFree(root);
  return path + L"\\Brenix\\BXLOGS\\" + group + L"\\" + moduleBase + L"\\";
}

// Every line of every UTF-16LE .log file in the folder.
inline std::vector<std::wstring> readLogLines(const std::wstring& folder) {
  std::vector<std::wstring> lines;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() != L".log") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    size_t start = (!text.empty() && text[0] == 0xFEFF) ? 1 : 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
  }
  return lines;
}

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
  ownLogDirectory() = logFolderOf(group, base);
  // Every severity, so that the Normal and Warning lines can be checked too.
  std::filesystem::create_directories(ownLogDirectory());
  std::ofstream(std::filesystem::path(ownLogDirectory() + L"log.ini")) << "[Config]\r\nSeverity=1\r\n";
  Ledra::logging::setLoggingIdentity(0, group.c_str(), nullptr, nullptr, 1);
}

// True when a line of the log ends with the message (lines end in the message text).
inline bool logHasMessage(const std::wstring& message) {
  const auto lines = readLogLines(ownLogDirectory());
  return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
    return line.size() >= message.size() &&
           line.compare(line.size() - message.size(), message.size(), message) == 0;
  });
}

// The number of lines ending with the message.
inline size_t countLogMessages(const std::wstring& message) {
  const auto lines = readLogLines(ownLogDirectory());
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
