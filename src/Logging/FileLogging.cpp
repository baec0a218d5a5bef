#include "Logging/FileLogging.h"

#include <utility>

#include "Logging/LogLine.h"
#include "Logging/LogPaths.h"
#include "Logging/ObfuscatedIniReader.h"
#include "Logging/WideFormat.h"
#include "wrappers/ScopedHandle.h"

namespace ETWLogging {
namespace {

constexpr wchar_t kLastLogIdx[] = L"LastLogIdx";
constexpr BYTE kByteOrderMark[] = {0xFF, 0xFE};

// The per-log value, else the common one, else the default; junk counts as missing.
DWORD readSetting(const Basalt::CObfuscatedIniReader& perLog, const Basalt::CObfuscatedIniReader& common,
                  const wchar_t* key, DWORD fallback, bool zeroAllowed) {
  DWORD value = 0;
  if (perLog.readNumber(CLogging::kSection, key, value) && (zeroAllowed || value != 0)) return value;
  if (common.readNumber(CLogging::kSection, key, value) && (zeroAllowed || value != 0)) return value;
  return fallback;
}

}  // namespace

CLogging::CLogging(std::wstring logsRoot) noexcept : logsRoot_(std::move(logsRoot)) {}

uint32_t CLogging::initialize(const wchar_t* group, HMODULE module, const wchar_t* host) noexcept {
  if (initialised_) return kErrorAlreadyInitialized;
  if ((group != nullptr && *group == L'\0') || (host != nullptr && *host == L'\0'))
    return kErrorInvalidParameter;
  try {
    hasGroup_ = group != nullptr;
    group_ = hasGroup_ ? group : L"";
    hasHost_ = host != nullptr;
    host_ = hasHost_ ? host : L"";
    moduleName_ = moduleBaseName(module);
    if (moduleName_.empty()) return ::GetLastError() != 0 ? ::GetLastError() : ERROR_INVALID_HANDLE;
    if (logsRoot_.empty()) logsRoot_ = defaultLogsRoot();
    if (logsRoot_.empty()) return ERROR_PATH_NOT_FOUND;
    if (logsRoot_.back() != L'\\') logsRoot_ += L'\\';
    logDirectory_ = logsRoot_;
    if (hasGroup_) logDirectory_ += group_ + L'\\';
    logDirectory_ += moduleName_ + L'\\';
    perLogIni_ = logDirectory_ + L"log.ini";
    commonIni_ = logsRoot_ + L"log.ini";
    // A folder that cannot be made only makes the writes fail.
    createFolders(logDirectory_);
    readSettings();
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  processId_ = ::GetCurrentProcessId();
  initialised_ = true;
  return 0;
}

void CLogging::readSettings() noexcept {
  const Basalt::CObfuscatedIniReader perLog(perLogIni_);
  const Basalt::CObfuscatedIniReader common(commonIni_);
  const Settings defaults;
  settings_ = defaults;
  if (!perLog.exists() && !common.exists()) return;
  settings_.enable = readSetting(perLog, common, L"Enable", defaults.enable, true);
  settings_.maxSize = readSetting(perLog, common, L"MaxSize", defaults.maxSize, false);
  settings_.maxEntries = readSetting(perLog, common, L"MaxEntries", defaults.maxEntries, false);
  settings_.severity = readSetting(perLog, common, L"Severity", defaults.severity, true);
  settings_.options = readSetting(perLog, common, L"Options", defaults.options, true);
}

bool CLogging::isEnabled(uint32_t severity) const noexcept {
  return initialised_ && settings_.enable != 0 && severity >= settings_.severity;
}

std::wstring CLogging::logFilePath(DWORD index) const {
  std::wstring name = moduleName_;
  if (hasHost_) name += L"_" + host_;
  std::wstring number;
  Ledra::logging::formatWide(number, L"%0.3lu", static_cast<unsigned long>(index));
  return logDirectory_ + name + number + L".log";
}

void CLogging::chooseFile(DWORD& index, bool& createNew) noexcept {
  const Basalt::CObfuscatedIniReader ini(perLogIni_);
  index = 0;
  if (!ini.readNumber(kSection, kLastLogIdx, index)) index = 0;
  createNew = false;
  if (index >= settings_.maxEntries) {
    index = 0;
    createNew = true;
    ini.writeNumber(kSection, kLastLogIdx, index);
    return;
  }
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  std::wstring path;
  try {
    path = logFilePath(index);
  } catch (...) {
    return;
  }
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    createNew = true;
    return;
  }
  const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (size < settings_.maxSize) return;
  index = index + 1 == settings_.maxEntries ? 0 : index + 1;
  createNew = true;
  ini.writeNumber(kSection, kLastLogIdx, index);
}

uint32_t CLogging::writeLine(const std::wstring& path, bool createNew,
                             const std::wstring& line) const noexcept {
  Ledra::ScopedFileHandle file(
      ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    createNew ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  // OPEN_ALWAYS reports an existing file through the last error.
  const bool fresh = createNew || ::GetLastError() != ERROR_ALREADY_EXISTS;
  DWORD written = 0;
  if (fresh) {
    if (!::WriteFile(file.get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr))
      return ::GetLastError();
  } else {
    LARGE_INTEGER zero = {};
    if (!::SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return ::GetLastError();
  }
  const DWORD bytes = static_cast<DWORD>(line.size() * sizeof(wchar_t));
  if (!::WriteFile(file.get(), line.data(), bytes, &written, nullptr)) return ::GetLastError();
  return 0;
}

uint32_t CLogging::log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line,
                       const wchar_t* message) noexcept {
  if (!initialised_) return ERROR_INVALID_HANDLE;
  if (severityName(severity) == nullptr) return kErrorInvalidParameter;
  if (settings_.enable == 0) return 0;
  try {
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    LineParts parts;
    parts.options = settings_.options;
    parts.group = group_.c_str();
    parts.processId = processId_;
    parts.threadId = ::GetCurrentThreadId();
    parts.file = file;
    parts.line = line;
    parts.function = function;
    parts.message = message;
    const std::wstring text = formatLogLine(now, severity, parts);
    uint32_t result = 0;
    {
      std::lock_guard<Ledra::SrwMutex> lock(writeMutex_);
      DWORD index = 0;
      bool createNew = false;
      chooseFile(index, createNew);
      result = writeLine(logFilePath(index), createNew, text);
    }
    if (settings_.options & kOptionDebugOutput) ::OutputDebugStringW(text.c_str());
    return result;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

}  // namespace ETWLogging
