// Reading the file logs in tests: log folders and files, lines split into the
// parts the logger writes, and a LogScope that sees only the lines written
// since it was made, so that a test checks its own lines with their severity:
//
//   const tarn_test::LogScope log;  // first thing in the test
//   ...
//   EXPECT_TRUE(log.has({L"Error", L"Invalid handle.", L"ModuleFunctions", L"DestroyModule", 68}));
//
// A test program that logs through the process-wide logger calls
// useOwnLogFolder() from main (tests/support/LogTestMain.cpp does).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "Logging/Log.h"
#include "wrappers/ScopedHandle.h"

namespace tarn_test {

// One line of a file log in its parts. As an expectation, an empty part (and
// line 0) matches anything; the message must match whole.
struct LogLine {
  LogLine() = default;
  LogLine(std::wstring severity, std::wstring message, std::wstring file = {}, std::wstring function = {},
          int line = 0)
      : severity(std::move(severity)),
        message(std::move(message)),
        file(std::move(file)),
        function(std::move(function)),
        line(line) {}

  std::wstring severity;  // "Error"
  std::wstring message;
  std::wstring file;      // the file tag as the line carries it: at most 20 characters
  std::wstring function;  // without "()"
  int line = 0;
};

// <common application data>\Brenix\BXLOGS\, where the process-wide logger writes.
inline std::wstring logsRoot() {
  Ledra::ScopedCoTaskMemString root;
  std::wstring path;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, root.receive())) && root)
    path = root.get();
  return path + L"\\Brenix\\BXLOGS\\";
}

// The log directory of a module in a group, with its trailing backslash.
inline std::wstring logDirectory(const std::wstring& group, const std::wstring& module) {
  return logsRoot() + group + L"\\" + module + L"\\";
}

inline void removeTree(const std::wstring& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder), ignored);
}

// Writes `bytes` as the whole file, creating its folder.
inline void writeTextFile(const std::wstring& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << bytes;
}

// Writes the directory's "log.ini" with `body` in its [Config] section.
inline void writeLogIni(const std::wstring& directory, const std::wstring& body) {
  writeTextFile(directory + L"log.ini", "[Config]\r\n" + std::string(body.begin(), body.end()));
}

struct LogFile {
  bool exists = false;
  bool byteOrderMark = false;
  std::wstring text;  // after the leading byte-order mark
};

// A UTF-16LE log file from byte `offset` on (a mark counts only at 0).
inline LogFile readLogFile(const std::wstring& path, std::streamoff offset = 0) {
  LogFile result;
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  result.exists = static_cast<bool>(in.seekg(offset));
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    result.text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8));
  result.byteOrderMark = offset == 0 && !result.text.empty() && result.text[0] == 0xFEFF;
  if (result.byteOrderMark) result.text.erase(0, 1);
  return result;
}

// The lines of a log text, each without its line end.
inline std::vector<std::wstring> splitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start - (end > start && text[end - 1] == L'\r' ? 1 : 0)));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// The line after its "MM/DD/YYYY hh:mm:ss AM$" timestamp; empty when it does
// not start with a well-formed one.
inline std::wstring afterTimestamp(const std::wstring& line) {
  static const std::wregex stamp(LR"(^(0[1-9]|1[0-2])/\d\d/\d{4} (0[1-9]|1[0-2]):\d\d:\d\d [AP]M\$)");
  std::wsmatch match;
  return std::regex_search(line, match, stamp) ? line.substr(static_cast<size_t>(match.length(0))) : L"";
}

// Splits a line: " -- (Severity)$", then the optional " [...]$" parts (group,
// ids, file and line, function), then one space and the message.
inline bool parseLogLine(const std::wstring& text, LogLine& out) {
  std::wstring rest = afterTimestamp(text);
  const size_t close = rest.find(L")$");
  if (rest.compare(0, 5, L" -- (") != 0 || close == std::wstring::npos) return false;
  out = LogLine(rest.substr(5, close - 5), L"");
  rest.erase(0, close + 2);
  for (size_t end; rest.compare(0, 2, L" [") == 0 && (end = rest.find(L"]$")) != std::wstring::npos;
       rest.erase(0, end + 2)) {
    const std::wstring part = rest.substr(2, end - 2);
    const size_t colon = part.rfind(L':');
    if (part.size() >= 2 && part.compare(part.size() - 2, 2, L"()") == 0) {
      out.function = part.substr(0, part.size() - 2);
    } else if (part.compare(0, 4, L"PID:") != 0 && colon != std::wstring::npos &&
               part.find_first_not_of(L" -0123456789", colon + 1) == std::wstring::npos) {
      out.file = part.substr(0, colon);
      out.line = std::stoi(part.substr(colon + 1));
    }
  }
  if (rest.empty() || rest[0] != L' ') return false;
  out.message = rest.substr(1);
  return true;
}

