// The file back end writing real log files under the common application-data folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Logging/FileLogging.h"
#include "Logging/LogPaths.h"
#include "tests/support/LogScope.h"
#include "tests/wrappers/TempFolder.h"

namespace {

using ETWLogging::CLogging;
using tarn_test::messagesOf;
using tarn_test::readLogFile;
using tarn_test::splitLines;
using tarn_test::TempFolder;
using tarn_test::writeTextFile;

// A file logger for one test: its group folder is emptied first, and the
// per-log "log.ini" gets `ini` when given.
class FileLoggerFixture : public ::testing::Test {
 protected:
  void start(const std::wstring& group, const std::string& ini = std::string(),
             const wchar_t* host = nullptr) {
    groupFolder_ = tarn_test::logsRoot() + group + L"\\";
    tarn_test::removeTree(groupFolder_);
    directory_ = groupFolder_ + ETWLogging::moduleBaseName(nullptr) + L"\\";
    if (!ini.empty()) writeTextFile(directory_ + L"log.ini", ini);
    ASSERT_EQ(logger_->initialize(group.c_str(), nullptr, host), 0u);
    ASSERT_EQ(logger_->logDirectory(), directory_);
  }
  void TearDown() override {
    logger_.reset();  // lets go of its folders
    if (!groupFolder_.empty()) tarn_test::removeTree(groupFolder_);
  }
  // Logs the way call sites do: only what the logger enables.
  void callSite(uint32_t severity, const wchar_t* message) {
    if (logger_->isEnabled(severity)) logger_->log(severity, L"Test.cpp", L"Test::site", 1, message);
  }
  std::wstring lastLogIdx() {
    wchar_t value[32] = {};
    ::GetPrivateProfileStringW(L"Config", L"LastLogIdx", L"", value, 32, (directory_ + L"log.ini").c_str());
    return value;
  }

