// The file back end: rotating UTF-16 text logs under
//   <common application data>\Brenix\BXLOGS\<group>\<module>\<module>[_<host>]NNN.log
// configured by the "log.ini" beside them and the common "log.ini" in BXLOGS.
//
// Several processes may write one log. Each line is one write, appended under
// a lock that every writer of the file takes, so lines never overlap; only the
// process that creates a file or re-creates it in a rotation writes its
// byte-order mark, holding the file alone while it does, and the others wait
// for it and append.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "Logging/LogPaths.h"
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
  // Writes the line into the file of the rotation; the caller holds writeMutex_.
  uint32_t writeLine(const std::wstring& line) noexcept;
  // Appends to the file of `index`, creating it when missing. Sets `full`
  // (and writes nothing) when the file has reached MaxSize, unless `force`.
  uint32_t append(DWORD index, const std::wstring& line, bool force, bool& full) noexcept;
  // Moves the rotation from `from` to `to`, re-creating `to` with the line.
  // Sets `moved` (and writes nothing) when another process moved it first;
  // index_ then holds where it went.
  uint32_t rotate(DWORD from, DWORD to, const std::wstring& line, bool& moved) noexcept;
  // Before opening `path`: refuses a reparse point in the folders, or at
  // `path` when the logger comes to that file.
  uint32_t checkPath(const std::wstring& path) noexcept;
  // After opening it, when the logger comes to that file: refuses a file that
  // is a link or lies elsewhere.
  uint32_t checkOpened(HANDLE file, const std::wstring& path) noexcept;
  bool readStoredIndex(DWORD& index) const noexcept;
  void storeIndex(DWORD index) noexcept;

  std::atomic<bool> initialised_{false};
  Settings settings_;
  std::wstring logsRoot_;
  bool defaultRoot_ = false;
  std::wstring group_;
  bool hasGroup_ = false;
  std::wstring host_;
  bool hasHost_ = false;
  std::wstring moduleName_;
  std::wstring logDirectory_;
  std::wstring perLogIni_;
  std::wstring commonIni_;
  DWORD processId_ = 0;
  // Keeps the lines of this process whole and the fields below consistent;
  // other processes share the files through appending and the sharing mode.
  Ledra::SrwMutex writeMutex_;
  // The rotation index lives here as well as in "LastLogIdx": the stored value
  // is read at initialisation and again only where another process may have
  // moved the rotation (when the current file is full, and while rotating).
  // When it cannot be stored (a log.ini this process cannot write), the index
  // here goes on alone and the stored one is no longer read.
  DWORD index_ = 0;
  bool indexStored_ = true;
  LogFolderGuard folders_;
  std::wstring checkedPath_;  // the last log file found to lie in the log directory
};

}  // namespace ETWLogging
