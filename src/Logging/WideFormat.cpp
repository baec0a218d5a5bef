#include "Logging/WideFormat.h"

#include <stdio.h>
#include <wchar.h>

namespace Ledra {
namespace logging {

bool formatWideV(std::wstring& out, const wchar_t* format, va_list args, size_t maxChars) noexcept {
  out.clear();
  if (format == nullptr) return false;
  try {
    va_list measure;
    va_copy(measure, args);
    const int needed = ::_vscwprintf(format, measure);
    va_end(measure);
    if (needed < 0) return false;
    const size_t length = static_cast<size_t>(needed) < maxChars ? static_cast<size_t>(needed) : maxChars;
    // _vsnwprintf writes up to `count` characters and needs no room for a
    // terminator when the text is cut; the extra element keeps it in bounds.
    out.assign(length + 1, L'\0');
    va_list write;
    va_copy(write, args);
    ::_vsnwprintf(&out[0], length, format, write);
    va_end(write);
    out.resize(length);
    return true;
  } catch (...) {
    out.clear();
    return false;
  }
}

bool formatWide(std::wstring& out, const wchar_t* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const bool formatted = formatWideV(out, format, args);
  va_end(args);
  return formatted;
}

}  // namespace logging
}  // namespace Ledra
