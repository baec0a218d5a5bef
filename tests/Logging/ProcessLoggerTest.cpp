// The exact text of file-log lines for a fixed time; the support library's
// logger (handler registration, its default handler, the bridge into a back
// end); and the process-wide logger of a test program writing them: created on
// first use from the identity, with the file back end that the test prefix's
// registry selects.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "Logging/BasaltLogHandler.h"
#include "Logging/BasaltLogger.h"
#include "Logging/Log.h"
#include "Logging/LogLine.h"
#include "Logging/LogPaths.h"
#include "Logging/PerfTimer.h"
#include "tests/support/LogScope.h"

namespace {

using namespace ETWLogging;

SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  return time;
}

TEST(LogLine, TimestampUsesTwelveHourClock) {
  const struct {
    WORD hour;
    const wchar_t* expected;
  } cases[] = {
      {0, L"01/02/2026 12:04:05 AM$"},  {1, L"01/02/2026 01:04:05 AM$"},  {11, L"01/02/2026 11:04:05 AM$"},
      {12, L"01/02/2026 12:04:05 PM$"}, {13, L"01/02/2026 01:04:05 PM$"}, {23, L"01/02/2026 11:04:05 PM$"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatTimestamp(at(2026, 1, 2, c.hour, 4, 5)), c.expected) << "hour " << c.hour;
  }
  EXPECT_EQ(formatTimestamp(at(2025, 12, 31, 9, 59, 0)), L"12/31/2025 09:59:00 AM$");
}

// An Error at 15:04:05 on 2 January 2026, with each option.
TEST(LogLine, EachOptionBitAddsItsPartInFixedOrder) {
  LineParts parts;
  parts.group = L"Firewall";
  parts.processId = 4242;
  parts.threadId = 77;
  parts.file = L"C:\\src\\firewall\\TarnModuleImpl.cpp";
  parts.line = 134;
  parts.function = L"Ledra::TarnModuleImpl::start";
  parts.message = L"Error getting settings";
  const std::wstring head = L"01/02/2026 03:04:05 PM$ -- (Error)$";
  const struct {
    uint32_t options;
    const wchar_t* middle;
  } cases[] = {
      {0x00, L""},
      {0x01, L""},  // debug output only: the line itself is unchanged
      {0x04, L" [PID: 4242 TID:   77]$"},
      {0x08, L" [TarnModuleImpl.cpp:  134]$"},
      {0x10, L" [Firewall]$"},
      {0x20, L" [Ledra::TarnModuleImpl::start()]$"},
      {0x3C,
       L" [Firewall]$ [PID: 4242 TID:   77]$ [TarnModuleImpl.cpp:  134]$ [Ledra::TarnModuleImpl::start()]$"},
  };
  for (const auto& c : cases) {
    parts.options = c.options;
    EXPECT_EQ(formatLogLine(at(2026, 1, 2, 15, 4, 5), 4, parts),
              head + c.middle + L" Error getting settings\r\n")
        << "options " << c.options;
  }
}

TEST(LogLine, LongPartsAreCutToTheirWidths) {
  LineParts parts;
  parts.options = 0x10 | 0x08 | 0x20;
  parts.group = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ";          // 15 shown
  parts.file = L"dir\\abcdefghijklmnopqrstuvwxyz.cpp";  // 20 shown
  parts.line = 123456;
  parts.function = L"N::C::aVeryLongFunctionNameThatKeepsGoingAndGoing";  // 40 shown
  parts.message = L"x";
  EXPECT_EQ(formatLogLine(at(2026, 1, 2, 15, 4, 5), 5, parts),
            L"01/02/2026 03:04:05 PM$ -- (Critical)$ [ABCDEFGHIJKLMNO]$ [abcdefghijklmnopqrst:123456]$"
            L" [N::C::aVeryLongFunctionNameThatKeepsGoin()]$ x\r\n");
}

TEST(LogLine, MessageEndingInLineFeedGetsNoSecondLineEnd) {
  LineParts parts;
  parts.message = L"ends here\n";
  EXPECT_EQ(formatLogLine(at(2026, 1, 2, 15, 4, 5), 1, parts),
            L"01/02/2026 03:04:05 PM$ -- (Normal)$ ends here\n");
  parts.message = L"ends in CR\r";
  EXPECT_EQ(formatLogLine(at(2026, 1, 2, 15, 4, 5), 1, parts),
            L"01/02/2026 03:04:05 PM$ -- (Normal)$ ends in CR\r\r\n");
}

TEST(LogLine, SeverityNamesAndUnknownSeverities) {
  const struct {
    uint32_t severity;
    const wchar_t* name;
  } cases[] = {{1, L"Normal"},   {2, L"Warning"},     {3, L"Information"}, {4, L"Error"},
               {5, L"Critical"}, {6, L"Information"}, {0, nullptr},        {7, nullptr}};
  for (const auto& c : cases) {
    if (c.name == nullptr) {
      EXPECT_EQ(severityName(c.severity), nullptr) << c.severity;
      EXPECT_TRUE(formatLogLine(at(2026, 1, 2, 15, 4, 5), c.severity, LineParts()).empty()) << c.severity;
    } else {
      EXPECT_STREQ(severityName(c.severity), c.name) << c.severity;
    }
  }
}

constexpr wchar_t kLogFile[] = L"tests\\ProcessTest";

