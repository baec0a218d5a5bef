// The test program's own log folder (a group named after the program and its
// process id, every severity written, file and function on each line) and a
// watch that answers the lines written since it was made.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace settings_test {

// Call once from main, before anything logs.
void useOwnLogFolder();
const std::wstring& logFolder();
// Removes the program's log group folder.
void removeOwnLogFolder();

class LogWatch {
 public:
  LogWatch();
  // Lines written since construction.
  std::vector<std::wstring> newLines() const;
  // The new lines that end with the message.
  std::vector<std::wstring> linesEndingWith(const std::wstring& message) const;
  bool has(const std::wstring& message) const { return !linesEndingWith(message).empty(); }

 private:
  size_t start_;
};

}  // namespace settings_test
