#include "Logging/FileLogging.h"

#include <utility>
#include <vector>

#include "Logging/LogLine.h"
#include "Logging/ObfuscatedIniReader.h"
#include "Logging/WideFormat.h"
#include "wrappers/ScopedHandle.h"

namespace ETWLogging {
namespace {

constexpr wchar_t kLastLogIdx[] = L"LastLogIdx";
constexpr wchar_t kByteOrderMark = 0xFEFF;  // FF FE in the file
// How long a line waits for another process that holds its file alone (while
// writing the mark of a file it created, or re-creating it in a rotation).
constexpr ULONGLONG kSharingWaitMs = 2000;
// Rounds of one line while other processes keep moving the rotation; the last
// round writes into the current file even when it is full.
constexpr int kRounds = 4;
// A reparse point is never followed: a link is opened (and written) as itself.
constexpr DWORD kOpenFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;

// The per-log value, else the common one, else the default; junk counts as missing.
DWORD readSetting(const Basalt::CObfuscatedIniReader& perLog, const Basalt::CObfuscatedIniReader& common,
                  const wchar_t* key, DWORD fallback, bool zeroAllowed) {
  DWORD value = 0;
  if (perLog.readNumber(CLogging::kSection, key, value) && (zeroAllowed || value != 0)) return value;
  if (common.readNumber(CLogging::kSection, key, value) && (zeroAllowed || value != 0)) return value;
  return fallback;
}

// CreateFileW that waits out another process holding the file alone.
HANDLE openWaiting(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) noexcept {
  const ULONGLONG deadline = ::GetTickCount64() + kSharingWaitMs;
  for (;;) {
    const HANDLE file = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, kOpenFlags, nullptr);
    const DWORD error = ::GetLastError();
    if (file != INVALID_HANDLE_VALUE || error != ERROR_SHARING_VIOLATION || ::GetTickCount64() >= deadline) {
      ::SetLastError(error);
      return file;
    }
    ::Sleep(1);
  }
}

uint32_t writeAll(HANDLE file, const std::wstring& text) noexcept {
  const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  DWORD written = 0;
  if (!::WriteFile(file, text.data(), bytes, &written, nullptr)) return ::GetLastError();
  return written == bytes ? 0 : ERROR_WRITE_FAULT;
}

// Keeps the appends of all writers of a file apart. Windows writes each append
// at the end as one piece; Wine finds the end and then writes there, so two
// processes could write at the same place. Every appender therefore locks a
// byte far beyond any log's end while it looks at the size and writes: one
// more call before and after the write, and whole lines on both. The lock is
// given up on after a while rather than waited for without end, so that a
// process holding it cannot stop the logging.
class AppendLock {
 public:
  explicit AppendLock(HANDLE file) noexcept : file_(file) {
    const ULONGLONG deadline = ::GetTickCount64() + kSharingWaitMs;
    for (int tries = 0;; ++tries) {
      OVERLAPPED at = place();
      if (::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        held_ = true;
        return;
      }
      if (::GetTickCount64() >= deadline) return;
      ::Sleep(tries < 100 ? 0 : 1);  // the holder writes one line; yield to it first
    }
  }
  ~AppendLock() {
    OVERLAPPED at = place();
    if (held_) ::UnlockFileEx(file_, 0, 1, 0, &at);
  }
  AppendLock(const AppendLock&) = delete;
  AppendLock& operator=(const AppendLock&) = delete;