TEST(ProcessLogger, WritesCallSitesTimersAndBridgedLinesToTheGroupLog) {
  const std::wstring module = moduleBaseName(nullptr);
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
  const std::wstring callSite = L" [ProcessTest:   77]$ [Ledra::Test::run()]$ wide w narrow n number 5";
  EXPECT_EQ(tarn_test::afterTimestamp(lines[0]), L" -- (Error)$" + prefix + callSite);

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

using namespace Basalt;

struct Entry {
  uint32_t severity;
  std::wstring file, function, message;
  int line;
};

class RecordingHandler : public ILoggingHandler {
 public:
  std::vector<Entry> entries;
  void Log(uint32_t severity, const wchar_t* file, int line, const wchar_t* function,
           const wchar_t* message) noexcept override {
    entries.push_back({severity, file, function, message, line});
  }
};

std::wstring hex(const void* handler) {
  wchar_t text[16] = {};
  swprintf(text, 16, L"0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(handler)));
  return text;
}

TEST(BasaltLogger, RegistrationCodesAndMessages) {
  auto fallback = std::make_shared<RecordingHandler>();
  CLogger logger(fallback);
  RecordingHandler first, second;

  EXPECT_EQ(logger.RegisterHandler(nullptr), 87u);
  ASSERT_EQ(fallback->entries.size(), 1u);
  EXPECT_EQ(fallback->entries[0].message,
            L"Basalt::CLogger::RegisterHandler: Cannot Register (NULL) handler");
  EXPECT_EQ(fallback->entries[0].file, L"Logging\\internal_logging");
  EXPECT_EQ(fallback->entries[0].severity, kBasaltError);

  EXPECT_EQ(logger.UnregisterHandler(&first), 5023u);
  ASSERT_EQ(fallback->entries.size(), 2u);
  EXPECT_EQ(fallback->entries[1].message,
            L"Basalt::CLogger::UnregisterHandler: Request to Unregister Logging handler " + hex(&first) +
                L", but none are registered");

  EXPECT_EQ(logger.RegisterHandler(&first), 0u);
  EXPECT_EQ(logger.RegisterHandler(&first), 0u);  // the same one again
  EXPECT_EQ(logger.RegisterHandler(&second), 5023u);
  ASSERT_EQ(first.entries.size(), 1u);  // messages go to the registered handler
  EXPECT_EQ(first.entries[0].message, L"Basalt::CLogger::RegisterHandler: Registered Logging Handler " +
                                          hex(&first) + L" cannot be replaced with " + hex(&second));

  EXPECT_EQ(logger.UnregisterHandler(&second), 5023u);
  ASSERT_EQ(first.entries.size(), 2u);
  EXPECT_EQ(first.entries[1].message,
            L"Basalt::CLogger::UnregisterHandler: Failed to Unregister Logging handler (requested handler " +
                hex(&second) + L" != registered handler " + hex(&first) + L")");

  EXPECT_EQ(logger.UnregisterHandler(&first), 0u);
  EXPECT_EQ(logger.RegisterHandler(fallback.get()), 0u);  // the default handler may be registered ...
  EXPECT_EQ(logger.RegisterHandler(&second), 0u);         // ... and replaced
  logger.Log(kBasaltInformation, L"f", L"F", 3, L"%s=%d", L"x", 5);
  ASSERT_EQ(second.entries.size(), 1u);
  EXPECT_EQ(second.entries[0].message, L"x=5");
  EXPECT_EQ(fallback->entries.size(), 2u);
}

class RecordingOutput : public IDebugOutput {
 public:
  std::vector<std::wstring> texts;
  void write(const wchar_t* text) noexcept override { texts.push_back(text); }
};

TEST(BasaltLogger, DefaultHandlerWritesThreeFormatsToDebugOutput) {
  auto output = std::make_shared<RecordingOutput>();
  CDefaultLoggingHandler handler(output);
  for (uint32_t severity : {0u, 1u, 2u, 3u}) handler.Log(severity, L"a.cpp", 12, L"A::b", L"text");
  EXPECT_EQ(output->texts, (std::vector<std::wstring>{L"a.cpp(12): [INFO]: [A::b]: text\n",
                                                      L"a.cpp(12): [ERROR]: [A::b]: text\n",
                                                      L"a.cpp(12): [UNKNOWN]: [A::b]: text\n"}));
}

// A back end that records what reaches it and enables from severity 2 up.
class RecordingBackend : public ETWLogging::CLoggingIf {
 public:
  std::vector<Entry> entries;
  uint32_t initialize(const wchar_t*, HMODULE, const wchar_t*) noexcept override { return 0; }
  bool isEnabled(uint32_t severity) const noexcept override { return severity >= 2; }
  uint32_t log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line,
               const wchar_t* message) noexcept override {
    entries.push_back({severity, file, function, message, line});
    return 0;
  }
};

TEST(BasaltLogHandler, MapsSeveritiesAndPassesTextUnformatted) {
  const struct { uint32_t basalt, mapped; } cases[] = {{0, 1}, {1, 1}, {2, 4}, {3, 2}, {9, 2}};
  for (const auto& c : cases) EXPECT_EQ(ETWLogging::CBasaltLogHandler::mapSeverity(c.basalt), c.mapped);

  auto backend = std::make_shared<RecordingBackend>();
  ETWLogging::CBasaltLogHandler bridge(backend);
  bridge.Log(1, L"f", 1, L"F", L"dropped: Normal is below the back end's threshold");
  bridge.Log(2, L"f", 8, L"F", L"100% %s kept");
  ASSERT_EQ(backend->entries.size(), 1u);
  EXPECT_EQ(backend->entries[0].severity, 4u);
  EXPECT_EQ(backend->entries[0].message, L"100% %s kept");
  EXPECT_EQ(backend->entries[0].line, 8);
  EXPECT_EQ(backend->entries[0].function, L"F");
}

}  // namespace
