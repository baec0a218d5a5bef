// Reading and preparing real log folders for the logging tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace logtest {

// <common application data>\Brenix\BXLOGS\ (the real logs root).
std::wstring logsRoot();

// A fresh, empty folder of its own under the temp folder, ending in a backslash.
std::wstring freshTempFolder(const std::wstring& name);

// Removes a folder tree; a missing one is fine.
void removeTree(const std::wstring& folder);

// Writes `text` as a plain INI file, creating its folder.
void writeIni(const std::wstring& path, const std::string& text);

struct LogFile {
  bool exists = false;
  bool byteOrderMark = false;
  std::wstring text;  // after the byte-order mark
};
LogFile readLogFile(const std::wstring& path);

// The lines of a log text, each without its CR LF.
std::vector<std::wstring> splitLines(const std::wstring& text);

// The line without its leading "MM/DD/YYYY hh:mm:ss AM$" timestamp; empty
// when the line does not start with a well-formed one.
std::wstring afterTimestamp(const std::wstring& line);

// Each line's message: the text after the last "$ ".
std::vector<std::wstring> messagesOf(const std::wstring& path);

}  // namespace logtest
