// The file back end: rotating UTF-16 text logs under
//   <common application data>\Brenix\BXLOGS\<group>\<module>\<module>[_<host>]NNN.log
// configured by the "log.ini" beside them and the common "log.ini" in BXLOGS.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "Logging/LoggingIf.h"
#include "wrappers/SrwSync.h"

namespace ETWLogging {

class CLogging : public CLoggingIf {
 public:
  // Section of the INI files that holds the settings and "LastLogIdx".
  static constexpr const wchar_t* kSection = L"Config";

  struct Settings {
    DWORD enable = 1;
    DWORD maxSize = 0x40000;
    DWORD maxEntries = 3;
    DWORD severity = 3;
    DWORD options = 0x10;
  };

  // logsRoot: the folder, ending in a backslash, under which the group
  // folders live; empty for the product's folder under the common
  // application-data folder.
  explicit CLogging(std::wstring logsRoot = std::wstring()) noexcept;

  uint32_t initialize(const wchar_t* group, HMODULE module, const wchar_t* host) noexcept override;
  bool isEnabled(uint32_t severity) const noexcept override;
  uint32_t log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line,
               const wchar_t* message) noexcept override;

  // Valid after a successful initialize.
  const Settings& settings() const noexcept { return settings_; }
  const std::wstring& logDirectory() const noexcept { return logDirectory_; }
  std::wstring logFilePath(DWORD index) const;

 private:
  void readSettings() noexcept;
  // Picks the file of this line, moving the rotation on when the current one is full.
  void chooseFile(DWORD& index, bool& createNew) noexcept;
  uint32_t writeLine(const std::wstring& path, bool createNew, const std::wstring& line) const noexcept;

  std::atomic<bool> initialised_{false};
  Settings settings_;
  std::wstring logsRoot_;
  std::wstring group_;
  bool hasGroup_ = false;
  std::wstring host_;
  bool hasHost_ = false;
  std::wstring moduleName_;
  std::wstring logDirectory_;
  std::wstring perLogIni_;
  std::wstring commonIni_;
  DWORD processId_ = 0;
  // Keeps the lines of this process whole and the rotation index consistent;
  // other processes share the files through the sharing mode alone.
  Ledra::SrwMutex writeMutex_;
};

}  // namespace ETWLogging
