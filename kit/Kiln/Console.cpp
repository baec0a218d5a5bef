#include "kit/Kiln/Console.h"

#include "kit/Kiln/Text.h"

namespace Kiln {

void Console::line(const std::wstring& text) {
  const std::string bytes = toUtf8(text) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(bytes.data(), 1, bytes.size(), out_);
  std::fflush(out_);
}

void Console::prompt(const std::wstring& text) {
  const std::string bytes = toUtf8(text);
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(bytes.data(), 1, bytes.size(), out_);
  std::fflush(out_);
}

}  // namespace Kiln
