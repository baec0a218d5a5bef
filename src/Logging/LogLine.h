// The text of one line of the file logs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ETWLogging {

// Bits of the "Options" setting.
constexpr uint32_t kOptionDebugOutput = 0x01;
constexpr uint32_t kOptionProcessThread = 0x04;
constexpr uint32_t kOptionFileLine = 0x08;
constexpr uint32_t kOptionGroup = 0x10;
constexpr uint32_t kOptionFunction = 0x20;

// "Normal", "Warning", ...; null for a severity outside 1 to 6.
const wchar_t* severityName(uint32_t severity) noexcept;

// Everything of a line except the time and the severity.
struct LineParts {
  uint32_t options = 0;
  const wchar_t* group = nullptr;
  DWORD processId = 0;
  DWORD threadId = 0;
  const wchar_t* file = nullptr;  // may carry a path; only the part after the last backslash is shown
  int line = 0;
  const wchar_t* function = nullptr;
  const wchar_t* message = nullptr;
};

// "MM/DD/YYYY hh:mm:ss AM$" on the 12-hour clock.
std::wstring formatTimestamp(const SYSTEMTIME& time);

// The whole line, CR LF included unless the message already ends with a line
// feed. Empty for an unknown severity.
std::wstring formatLogLine(const SYSTEMTIME& time, uint32_t severity, const LineParts& parts);

}  // namespace ETWLogging
