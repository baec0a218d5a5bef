// The host's output: whole lines, one writer at a time, UTF-8.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace Kiln {

class Console {
 public:
  explicit Console(std::FILE* out) : out_(out) {}
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  void line(const std::wstring& text);
  // Text without a line end (the interactive prompt).
  void prompt(const std::wstring& text);

 private:
  std::mutex mutex_;
  std::FILE* out_;
};

}  // namespace Kiln