 private:
  static OVERLAPPED place() noexcept {
    OVERLAPPED at = {};
    at.Offset = 0xFFFFFFFF;
    at.OffsetHigh = 0x7FFFFFFF;
    return at;
  }
  HANDLE file_;
  bool held_ = false;
};

ULONGLONG asNumber(const FILETIME& time) noexcept {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
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
    defaultRoot_ = logsRoot_.empty();
    if (defaultRoot_) logsRoot_ = defaultLogsRoot();
    if (logsRoot_.empty()) return ERROR_PATH_NOT_FOUND;
    if (logsRoot_.back() != L'\\') logsRoot_ += L'\\';
    logDirectory_ = logsRoot_;
    if (hasGroup_) logDirectory_ += group_ + L'\\';
    logDirectory_ += moduleName_ + L'\\';
    perLogIni_ = logDirectory_ + L"log.ini";
    commonIni_ = logsRoot_ + L"log.ini";
    // The folders checked for reparse points: from "Brenix" below the
    // application-data folder, or from a given root itself, down to the log
    // directory. What lies above is the system's (or the caller's).
    size_t checkedFrom = logsRoot_.size() - 1;  // the root's own closing backslash
    for (int up = defaultRoot_ ? 2 : 1; up > 0 && checkedFrom > 0; --up) {
      const size_t parent = logsRoot_.rfind(L'\\', checkedFrom - 1);
      if (parent == std::wstring::npos) break;
      checkedFrom = parent;
    }
    createFolders(logsRoot_.substr(0, checkedFrom));
    std::vector<std::wstring> folders;
    for (size_t slash = logDirectory_.find(L'\\', checkedFrom + 1); slash != std::wstring::npos;
         slash = logDirectory_.find(L'\\', slash + 1)) {
      folders.push_back(logDirectory_.substr(0, slash));
    }
    folders_.reset(std::move(folders));
    // A reparse point refuses the logger: nothing is logged rather than
    // logged somewhere else. A folder that cannot be made only makes the
    // writes fail (each write tries again).
    if (folders_.secure() == kErrorReparsePoint) return kErrorReparsePoint;
    readSettings();
    DWORD stored = 0;
    index_ = readStoredIndex(stored) ? stored : 0;
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

bool CLogging::readStoredIndex(DWORD& index) const noexcept {
  return Basalt::CObfuscatedIniReader(perLogIni_).readNumber(kSection, kLastLogIdx, index);
}

void CLogging::storeIndex(DWORD index) noexcept {
  // Never written through a link planted in place of the file.
  indexStored_ = !isReparsePoint(perLogIni_) &&
                 Basalt::CObfuscatedIniReader(perLogIni_).writeNumber(kSection, kLastLogIdx, index);
}

uint32_t CLogging::checkPath(const std::wstring& path) noexcept {
  // Only the folders not held yet cost anything here.
  if (const uint32_t refused = folders_.secure()) return refused;
  if (path != checkedPath_ && isReparsePoint(path)) return kErrorReparsePoint;
  return 0;
}

uint32_t CLogging::checkOpened(HANDLE file, const std::wstring& path) noexcept {
  // When the logger comes to a file: neither a link opened as itself (Windows
  // shows it in the attributes), nor a second name of another file (a hard
  // link), nor anywhere but in the log directory once links are followed (Wine
  // follows links to files and shows them neither by attributes nor by path).
  // The lines after it open the file without following a reparse point, so a
  // link put in its place later is written as itself, never through: they
  // check nothing more.
  if (path == checkedPath_) return 0;
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!::GetFileInformationByHandle(file, &info)) return ::GetLastError();
  try {
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks > 1 ||
        !folders_.holdsFile(file, path.substr(logDirectory_.size()))) {
      return kErrorReparsePoint;
    }
    checkedPath_ = path;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  return 0;
}

uint32_t CLogging::append(DWORD index, const std::wstring& line, bool force, bool& full) noexcept {
  try {
    const std::wstring path = logFilePath(index);
    if (const uint32_t refused = checkPath(path)) return refused;
    // Reading is asked for only because the lock needs it.
    constexpr DWORD kAppend = FILE_READ_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE;
    Ledra::ScopedFileHandle file(openWaiting(path, kAppend, kShared, OPEN_EXISTING));
    if (!file) {
      if (::GetLastError() != ERROR_FILE_NOT_FOUND) return ::GetLastError();
      // A new file: its creator holds it alone until its mark and line are in.
      file.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kOpenFlags, nullptr));
      if (file) return writeAll(file.get(), kByteOrderMark + line);
      if (::GetLastError() != ERROR_FILE_EXISTS) return ::GetLastError();
      // Another process created it first: append behind its mark.
      file.reset(openWaiting(path, kAppend, kShared, OPEN_EXISTING));
      if (!file) return ::GetLastError();
    }
    if (const uint32_t refused = checkOpened(file.get(), path)) return refused;
    const AppendLock lock(file.get());
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size)) return ::GetLastError();
    full = static_cast<ULONGLONG>(size.QuadPart) >= settings_.maxSize;
    if (full && !force) return 0;
    return writeAll(file.get(), line);
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

