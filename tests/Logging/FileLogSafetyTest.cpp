// The file back end where logs meet the rest of the machine: a log.ini it cannot
// write, a second process writing the same log, and links planted in the log path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Logging/FileLogging.h"
#include "Logging/LogPaths.h"
#include "tests/support/LogScope.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/ScopedHandle.h"

namespace {

using ETWLogging::CLogging;
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
