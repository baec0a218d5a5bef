// Shared by the settings features' tests: this program's own log folder and a
// watch over the lines written after a point.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace settings_test {

// Points the process logger at a group of its own (severity 1, file, line and
// function on each line). Call from main before anything logs.
void useOwnLogFolder(const wchar_t* prefix);
// Removes the group's folder (kept when a test failed, to read).
void removeOwnLogFolder();

// Lines written after the watch was made.
class LogWatch {
 public:
  LogWatch();
  std::vector<std::wstring> newLines() const;
  // New lines whose message ends with the text.
  std::vector<std::wstring> linesEndingWith(const std::wstring& text) const;
  size_t count(const std::wstring& text) const { return linesEndingWith(text).size(); }
  // Waits, up to a generous deadline, until count(text) reaches n.
  bool waitFor(const std::wstring& text, size_t n = 1) const;

 private:
  size_t start_;
};

// For gtest messages.
std::string narrow(const std::wstring& text);

}  // namespace settings_test