uint32_t CLogging::rotate(DWORD from, DWORD to, const std::wstring& line, bool& moved) noexcept {
  try {
    const std::wstring path = logFilePath(to);
    if (const uint32_t refused = checkPath(path)) return refused;
    // Alone in the file while deciding: a second process rotating at the same
    // time waits here and then finds the rotation moved.
    Ledra::ScopedFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                               CREATE_NEW, kOpenFlags, nullptr));
    const bool created = static_cast<bool>(file);
    if (!created) {
      if (::GetLastError() != ERROR_FILE_EXISTS) return ::GetLastError();
      file.reset(openWaiting(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
      if (!file && ::GetLastError() == ERROR_SHARING_VIOLATION) {
        // Someone keeps the file open (a reader): decide without being alone.
        file.reset(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, kOpenFlags,
                                 nullptr));
      }
      if (!file) return ::GetLastError();
    }
    if (const uint32_t refused = checkOpened(file.get(), path)) return refused;
    DWORD stored = 0;
    if (!created && indexStored_ && readStoredIndex(stored) && stored != from) {
      moved = true;
      index_ = stored;
      return 0;
    }
    // An existing file is re-created unless it was written after the file the
    // rotation leaves: then another process has begun it already (one whose
    // rotation log.ini could not record) and the line goes behind its lines.
    bool recreate = created;
    if (!created) {
      FILETIME written = {};
      WIN32_FILE_ATTRIBUTE_DATA left = {};
      recreate = !::GetFileTime(file.get(), nullptr, nullptr, &written) ||
                 !::GetFileAttributesExW(logFilePath(from).c_str(), GetFileExInfoStandard, &left) ||
                 asNumber(written) <= asNumber(left.ftLastWriteTime);
    }
    storeIndex(to);  // before letting go of the file, so that the next rotator sees the move
    index_ = to;
    LARGE_INTEGER zero = {};
    if (!created && !::SetFilePointerEx(file.get(), zero, nullptr, recreate ? FILE_BEGIN : FILE_END))
      return ::GetLastError();
    if (!recreate) return writeAll(file.get(), line);
    if (!created && !::SetEndOfFile(file.get())) return ::GetLastError();
    return writeAll(file.get(), kByteOrderMark + line);
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

uint32_t CLogging::writeLine(const std::wstring& line) noexcept {
  uint32_t result = 0;
  for (int round = 1; round <= kRounds; ++round) {
    bool moved = false;
    if (index_ >= settings_.maxEntries) {
      result = rotate(index_, 0, line, moved);
    } else {
      bool full = false;
      result = append(index_, line, round == kRounds, full);
      if (result != 0 || !full) return result;
      // Another process may have moved the rotation on already.
      DWORD stored = 0;
      if (indexStored_ && readStoredIndex(stored) && stored != index_) {
        index_ = stored;
        continue;
      }
      result = rotate(index_, index_ + 1 == settings_.maxEntries ? 0 : index_ + 1, line, moved);
    }
    if (!moved) return result;
  }
  return result;
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
      result = writeLine(text);
    }
    if (settings_.options & kOptionDebugOutput) ::OutputDebugStringW(text.c_str());
    return result;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

}  // namespace ETWLogging
