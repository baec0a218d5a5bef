// The file back end writing real log files: settings from the log.ini files,
// line filtering, file names and rotation, and where logs meet the rest of the
// machine: a log.ini it cannot write, a second process writing the same log,
// and links planted in the log path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Logging/FileLogging.h"
#include "Logging/LogPaths.h"
#include "tests/support/LogScope.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/ScopedHandle.h"

namespace {

using ETWLogging::CLogging;
using tarn_test::messagesOf;
using tarn_test::readLogFile;
using tarn_test::writeTextFile;

// A fresh logs root with the common log.ini holding `settings`; group "G" logs
// into directory().
struct LogRoot {
  tarn_test::TempFolder folder;
  std::wstring root = folder.path() + L"\\";
  explicit LogRoot(const std::string& settings) {
    writeTextFile(root + L"log.ini", "[Config]\r\n" + settings);
  }
  std::wstring directory() const { return root + L"G\\" + ETWLogging::moduleBaseName(nullptr) + L"\\"; }
};

std::vector<std::wstring> messagesIn(const std::wstring& directory) {
  std::vector<std::wstring> messages;
  for (const tarn_test::LogLine& line : tarn_test::LogScope(directory, false).lines())
    messages.push_back(line.message);
  return messages;
}

std::wstring lastLogIdx(const std::wstring& directory) {
  wchar_t value[32] = {};
  ::GetPrivateProfileStringW(L"Config", L"LastLogIdx", L"", value, 32, (directory + L"log.ini").c_str());
  return value;
}

TEST(FileLogging, DefaultSettingsWriteInformationAndAboveOnlyWithTheGroup) {
  const LogRoot log("");
  CLogging logger(log.root);
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  for (uint32_t severity = 1; severity <= 6; ++severity) {  // as call sites log: only what is enabled
    if (logger.isEnabled(severity))
      logger.log(severity, L"Test.cpp", L"Test::site", 1, (L"severity " + std::to_wstring(severity)).c_str());
  }
  const std::wstring file = logger.logFilePath(0);
  EXPECT_EQ(file, log.directory() + ETWLogging::moduleBaseName(nullptr) + L"000.log");
  EXPECT_EQ(messagesOf(file),
            (std::vector<std::wstring>{L"severity 3", L"severity 4", L"severity 5", L"severity 6"}));
  const auto lines = tarn_test::splitLines(readLogFile(file).text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(tarn_test::afterTimestamp(lines[1]), L" -- (Error)$ [G]$ severity 4");

  CLogging hosted(log.root);  // the host goes into the file name
  ASSERT_EQ(hosted.initialize(L"G", nullptr, L"Kiln"), 0u);
  ASSERT_EQ(hosted.log(4, L"f", L"g", 1, L"m"), 0u);
  EXPECT_EQ(messagesOf(log.directory() + ETWLogging::moduleBaseName(nullptr) + L"_Kiln000.log"),
            std::vector<std::wstring>{L"m"});
}

TEST(FileLogging, RotatesAtMaxSizeThroughMaxEntriesAndBackToZero) {
  // Every line here is 90 bytes: mark and two lines make exactly MaxSize, so a
  // file takes two lines and the third finds it full.
  const LogRoot log("MaxSize=182\r\nMaxEntries=3\r\nOptions=0\r\nSeverity=1\r\n");
  CLogging logger(log.root);
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  for (int i = 1; i <= 7; ++i) {
    ASSERT_EQ(logger.log(1, L"f", L"g", 1, (L"line " + std::to_wstring(i)).c_str()), 0u);
    if (i == 1) {
      ASSERT_EQ(readLogFile(logger.logFilePath(0)).text.size(), 45u);
    }
  }
  EXPECT_EQ(messagesOf(logger.logFilePath(0)), (std::vector<std::wstring>{L"line 7"}));
  EXPECT_EQ(messagesOf(logger.logFilePath(1)), (std::vector<std::wstring>{L"line 3", L"line 4"}));
  EXPECT_EQ(messagesOf(logger.logFilePath(2)), (std::vector<std::wstring>{L"line 5", L"line 6"}));
  for (DWORD index = 0; index < 3; ++index) EXPECT_TRUE(readLogFile(logger.logFilePath(index)).byteOrderMark);
  EXPECT_EQ(lastLogIdx(log.directory()), L"0");
  ASSERT_EQ(logger.log(1, L"f", L"g", 1, L"line 8"), 0u);
  EXPECT_EQ(messagesOf(logger.logFilePath(0)), (std::vector<std::wstring>{L"line 7", L"line 8"}));
}

TEST(FileLogging, StoredIndexBeyondMaxEntriesRestartsAtZeroWithANewFile) {
  const LogRoot log("");
  writeTextFile(log.directory() + L"log.ini", "[Config]\r\nMaxEntries=2\r\nLastLogIdx=5\r\n");
  CLogging logger(log.root);
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  writeTextFile(logger.logFilePath(0), "old contents");
  ASSERT_EQ(logger.log(3, L"f", L"g", 1, L"fresh"), 0u);
  EXPECT_TRUE(readLogFile(logger.logFilePath(0)).byteOrderMark);
  EXPECT_EQ(messagesOf(logger.logFilePath(0)), (std::vector<std::wstring>{L"fresh"}));
  EXPECT_EQ(lastLogIdx(log.directory()), L"0");
}

TEST(FileLogging, RefusesUnknownSeveritiesBadNamesAndASecondInitialisation) {
  const LogRoot log("Severity=0\r\n");
  CLogging logger(log.root);
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  EXPECT_EQ(logger.log(0, L"f", L"g", 1, L"zero"), 87u);
  EXPECT_EQ(logger.log(7, L"f", L"g", 1, L"seven"), 87u);
  EXPECT_FALSE(readLogFile(logger.logFilePath(0)).exists);
  EXPECT_EQ(logger.initialize(L"G", nullptr, nullptr), 20001u);
  CLogging emptyGroup;
  EXPECT_EQ(emptyGroup.initialize(L"", nullptr, nullptr), 87u);
  CLogging emptyHost;
  EXPECT_EQ(emptyHost.initialize(L"g", nullptr, L""), 87u);
  EXPECT_FALSE(emptyHost.isEnabled(5));
  CLogging unwritable(L"Q:\\no\\such\\drive\\");  // starts, but every line fails quietly
  ASSERT_EQ(unwritable.initialize(L"G", nullptr, nullptr), 0u);
  EXPECT_NE(unwritable.log(4, L"f", L"g", 1, L"lost"), 0u);
}

TEST(FileLoggingSettings, PerLogIniWinsOverCommonAndJunkFallsBack) {
  const struct {
    const char* name;
    std::string common;
    std::string perLog;
    CLogging::Settings expected;
  } cases[] = {
      {"per-log over common",
       "[Config]\r\nSeverity=4\r\nMaxEntries=7\r\nOptions=0x20\r\n",
       "[Config]\r\nSeverity=2\r\nMaxSize=0x400\r\n",
       {1, 0x400, 7, 2, 0x20}},
      {"junk per-log uses common",
       "[Config]\r\nMaxEntries=7\r\n",
       "[Config]\r\nMaxEntries=many\r\n",
       {1, 0x40000, 7, 3, 0x10}},
      {"junk everywhere uses defaults",
       "[Config]\r\nOptions=0x1G\r\nMaxSize=-5\r\n",
       "[Config]\r\nOptions=abc\r\nSeverity=\r\nMaxEntries=0\r\nEnable=yes\r\n",
       {1, 0x40000, 3, 3, 0x10}},
      {"common only", "[Config]\r\nEnable=0\r\nSeverity=5\r\n", "", {0, 0x40000, 3, 5, 0x10}},
      {"wrong section ignored", "", "[Other]\r\nSeverity=1\r\n", {1, 0x40000, 3, 3, 0x10}},
  };
  for (const auto& c : cases) {
    // A folder per case: the INI reader may cache a file it has read before.
    const tarn_test::TempFolder folder;
    const std::wstring root = folder.path() + L"\\";
    if (!c.common.empty()) writeTextFile(root + L"log.ini", c.common);
    const std::wstring directory = root + L"G\\" + ETWLogging::moduleBaseName(nullptr) + L"\\";
    if (!c.perLog.empty()) writeTextFile(directory + L"log.ini", c.perLog);
    CLogging logger(root);
    ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u) << c.name;
    const auto fields = [](const CLogging::Settings& s) {
      return std::make_tuple(s.enable, s.maxSize, s.maxEntries, s.severity, s.options);
    };
    EXPECT_EQ(fields(logger.settings()), fields(c.expected)) << c.name;
  }
}

TEST(FileLoggingSettings, DisabledLoggerWritesNothing) {
  const LogRoot log("Enable=0\r\n");
  CLogging logger(log.root);
  ASSERT_EQ(logger.initialize(nullptr, nullptr, nullptr), 0u);  // no group: no folder for it
  EXPECT_EQ(logger.logDirectory(), log.root + ETWLogging::moduleBaseName(nullptr) + L"\\");
  EXPECT_FALSE(logger.isEnabled(5));
  EXPECT_EQ(logger.log(5, L"f", L"g", 1, L"x"), 0u);
  EXPECT_FALSE(readLogFile(logger.logFilePath(0)).exists);
}

TEST(FileLogRotation, UnwritableLogIniKeepsEveryLine) {
  // A log.ini this process can read but not write: held by a handle that
  // shares reading only (the tests may run as a user that writes read-only files).
  const LogRoot log("");
  const std::wstring ini = log.directory() + L"log.ini";
  writeTextFile(ini,
                "[Config]\r\nMaxSize=1000\r\nMaxEntries=20\r\nSeverity=1\r\nOptions=0\r\nLastLogIdx=0\r\n");
  const Ledra::ScopedFileHandle readOnly(
      ::CreateFileW(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(readOnly);
  CLogging logger(log.root);
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  std::vector<std::wstring> written;
  for (int i = 0; i < 60; ++i) {
    written.push_back(L"line " + std::to_wstring(i));
    ASSERT_EQ(logger.log(1, L"f", L"g", 1, written.back().c_str()), 0u) << i;
  }
  EXPECT_GE(tarn_test::logFilesIn(log.directory()).size(), 5u);  // rotated several times
  EXPECT_EQ(messagesIn(log.directory()), written);

  // A second writer that cannot learn where the first one went (another
  // process, in effect) must not re-create a file the first one has begun.
  CLogging second(log.root);
  ASSERT_EQ(second.initialize(L"G", nullptr, nullptr), 0u);
  ASSERT_EQ(second.log(1, L"f", L"g", 1, L"second"), 0u);
  auto kept = messagesIn(log.directory());
  kept.erase(std::remove(kept.begin(), kept.end(), L"second"), kept.end());
  EXPECT_EQ(kept, written);
}

// Two processes write one log: this test and the same program started again
// to run only SecondWriter, with the root in the environment; the first waits
// until the second is about to write.
constexpr wchar_t kRootVariable[] = L"TARN_LOG_SECOND_WRITER_ROOT";
constexpr int kLinesEach = 10000;

std::wstring readyEvent(const std::wstring& root) {
  return L"Local\\tarn-log-writer-" + std::to_wstring(std::hash<std::wstring>()(root));
}

void writeLines(const std::wstring& root, const std::wstring& writer) {
  CLogging logger(root);
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  for (int i = 0; i < kLinesEach; ++i)
    ASSERT_EQ(logger.log(3, L"f", L"g", 1, (writer + std::to_wstring(i)).c_str()), 0u) << i;
}

TEST(FileLogProcesses, DISABLED_SecondWriter) {
  wchar_t root[MAX_PATH] = {};
  ASSERT_NE(::GetEnvironmentVariableW(kRootVariable, root, MAX_PATH), 0u);
  const Ledra::ScopedHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEvent(root).c_str()));
  ASSERT_TRUE(ready && ::SetEvent(ready.get()));
  writeLines(root, L"second ");
}

// Both writers at once, then the log: every line whole, each writer's lines all
// there and in order, one mark per file at its start, and each file but the
// last rotated exactly when it had reached MaxSize.
void writeFromTwoProcesses(DWORD maxSize, DWORD maxEntries) {
  const LogRoot log("MaxSize=" + std::to_string(maxSize) + "\r\nMaxEntries=" + std::to_string(maxEntries) +
                    "\r\nOptions=0\r\n");
  ::SetEnvironmentVariableW(kRootVariable, log.root.c_str());
  const Ledra::ScopedHandle ready(::CreateEventW(nullptr, TRUE, FALSE, readyEvent(log.root).c_str()));
  wchar_t program[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring command =
      L"x --gtest_also_run_disabled_tests --gtest_filter=FileLogProcesses.DISABLED_SecondWriter";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION child = {};
  ASSERT_TRUE(
      ::CreateProcessW(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
  const Ledra::ScopedHandle process(child.hProcess), thread(child.hThread);
  ASSERT_EQ(::WaitForSingleObject(ready.get(), 60000), WAIT_OBJECT_0);
  writeLines(log.root, L"first ");
  ASSERT_EQ(::WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  EXPECT_TRUE(::GetExitCodeProcess(process.get(), &exitCode) && exitCode == 0);

  const auto files = tarn_test::logFilesIn(log.directory());
  std::vector<std::wstring> seen[2];
  for (size_t i = 0; i < files.size(); ++i) {
    const auto contents = tarn_test::readLogFile(files[i]);
    EXPECT_TRUE(contents.byteOrderMark && contents.text.find(wchar_t{0xFEFF}) == std::wstring::npos) << i;
    const auto lines = tarn_test::splitLines(contents.text);
    ASSERT_FALSE(lines.empty()) << i;
    for (const std::wstring& text : lines) {
      tarn_test::LogLine line;
      ASSERT_TRUE(tarn_test::parseLogLine(text, line)) << i;
      seen[line.message[0] == L's' ? 1 : 0].push_back(line.message);
    }
    const size_t bytes = 2 + 2 * contents.text.size();
    EXPECT_TRUE(i + 1 == files.size() || bytes >= maxSize) << i;
    EXPECT_LT(bytes - 2 * (lines.back().size() + 2), maxSize) << i;  // full only with its last line
  }
  for (int writer = 0; writer < 2; ++writer) {
    ASSERT_EQ(seen[writer].size(), static_cast<size_t>(kLinesEach)) << writer;
    for (int i = 0; i < kLinesEach; ++i)
      ASSERT_EQ(seen[writer][i], (writer == 0 ? L"first " : L"second ") + std::to_wstring(i)) << writer;
  }
}

TEST(FileLogProcesses, TwoWritersLeaveEveryLineWholeAndOneMark) { writeFromTwoProcesses(0x10000000, 3); }

TEST(FileLogProcesses, TwoWritersRotatingTogetherLoseNothing) {
  writeFromTwoProcesses(0x10000, 100);  // some 33 files: room for all, so that none is re-created
}

// A link at `link` to `target`. Where the system makes symbolic links,
// CreateSymbolicLinkW makes it. Wine makes no junction (FSCTL_SET_REPARSE_POINT
// answers "not supported") and with CreateSymbolicLinkW at most links to
// folders, but it takes a link of the host's file system for one of its own (a
// link to a folder shows as a reparse point, a link to a file does not): there
// the host makes the link, and removes it (Wine's RemoveDirectoryW would go
// through it). Wine cannot wait for a host process; the test waits for the link.
class PlantedLink {
 public:
  PlantedLink(std::wstring link, const std::wstring& target, bool folder) : link_(std::move(link)) {
    if (!::CreateSymbolicLinkW(link_.c_str(), target.c_str(), folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) ||
        !exists())
      onHost("/bin/ln -s", {target, link_}, true);
  }
  ~PlantedLink() { onHost("/bin/rm", {link_}, false); }  // elsewhere the temporary folder goes with it

  // A link shows as a reparse point, or (to a file, under Wine) only by where it leads.
  bool exists() const {
    const DWORD attributes = ::GetFileAttributesW(link_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
      return attributes != INVALID_FILE_ATTRIBUTES;
    const Ledra::ScopedFileHandle file(::CreateFileW(link_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                                     nullptr));
    wchar_t leads[MAX_PATH] = {};
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), leads, MAX_PATH, 0);
    return length > 4 && length < MAX_PATH && ::lstrcmpiW(leads + 4, link_.c_str()) != 0;  // after "\\?\"
  }

 private:
  void onHost(std::string command, const std::vector<std::wstring>& paths, bool made) const {
    using ToHostPath = char*(CDECL*)(const wchar_t*);
    const auto toHost = reinterpret_cast<ToHostPath>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toHost == nullptr) return;
    for (const std::wstring& path : paths) {
      char* host = toHost(path.c_str());
      command += std::string(" \"") + (host != nullptr ? host : "") + "\"";
      ::HeapFree(::GetProcessHeap(), 0, host);
    }
    std::wstring line(command.begin(), command.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW((L"Z:" + line.substr(0, line.find(L' '))).c_str(), &line[0], nullptr, nullptr,
                          FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return;
    }
    const Ledra::ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    for (const ULONGLONG deadline = ::GetTickCount64() + 30000;
         exists() != made && ::GetTickCount64() < deadline;)
      ::Sleep(10);
  }

  std::wstring link_;
};

TEST(FileLogLinks, ALinkInTheLogPathIsRefusedAndNothingIsWrittenThrough) {
  const std::wstring module = ETWLogging::moduleBaseName(nullptr);
  const struct {
    const char* what;
    std::wstring link;  // under the root
    bool folder;
    int linesWritten;  // of two; the rest are refused
  } cases[] = {
      {"no link", L"", true, 2},
      {"the group folder", L"G", true, 0},
      {"the log directory", L"G\\" + module, true, 0},
      {"the first log file", L"G\\" + module + L"\\" + module + L"000.log", false, 0},
      {"the next file of the rotation", L"G\\" + module + L"\\" + module + L"001.log", false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LogRoot log("MaxSize=50\r\nSeverity=1\r\nOptions=0\r\n");  // one line fills a file
    const std::wstring elsewhere = log.root + L"elsewhere";
    const std::wstring victim = elsewhere + L"\\victim.log";
    writeTextFile(victim, "victim");
    std::filesystem::create_directories(std::filesystem::path(log.root + c.link).parent_path());
    std::unique_ptr<PlantedLink> link;
    if (!c.link.empty())
      link = std::make_unique<PlantedLink>(log.root + c.link, c.folder ? elsewhere : victim, c.folder);
    ASSERT_TRUE(!link || link->exists()) << "no link can be made here";
    CLogging logger(log.root);
    const uint32_t started = logger.initialize(L"G", nullptr, nullptr);
    EXPECT_EQ(started, c.folder && link ? ETWLogging::kErrorReparsePoint : 0u);
    int written = 0;
    for (int i = 0; i < 2 && started == 0; ++i) {
      const uint32_t result = logger.log(1, L"f", L"g", 1, L"line");
      EXPECT_TRUE(result == 0 || result == ETWLogging::kErrorReparsePoint) << result;
      written += result == 0 ? 1 : 0;
    }
    EXPECT_EQ(written, c.linesWritten);
    EXPECT_EQ(std::filesystem::file_size(victim), 6u);  // "victim", untouched
    const auto there = std::filesystem::directory_iterator(elsewhere);
    EXPECT_EQ(std::distance(there, std::filesystem::directory_iterator()), 1);
    // The checked folders are held: none can be renamed for a link to take its place.
    EXPECT_TRUE(started != 0 || !::MoveFileW((log.root + L"G").c_str(), (log.root + L"moved").c_str()));
  }
}

}  // namespace
