#include "LogTestFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "Logging/LogPaths.h"

namespace logtest {

std::wstring logsRoot() { return ETWLogging::defaultLogsRoot(); }

std::wstring freshTempFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"tarn-logging-" + name + L"\\";
  removeTree(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

void removeTree(const std::wstring& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder), ignored);
}

void writeIni(const std::wstring& path, const std::string& text) {
  const std::filesystem::path file(path);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
}

LogFile readLogFile(const std::wstring& path) {
  LogFile result;
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return result;
  result.exists = true;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t offset = 0;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    result.byteOrderMark = true;
    offset = 2;
  }
  for (size_t i = offset; i + 1 < bytes.size(); i += 2) {
    result.text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return result;
}

std::vector<std::wstring> splitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end = text.find(L"\r\n"); end != std::wstring::npos; end = text.find(L"\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::wstring afterTimestamp(const std::wstring& line) {
  static const std::wregex stamp(LR"(^(0[1-9]|1[0-2])/\d\d/\d{4} (0[1-9]|1[0-2]):\d\d:\d\d [AP]M\$)");
  std::wsmatch match;
  if (!std::regex_search(line, match, stamp)) return std::wstring();
  return line.substr(static_cast<size_t>(match.length(0)));
}

std::vector<std::wstring> messagesOf(const std::wstring& path) {
  std::vector<std::wstring> messages;
  for (const std::wstring& line : splitLines(readLogFile(path).text)) {
    const size_t mark = line.rfind(L"$ ");
    messages.push_back(mark == std::wstring::npos ? line : line.substr(mark + 2));
  }
  return messages;
}

}  // namespace logtest
