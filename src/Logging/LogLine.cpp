#include "Logging/LogLine.h"

#include <cwchar>

#include "Logging/WideFormat.h"

namespace ETWLogging {
namespace {

const wchar_t* orEmpty(const wchar_t* text) { return text != nullptr ? text : L""; }

void append(std::wstring& line, const wchar_t* format, ...) {
  std::wstring part;
  va_list args;
  va_start(args, format);
  Ledra::logging::formatWideV(part, format, args);
  va_end(args);
  line += part;
}

}  // namespace

const wchar_t* severityName(uint32_t severity) noexcept {
  switch (severity) {
    case 1:
      return L"Normal";
    case 2:
      return L"Warning";
    case 3:
    case 6:
      return L"Information";
    case 4:
      return L"Error";
    case 5:
      return L"Critical";
    default:
      return nullptr;
  }
}

std::wstring formatTimestamp(const SYSTEMTIME& time) {
  WORD hour = time.wHour;
  const wchar_t* half = hour < 12 ? L"AM" : L"PM";
  if (hour == 0) hour = 12;
  if (hour > 12) hour = static_cast<WORD>(hour - 12);
  std::wstring stamp;
  append(stamp, L"%02hu/%02hu/%hu %02hu:%02hu:%02hu %s$", time.wMonth, time.wDay, time.wYear, hour,
         time.wMinute, time.wSecond, half);
  return stamp;
}

std::wstring formatLogLine(const SYSTEMTIME& time, uint32_t severity, const LineParts& parts) {
  const wchar_t* name = severityName(severity);
  if (name == nullptr) return std::wstring();
  std::wstring line;
  append(line, L"%s -- (%s)$", formatTimestamp(time).c_str(), name);
  if (parts.options & kOptionGroup) append(line, L" [%.15s]$", orEmpty(parts.group));
  if (parts.options & kOptionProcessThread) {
    append(line, L" [PID:%5lu TID:%5lu]$", static_cast<unsigned long>(parts.processId),
           static_cast<unsigned long>(parts.threadId));
  }
  if (parts.options & kOptionFileLine) {
    const wchar_t* file = orEmpty(parts.file);
    if (const wchar_t* slash = std::wcsrchr(file, L'\\')) file = slash + 1;
    append(line, L" [%.20s:%5d]$", file, parts.line);
  }
  if (parts.options & kOptionFunction) append(line, L" [%.40s()]$", orEmpty(parts.function));
  const wchar_t* message = orEmpty(parts.message);
  line += L' ';
  line += message;
  const size_t length = std::wcslen(message);
  if (length == 0 || message[length - 1] != L'\n') line += L"\r\n";
  return line;
}

}  // namespace ETWLogging
