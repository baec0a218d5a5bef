// Small text helpers of the host: UTF-8 conversion for the console and the
// configuration files, JSON string quoting, trimming and number parsing.
#pragma once

#include <cstdint>
#include <string>

namespace Kiln {

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

// The text as a JSON string literal, quotes included.
std::wstring jsonQuote(const std::wstring& text);

std::wstring trim(const std::wstring& text);

// Control characters shown as escapes, so that a payload prints on one line.
std::wstring oneLine(const std::wstring& text);

// A whole decimal number in 0..max; false for anything else.
bool parseCount(const std::wstring& text, uint32_t max, uint32_t& out);

// Splits off the first blank-separated word; `rest` is what follows, trimmed.
std::wstring firstWord(const std::wstring& text, std::wstring& rest);

// Splits off the last blank-separated word; `rest` is what precedes, trimmed.
std::wstring lastWord(const std::wstring& text, std::wstring& rest);

}  // namespace Kiln
