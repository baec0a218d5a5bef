// The process-wide logger of a test program: created on first use from the
// identity, with the file back end that the test prefix's registry selects.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "Logging/BasaltLogger.h"
#include "Logging/Log.h"
#include "Logging/LogPaths.h"
#include "Logging/PerfTimer.h"
#include "tests/support/LogScope.h"

namespace {

constexpr wchar_t kLogFile[] = L"tests\\ProcessTest";

TEST(ProcessLogger, WritesCallSitesTimersAndBridgedLinesToTheGroupLog) {
  const std::wstring module = ETWLogging::moduleBaseName(nullptr);
  const std::wstring groupFolder = tarn_test::logsRoot() + L"LogTestProcess\\";
  tarn_test::removeTree(groupFolder);
  const std::wstring directory = groupFolder + module + L"\\";
  tarn_test::writeTextFile(directory + L"log.ini", "[Config]\r\nSeverity=1\r\nOptions=0x3C\r\n");

  Ledra::logging::setLoggingIdentity(0, L"LogTestProcess", nullptr, nullptr, 0);
  ASSERT_TRUE(Ledra::logging::isEnabled(Ledra::logging::Normal));
  Ledra::logging::setLoggingIdentity(0, L"Ignored", nullptr, L"ignored", 0);  // too late: no effect

  LEDRA_LOG(Ledra::logging::Error, L"Ledra::Test::run", 77, L"wide %s narrow %hs number %d", L"w", "n", 5);
  {
    Ledra::internal::PerfTimer timer(L"MessageBusLib::MessageBusLib");
    timer.stop();
    timer.stop();  // a stopped timer writes nothing more
  }
  Basalt::CLogger::instance().Log(Basalt::kBasaltError, L"basalt.cpp", L"B::c", 9, L"basalt %d", 1);
  // Severities the file back end does not know are dropped.
  Ledra::logging::log(9, kLogFile, L"Ledra::Test::run", 80, L"never");

  // A null host means none: the file name carries no host part.
  const auto log = tarn_test::readLogFile(directory + module + L"000.log");
  ASSERT_TRUE(log.exists);
  EXPECT_TRUE(log.byteOrderMark);
  const auto lines = tarn_test::splitLines(log.text);
  ASSERT_EQ(lines.size(), 3u) << log.text.size();

  wchar_t ids[64] = {};
  swprintf(ids, 64, L" [PID:%5lu TID:%5lu]$", ::GetCurrentProcessId(), ::GetCurrentThreadId());
  const std::wstring prefix = std::wstring(L" [LogTestProcess]$") + ids;
  EXPECT_EQ(tarn_test::afterTimestamp(lines[0]),
            L" -- (Error)"
            L"$" +
                prefix +
                L" [ProcessTest:   77]$ [Ledra::Test::run()]$"
                L" wide w narrow n number 5");

  const std::wstring timer = tarn_test::afterTimestamp(lines[1]);
  const std::wregex timerLine(
      LR"( \[PerfTimer:\s*\d+\]\$ \[Ledra::internal::PerfTimer::stop\(\)\]\$ )"
      LR"(M12NPerfTimer\|MessageBusLib::MessageBusLib\|(\d+)\|(\d+)\|(\d+)$)");
  std::wsmatch match;
  ASSERT_EQ(timer.compare(0, 13 + prefix.size(), L" -- (Normal)$" + prefix), 0) << timer;
  const std::wstring rest = timer.substr(13 + prefix.size());
  ASSERT_TRUE(std::regex_match(rest, match, timerLine)) << rest;
  EXPECT_EQ(std::stoll(match[3].str()), std::stoll(match[2].str()) - std::stoll(match[1].str()));

  EXPECT_EQ(tarn_test::afterTimestamp(lines[2]),
            L" -- (Error)$" + prefix + L" [basalt.cpp:    9]$ [B::c()]$ basalt 1");
  tarn_test::removeTree(groupFolder);
}

}  // namespace
