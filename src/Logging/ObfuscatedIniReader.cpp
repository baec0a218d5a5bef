#include "Logging/ObfuscatedIniReader.h"

#include <utility>

namespace Basalt {

CObfuscatedIniReader::CObfuscatedIniReader(std::wstring path) noexcept : path_(std::move(path)) {}

bool CObfuscatedIniReader::exists() const noexcept {
  const DWORD attributes = ::GetFileAttributesW(path_.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool CObfuscatedIniReader::readString(const wchar_t* section, const wchar_t* key,
                                      std::wstring& value) const noexcept {
  wchar_t buffer[512] = {};
  const DWORD length =
      ::GetPrivateProfileStringW(section, key, L"", buffer, ARRAYSIZE(buffer), path_.c_str());
  if (length == 0) return false;
  try {
    value.assign(buffer, length);
  } catch (...) {
    return false;
  }
  return true;
}

bool CObfuscatedIniReader::readNumber(const wchar_t* section, const wchar_t* key,
                                      DWORD& value) const noexcept {
  std::wstring text;
  return readString(section, key, text) && parseIniNumber(text, value);
}

bool CObfuscatedIniReader::writeNumber(const wchar_t* section, const wchar_t* key,
                                       DWORD value) const noexcept {
  const std::wstring text = std::to_wstring(value);
  return ::WritePrivateProfileStringW(section, key, text.c_str(), path_.c_str()) != FALSE;
}

bool parseIniNumber(const std::wstring& text, DWORD& value) noexcept {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == L' ' || text[begin] == L'\t')) ++begin;
  while (end > begin && (text[end - 1] == L' ' || text[end - 1] == L'\t')) --end;
  unsigned base = 10;
  if (end - begin > 2 && text[begin] == L'0' && (text[begin + 1] == L'x' || text[begin + 1] == L'X')) {
    base = 16;
    begin += 2;
  }
  if (begin == end) return false;
  unsigned long long number = 0;
  for (size_t i = begin; i < end; ++i) {
    const wchar_t c = text[i];
    unsigned digit = 0;
    if (c >= L'0' && c <= L'9') {
      digit = static_cast<unsigned>(c - L'0');
    } else if (base == 16 && c >= L'a' && c <= L'f') {
      digit = static_cast<unsigned>(c - L'a' + 10);
    } else if (base == 16 && c >= L'A' && c <= L'F') {
      digit = static_cast<unsigned>(c - L'A' + 10);
    } else {
      return false;
    }
    number = number * base + digit;
    if (number > 0xFFFFFFFFull) return false;
  }
  value = static_cast<DWORD>(number);
  return true;
}

}  // namespace Basalt
