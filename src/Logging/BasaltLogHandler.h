// Bridges the support library's logger into the module's logging back end.
#pragma once

#include <memory>

#include "Logging/BasaltLogger.h"
#include "Logging/LoggingIf.h"

namespace ETWLogging {

class CBasaltLogHandler : public Basalt::ILoggingHandler {
 public:
  explicit CBasaltLogHandler(std::shared_ptr<CLoggingIf> backend) noexcept;

  // Support-library 0 and 1 become 1 (Normal), 2 becomes 4 (Error), anything else 2 (Warning).
  static uint32_t mapSeverity(uint32_t basaltSeverity) noexcept;

  void Log(uint32_t severity, const wchar_t* file, int line, const wchar_t* function,
           const wchar_t* message) noexcept override;

 private:
  std::shared_ptr<CLoggingIf> backend_;
};

}  // namespace ETWLogging