// The messages of a log file's lines, in order.
inline std::vector<std::wstring> messagesOf(const std::wstring& path) {
  std::vector<std::wstring> messages;
  for (const std::wstring& text : splitLines(readLogFile(path).text)) {
    LogLine line;
    messages.push_back(parseLogLine(text, line) ? line.message : text);
  }
  return messages;
}

// The "*.log" files of a folder, in name order.
inline std::vector<std::wstring> logFilesIn(const std::wstring& directory) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW((directory + L"*.log").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do files.push_back(directory + data.cFileName);
  while (::FindNextFileW(find, &data));
  ::FindClose(find);
  std::sort(files.begin(), files.end());
  return files;
}

// The lines of a folder's log files, files in name order, each from the
// offset in `from` (from its start when not there).
inline std::vector<std::wstring> readLogFolder(const std::wstring& directory,
                                               const std::map<std::wstring, std::streamoff>& from = {}) {
  std::vector<std::wstring> lines;
  for (const std::wstring& file : logFilesIn(directory)) {
    const auto mark = from.find(file);
    const auto more = splitLines(readLogFile(file, mark == from.end() ? 0 : mark->second).text);
    lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

struct OwnLogFolder {
  std::wstring directory;
  std::wstring group;
  bool remove = false;  // set when every test passed
};
inline OwnLogFolder& ownLogFolder() {
  static OwnLogFolder folder;
  return folder;
}

// Sends this program's lines to <logs root>\tests_<pid>\<program>\: every
// severity, with file, line and function, never rotated. Call from main before
// anything logs. After removeOwnLogFolder() the folder goes at exit, once the
// logger has let go of it.
inline void useOwnLogFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  OwnLogFolder& own = ownLogFolder();
  own.group = L"tests_" + std::to_wstring(::GetCurrentProcessId());
  own.directory = logDirectory(own.group, std::filesystem::path(path).stem().wstring());
  writeLogIni(own.directory, L"Severity=1\r\nOptions=0x28\r\nMaxSize=0x40000000\r\n");
  Ledra::logging::setLoggingIdentity(0, own.group.c_str(), nullptr, nullptr, 1);
  std::atexit([] {  // registered before the logger exists, so run after it is gone
    if (ownLogFolder().remove) removeTree(logsRoot() + ownLogFolder().group);
  });
}
inline void removeOwnLogFolder() { ownLogFolder().remove = true; }

// The lines written to a log folder (by default the program's own) since the
// scope was made (or all of them, when not `fromNow`).
class LogScope {
 public:
  explicit LogScope(std::wstring directory = ownLogFolder().directory, bool fromNow = true)
      : directory_(std::move(directory)) {
    std::error_code ignored;
    for (const std::wstring& file : fromNow ? logFilesIn(directory_) : std::vector<std::wstring>())
      start_[file] = static_cast<std::streamoff>(std::filesystem::file_size(file, ignored));
  }

  std::vector<LogLine> lines() const {
    std::vector<LogLine> lines;
    LogLine line;
    for (const std::wstring& text : readLogFolder(directory_, start_))
      if (parseLogLine(text, line)) lines.push_back(line);
    return lines;
  }

  size_t count(const LogLine& expected) const {
    const auto all = lines();
    return static_cast<size_t>(std::count_if(all.begin(), all.end(), [&](const LogLine& line) {
      return line.message == expected.message &&
             (expected.severity.empty() || line.severity == expected.severity) &&
             (expected.file.empty() || line.file == expected.file) &&
             (expected.function.empty() || line.function == expected.function) &&
             (expected.line == 0 || line.line == expected.line);
    }));
  }
  size_t countMessage(const std::wstring& message) const { return count({L"", message}); }

  // Success when some line matches; a failure lists the lines in scope.
  ::testing::AssertionResult has(const LogLine& expected) const {
    if (count(expected) > 0) return ::testing::AssertionSuccess();
    std::wstring report = L"no line (" + expected.severity + L") [" + expected.file + L":" +
                          std::to_wstring(expected.line) + L"] [" + expected.function + L"] " +
                          expected.message + L"\namong the lines since the scope began:";
    for (const std::wstring& text : readLogFolder(directory_, start_)) report += L"\n  " + text;
    return ::testing::AssertionFailure() << report;
  }
  ::testing::AssertionResult hasMessage(const std::wstring& message) const { return has({L"", message}); }

 private:
  std::wstring directory_;
  std::map<std::wstring, std::streamoff> start_;  // size of each file when the scope began
};

}  // namespace tarn_test
