// Reading the file logger's output from tests: the folder a module's log lines
// go to and the lines of its files.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "wrappers/ScopedHandle.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarn_test {

// C:\ProgramData\Brenix\BXLOGS\<group>\<moduleBase>\ (with the trailing backslash).
inline std::wstring logDirectory(const std::wstring& group, const std::wstring& moduleBase) {
  PWSTR root = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &root))) path = root;
  CoTaskMemFree(root);
  return path + L"\\Brenix\\BXLOGS\\" + group + L"\\" + moduleBase + L"\\";
}

// The lines of one UTF-16LE log file (byte-order mark dropped, CR LF split).
inline std::vector<std::wstring> readLogLines(const std::wstring& file) {
  std::string bytes;
  Ledra::ScopedFileHandle handle(CreateFileW(file.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char chunk[4096];
  DWORD got = 0;
  while (handle && ReadFile(handle.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0)
    bytes.append(chunk, got);
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
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Every line of every log file in the folder, files in name order.
inline std::vector<std::wstring> readLogFolder(const std::wstring& directory) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((directory + L"*.log").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::vector<std::wstring> lines;
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    auto more = readLogLines(directory + name);
    lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

// Writes a per-log log.ini ([Config] section) into the folder, creating it.
inline void writeLogIni(const std::wstring& directory, const std::wstring& body) {
  SHCreateDirectoryExW(nullptr, directory.c_str(), nullptr);
  const std::string text = "[Config]\r\n" + std::string(body.begin(), body.end());
  Ledra::ScopedFileHandle handle(CreateFileW((directory + L"log.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (handle) WriteFile(handle.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace tarn_test
