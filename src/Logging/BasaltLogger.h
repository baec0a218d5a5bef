// The support library's own logger: one registered handler at a time, and a
// handler of its own that writes to the debug output when none is registered.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>

#include "wrappers/SrwSync.h"

namespace Basalt {

// Severities of the support library.
constexpr uint32_t kBasaltInformation = 1;
constexpr uint32_t kBasaltError = 2;

// Error of a refused registration or unregistration.
constexpr uint32_t kErrorHandlerMismatch = 5023;

class ILoggingHandler {
 public:
  virtual ~ILoggingHandler() = default;
  virtual void Log(uint32_t severity, const wchar_t* file, int line, const wchar_t* function,
                   const wchar_t* message) noexcept = 0;
};

// Where the default handler writes; OutputDebugStringW unless a test gives another.
class IDebugOutput {
 public:
  virtual ~IDebugOutput() = default;
  virtual void write(const wchar_t* text) noexcept = 0;
};
std::shared_ptr<IDebugOutput> defaultDebugOutput();

class CDefaultLoggingHandler : public ILoggingHandler {
 public:
  explicit CDefaultLoggingHandler(std::shared_ptr<IDebugOutput> output = nullptr);
  void Log(uint32_t severity, const wchar_t* file, int line, const wchar_t* function,
           const wchar_t* message) noexcept override;

 private:
  std::shared_ptr<IDebugOutput> output_;
};

class CLogger {
 public:
  // defaultHandler: used while no handler is registered; null for a
  // CDefaultLoggingHandler on the debug output.
  explicit CLogger(std::shared_ptr<ILoggingHandler> defaultHandler = nullptr);

  // The process's logger of the support library.
  static CLogger& instance();

  // 0 when nothing (or the default handler) is registered, or `handler` is;
  // 87 for null; 5023 when another handler is registered. Handlers are not
  // owned: a registered handler must outlive its registration.
  uint32_t RegisterHandler(ILoggingHandler* handler);
  // 0 when `handler` was the registered one; 5023 otherwise.
  uint32_t UnregisterHandler(ILoggingHandler* handler);

  // Formats with the wide printf rules and hands the text to the current handler.
  void Log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line, const wchar_t* format,
           ...) noexcept;

 private:
  ILoggingHandler* current() const;
  bool noneRegistered() const { return registered_ == nullptr || registered_ == defaultHandler_.get(); }

  std::shared_ptr<ILoggingHandler> defaultHandler_;
  mutable Ledra::SrwMutex mutex_;
  ILoggingHandler* registered_ = nullptr;
};

}  // namespace Basalt
