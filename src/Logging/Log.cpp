// The process-wide logger: created once from the logging identity, it holds
// the chosen back end and bridges the support library's logger into it.
#include "Logging/Log.h"

#include <atomic>
#include <cstdarg>
#include <memory>
#include <mutex>
#include <string>

#include "Logging/BasaltLogHandler.h"
#include "Logging/BasaltLogger.h"
#include "Logging/LogBuilder.h"
#include "Logging/WideFormat.h"
#include "wrappers/SrwSync.h"

namespace Ledra {
namespace logging {
namespace {

Ledra::SrwMutex& identityMutex() {
  static Ledra::SrwMutex mutex;
  return mutex;
}

ETWLogging::LoggingIdentity& identity() {
  static ETWLogging::LoggingIdentity current;
  return current;
}

// The module this code is linked into, found by the address of this function.
HMODULE thisModule() noexcept {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
  return module;
}

// Set once the logger has been destroyed at unload, for code that still logs
// from later static destructors.
std::atomic<bool> loggerGone{false};

class ProcessLogger {
 public:
  ProcessLogger() noexcept {
    // Made first, so it is destroyed after this logger unregisters from it.
    Basalt::CLogger& basalt = Basalt::CLogger::instance();
    try {
      ETWLogging::LoggingIdentity id;
      {
        std::lock_guard<Ledra::SrwMutex> lock(identityMutex());
        id = identity();
      }
      if (id.module == nullptr) id.module = thisModule();
      backend_ = ETWLogging::CDefaultLogBuilder().build(id);
      if (!backend_) return;
      bridge_ = std::make_unique<ETWLogging::CBasaltLogHandler>(backend_);
      if (basalt.RegisterHandler(bridge_.get()) != 0) bridge_.reset();
    } catch (...) {
      bridge_.reset();
      backend_.reset();
    }
  }

  ~ProcessLogger() {
    loggerGone = true;
    if (bridge_) Basalt::CLogger::instance().UnregisterHandler(bridge_.get());
  }

  ETWLogging::CLoggingIf* backend() const noexcept { return backend_.get(); }

 private:
  std::shared_ptr<ETWLogging::CLoggingIf> backend_;
  std::unique_ptr<ETWLogging::CBasaltLogHandler> bridge_;
};

// Created on the first call; the language's one-time initialisation of a
// function-local static is the only synchronisation the logger needs.
ETWLogging::CLoggingIf* backend() noexcept {
  if (loggerGone) return nullptr;
  static ProcessLogger logger;
  return logger.backend();
}

}  // namespace

bool isEnabled(uint32_t severity) noexcept {
  ETWLogging::CLoggingIf* logger = backend();
  return logger != nullptr && logger->isEnabled(severity);
}

void log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line, const wchar_t* format,
         ...) noexcept {
  ETWLogging::CLoggingIf* logger = backend();
  if (logger == nullptr) return;
  std::wstring message;
  va_list args;
  va_start(args, format);
  const bool formatted = formatWideV(message, format, args);
  va_end(args);
  if (formatted) logger->log(severity, file, function, line, message.c_str());
}

void setLoggingIdentity(uint64_t value, const wchar_t* group, HMODULE module, const wchar_t* host,
                        uint32_t mechanism) noexcept {
  try {
    std::lock_guard<Ledra::SrwMutex> lock(identityMutex());
    ETWLogging::LoggingIdentity& id = identity();
    id.value = value;
    if (group != nullptr) id.group = group;
    id.module = module;
    id.host = host != nullptr ? host : L"";  // null: no host
    id.mechanism = mechanism;
  } catch (...) {
  }
}

}  // namespace logging
}  // namespace Ledra
