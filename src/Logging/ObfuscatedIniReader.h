// Reads (and, for the rotation index, writes) one logging INI file.
//
// The contents of the product's INI files may be scrambled; this reader owns
// that format. Today they are plain Windows INI files, so a text editor can
// set them.
#pragma once

#include <windows.h>

#include <string>

namespace Basalt {

class CObfuscatedIniReader {
 public:
  explicit CObfuscatedIniReader(std::wstring path) noexcept;

  bool exists() const noexcept;

  // False when the file, the section or the key is missing or the value is empty.
  bool readString(const wchar_t* section, const wchar_t* key, std::wstring& value) const noexcept;

  // A number written in decimal or as 0x hex, surrounded by optional blanks.
  // False when missing or when the text is not such a number that fits in 32 bits.
  bool readNumber(const wchar_t* section, const wchar_t* key, DWORD& value) const noexcept;

  // Stores a number in decimal, creating the file when needed.
  bool writeNumber(const wchar_t* section, const wchar_t* key, DWORD value) const noexcept;

  const std::wstring& path() const noexcept { return path_; }

 private:
  std::wstring path_;
};

// The number parser above, on its own: decimal or 0x hex, blanks around it.
bool parseIniNumber(const std::wstring& text, DWORD& value) noexcept;

}  // namespace Basalt
