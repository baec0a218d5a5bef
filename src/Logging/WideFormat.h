// printf-style formatting of wide texts with the rules of the Windows C
// runtime: in a wide format %s is a wide text, %hs a narrow one, %ls a wide one.
// (The C99 functions that mingw substitutes read %s as narrow; these do not.)
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace Ledra {
namespace logging {

// Formats into `out`, keeping at most maxChars characters. False when the
// format is null or malformed or memory runs out; `out` is then empty.
bool formatWideV(std::wstring& out, const wchar_t* format, va_list args, size_t maxChars = 0x100000) noexcept;
bool formatWide(std::wstring& out, const wchar_t* format, ...) noexcept;

}  // namespace logging
}  // namespace Ledra
