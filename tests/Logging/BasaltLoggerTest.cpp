// The support library's logger: handler registration, its default handler, and
// the bridge into a logging back end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Logging/BasaltLogHandler.h"
#include "Logging/BasaltLogger.h"

namespace {

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
