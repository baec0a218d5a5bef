#include "Logging/BasaltLogger.h"

#include <cstdarg>
#include <string>
#include <utility>

#include "Logging/WideFormat.h"

namespace Basalt {
namespace {

constexpr wchar_t kLogFile[] = L"Logging\\internal_logging";
constexpr wchar_t kCannotRegisterNull[] = L"%s: Cannot Register (NULL) handler";
constexpr wchar_t kCannotReplace[] = L"%s: Registered Logging Handler 0x%08X cannot be replaced with 0x%08X";
constexpr wchar_t kNoneRegistered[] =
    L"%s: Request to Unregister Logging handler 0x%08X, but none are registered";
constexpr wchar_t kUnregisterMismatch[] =
    L"%s: Failed to Unregister Logging handler (requested handler 0x%08X != registered handler 0x%08X)";

// Handlers show in messages by the low 32 bits of their address.
unsigned int shown(const void* handler) {
  return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(handler));
}

class DebugOutput : public IDebugOutput {
 public:
  void write(const wchar_t* text) noexcept override { ::OutputDebugStringW(text); }
};

}  // namespace

std::shared_ptr<IDebugOutput> defaultDebugOutput() { return std::make_shared<DebugOutput>(); }

CDefaultLoggingHandler::CDefaultLoggingHandler(std::shared_ptr<IDebugOutput> output)
    : output_(output ? std::move(output) : defaultDebugOutput()) {}

void CDefaultLoggingHandler::Log(uint32_t severity, const wchar_t* file, int line, const wchar_t* function,
                                 const wchar_t* message) noexcept {
  if (severity == 0) return;
  const wchar_t* format = severity == kBasaltInformation ? L"%s(%d): [INFO]: [%s]: %s\n"
                          : severity == kBasaltError     ? L"%s(%d): [ERROR]: [%s]: %s\n"
                                                         : L"%s(%d): [UNKNOWN]: [%s]: %s\n";
  std::wstring text;
  if (Ledra::logging::formatWide(text, format, file ? file : L"", line, function ? function : L"",
                                 message ? message : L"")) {
    output_->write(text.c_str());
  }
}

CLogger::CLogger(std::shared_ptr<ILoggingHandler> defaultHandler)
    : defaultHandler_(defaultHandler ? std::move(defaultHandler)
                                     : std::make_shared<CDefaultLoggingHandler>()) {}

CLogger& CLogger::instance() {
  static CLogger logger;
  return logger;
}

ILoggingHandler* CLogger::current() const {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  return registered_ != nullptr ? registered_ : defaultHandler_.get();
}

uint32_t CLogger::RegisterHandler(ILoggingHandler* handler) {
  static constexpr wchar_t kFunction[] = L"Basalt::CLogger::RegisterHandler";
  if (handler == nullptr) {
    Log(kBasaltError, kLogFile, kFunction, __LINE__, kCannotRegisterNull, kFunction);
    return ERROR_INVALID_PARAMETER;
  }
  ILoggingHandler* refusedBy = nullptr;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    if (noneRegistered() || registered_ == handler) {
      registered_ = handler;
      return 0;
    }
    refusedBy = registered_;
  }
  Log(kBasaltError, kLogFile, kFunction, __LINE__, kCannotReplace, kFunction, shown(refusedBy),
      shown(handler));
  return kErrorHandlerMismatch;
}

uint32_t CLogger::UnregisterHandler(ILoggingHandler* handler) {
  static constexpr wchar_t kFunction[] = L"Basalt::CLogger::UnregisterHandler";
  ILoggingHandler* registered = nullptr;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    if (!noneRegistered() && registered_ == handler) {
      registered_ = nullptr;
      return 0;
    }
    registered = noneRegistered() ? nullptr : registered_;
  }
  if (registered == nullptr) {
    Log(kBasaltError, kLogFile, kFunction, __LINE__, kNoneRegistered, kFunction, shown(handler));
  } else {
    Log(kBasaltError, kLogFile, kFunction, __LINE__, kUnregisterMismatch, kFunction, shown(handler),
        shown(registered));
  }
  return kErrorHandlerMismatch;
}

void CLogger::Log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line,
                  const wchar_t* format, ...) noexcept {
  std::wstring message;
  va_list args;
  va_start(args, format);
  const bool formatted = Ledra::logging::formatWideV(message, format, args);
  va_end(args);
  if (!formatted) return;
  // The handler is called outside the lock, so that it may log itself.
  current()->Log(severity, file, line, function, message.c_str());
}

}  // namespace Basalt