  std::unique_ptr<CLogging> logger_ = std::make_unique<CLogging>();
  std::wstring groupFolder_;
  std::wstring directory_;
};

TEST_F(FileLoggerFixture, DefaultSettingsWriteInformationAndAboveOnly) {
  start(L"LogTestDefaults");
  const CLogging::Settings& s = logger_->settings();
  EXPECT_EQ(s.enable, 1u);
  EXPECT_EQ(s.maxSize, 262144u);
  EXPECT_EQ(s.maxEntries, 3u);
  EXPECT_EQ(s.severity, 3u);
  EXPECT_EQ(s.options, 0x10u);
  for (uint32_t severity = 1; severity <= 6; ++severity) {
    callSite(severity, (L"severity " + std::to_wstring(severity)).c_str());
  }
  const std::wstring file = logger_->logFilePath(0);
  EXPECT_EQ(file, directory_ + ETWLogging::moduleBaseName(nullptr) + L"000.log");
  EXPECT_EQ(messagesOf(file),
            (std::vector<std::wstring>{L"severity 3", L"severity 4", L"severity 5", L"severity 6"}));
  const auto lines = splitLines(readLogFile(file).text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(tarn_test::afterTimestamp(lines[1]), L" -- (Error)$ [LogTestDefaults]$ severity 4");
}

TEST_F(FileLoggerFixture, TheHostGoesIntoTheFileName) {
  start(L"LogTestHost", "", L"Kiln");
  ASSERT_EQ(logger_->log(4, L"f", L"g", 1, L"m"), 0u);
  EXPECT_EQ(messagesOf(directory_ + ETWLogging::moduleBaseName(nullptr) + L"_Kiln000.log"),
            std::vector<std::wstring>{L"m"});
}

TEST_F(FileLoggerFixture, RotatesAtMaxSizeThroughMaxEntriesAndBackToZero) {
  // Every line here is 90 bytes: mark and two lines make exactly MaxSize, so a
  // file takes two lines and the third finds it full.
  start(L"LogTestRotation", "[Config]\r\nMaxSize=182\r\nMaxEntries=3\r\nOptions=0\r\nSeverity=1\r\n");
  for (int i = 1; i <= 7; ++i) {
    ASSERT_EQ(logger_->log(1, L"f", L"g", 1, (L"line " + std::to_wstring(i)).c_str()), 0u);
    if (i == 1) {
      ASSERT_EQ(readLogFile(logger_->logFilePath(0)).text.size(), 45u);
    }
  }
  EXPECT_EQ(messagesOf(logger_->logFilePath(0)), (std::vector<std::wstring>{L"line 7"}));
  EXPECT_EQ(messagesOf(logger_->logFilePath(1)), (std::vector<std::wstring>{L"line 3", L"line 4"}));
  EXPECT_EQ(messagesOf(logger_->logFilePath(2)), (std::vector<std::wstring>{L"line 5", L"line 6"}));
  for (DWORD index = 0; index < 3; ++index)
    EXPECT_TRUE(readLogFile(logger_->logFilePath(index)).byteOrderMark);
  EXPECT_EQ(lastLogIdx(), L"0");
  ASSERT_EQ(logger_->log(1, L"f", L"g", 1, L"line 8"), 0u);
  EXPECT_EQ(messagesOf(logger_->logFilePath(0)), (std::vector<std::wstring>{L"line 7", L"line 8"}));
}

TEST_F(FileLoggerFixture, StoredIndexBeyondMaxEntriesRestartsAtZeroWithANewFile) {
  start(L"LogTestIndexReset", "[Config]\r\nMaxEntries=2\r\nLastLogIdx=5\r\n");
  writeTextFile(logger_->logFilePath(0), "old contents");
  ASSERT_EQ(logger_->log(3, L"f", L"g", 1, L"fresh"), 0u);
  const auto log = readLogFile(logger_->logFilePath(0));
  EXPECT_TRUE(log.byteOrderMark);
  EXPECT_EQ(messagesOf(logger_->logFilePath(0)), (std::vector<std::wstring>{L"fresh"}));
  EXPECT_EQ(lastLogIdx(), L"0");
}

TEST_F(FileLoggerFixture, RefusesUnknownSeveritiesAndASecondInitialisation) {
  start(L"LogTestRefusals", "[Config]\r\nSeverity=0\r\n");
  EXPECT_EQ(logger_->log(0, L"f", L"g", 1, L"zero"), 87u);
  EXPECT_EQ(logger_->log(7, L"f", L"g", 1, L"seven"), 87u);
  EXPECT_FALSE(readLogFile(logger_->logFilePath(0)).exists);
  EXPECT_EQ(logger_->initialize(L"LogTestRefusals", nullptr, nullptr), 20001u);
  CLogging emptyGroup;
  EXPECT_EQ(emptyGroup.initialize(L"", nullptr, nullptr), 87u);
  CLogging emptyHost;
  EXPECT_EQ(emptyHost.initialize(L"g", nullptr, L""), 87u);
  EXPECT_FALSE(emptyHost.isEnabled(5));
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
    const TempFolder folder;
    const std::wstring root = folder.path() + L"\\";
    if (!c.common.empty()) writeTextFile(root + L"log.ini", c.common);
    const std::wstring directory = root + L"G\\" + ETWLogging::moduleBaseName(nullptr) + L"\\";
    if (!c.perLog.empty()) writeTextFile(directory + L"log.ini", c.perLog);
    CLogging logger(root);
    ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u) << c.name;
    const CLogging::Settings& s = logger.settings();
    EXPECT_EQ(s.enable, c.expected.enable) << c.name;
    EXPECT_EQ(s.maxSize, c.expected.maxSize) << c.name;
    EXPECT_EQ(s.maxEntries, c.expected.maxEntries) << c.name;
    EXPECT_EQ(s.severity, c.expected.severity) << c.name;
    EXPECT_EQ(s.options, c.expected.options) << c.name;
  }
}

TEST(FileLoggingSettings, DisabledLoggerWritesNothing) {
  const TempFolder folder;
  const std::wstring root = folder.path() + L"\\";
  writeTextFile(root + L"log.ini", "[Config]\r\nEnable=0\r\n");
  CLogging logger(root);
  ASSERT_EQ(logger.initialize(nullptr, nullptr, nullptr), 0u);
  EXPECT_EQ(logger.logDirectory(), root + ETWLogging::moduleBaseName(nullptr) + L"\\");
  EXPECT_FALSE(logger.isEnabled(5));
  EXPECT_EQ(logger.log(5, L"f", L"g", 1, L"x"), 0u);
  EXPECT_FALSE(readLogFile(logger.logFilePath(0)).exists);
}

TEST(FileLoggingSettings, UnwritableFolderFailsQuietly) {
  CLogging logger(L"Q:\\no\\such\\drive\\");
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  EXPECT_NE(logger.log(4, L"f", L"g", 1, L"lost"), 0u);
}

}  // namespace
