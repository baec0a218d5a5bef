// A file's version resource and the "FileVersion" text in it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace Basalt {

class FileVersionInfo {
 public:
  virtual ~FileVersionInfo() = default;
  // Reads the version resource of the file; false when it has none or the
  // file cannot be read. A failed read forgets any earlier one.
  virtual bool read(const std::wstring& path);
  // "FileVersion" from the first language and code page listed under
  // \VarFileInfo\Translation that has it; empty when none has it.
  virtual std::wstring fileVersion() const;

 private:
  std::vector<BYTE> data_;
};

}  // namespace Basalt
