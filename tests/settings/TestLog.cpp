#include "tests/settings/TestLog.h"

#include <shlobj.h>

#include <algorithm>
#include <filesystem>

#include "Logging/Log.h"
#include "wrappers/ScopedHandle.h"

namespace settings_test {
namespace {

std::wstring& folder() {
  static std::wstring directory;
  return directory;
}

std::wstring programData() {
  Ledra::ScopedCoTaskMemString root;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, root.receive()))) return std::wstring();
  return root.get();
}

// The bytes of a file, read with shared access while the logger may append.
std::string readBytes(const std::wstring& path) {
  Ledra::ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file) return bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

// The lines of one UTF-16LE log file, byte-order mark dropped.
std::vector<std::wstring> readLines(const std::wstring& path) {
  const std::string bytes = readBytes(path);
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::vector<std::wstring> readFolder() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder() + L"*.log").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::wstring> lines;
  for (const auto& name : names) {
    auto more = readLines(folder() + name);
    lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

void writeText(const std::wstring& path, const std::string& text) {
  Ledra::ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

void useOwnLogFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring base(path);
  base = base.substr(base.find_last_of(L'\\') + 1);
  base = base.substr(0, base.find_last_of(L'.'));
  static std::wstring group;
  group = L"settings" + std::to_wstring(::GetCurrentProcessId());
  folder() = programData() + L"\\Brenix\\BXLOGS\\" + group + L"\\" + base + L"\\";
  SHCreateDirectoryExW(nullptr, folder().c_str(), nullptr);
  // Severity 1 writes warnings too; options 0x28 put file, line and function on each line.
  writeText(folder() + L"log.ini", "[Config]\r\nSeverity=1\r\nOptions=40\r\n");
  Ledra::logging::setLoggingIdentity(0, group.c_str(), nullptr, nullptr, 1);
}

const std::wstring& logFolder() { return folder(); }

void removeOwnLogFolder() {
  // The folder is <group>\<program>\: the group goes as a whole.
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder()).parent_path().parent_path(), ignored);
}

LogWatch::LogWatch() : start_(readFolder().size()) {}

std::vector<std::wstring> LogWatch::newLines() const {
  auto lines = readFolder();
  if (lines.size() <= start_) return {};
  return std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(start_), lines.end());
}

std::vector<std::wstring> LogWatch::linesEndingWith(const std::wstring& message) const {
  std::vector<std::wstring> found;
  for (const auto& line : newLines()) {
    if (line.size() >= message.size() &&
        line.compare(line.size() - message.size(), message.size(), message) == 0) {
      found.push_back(line);
    }
  }
  return found;
}

}  // namespace settings_test
