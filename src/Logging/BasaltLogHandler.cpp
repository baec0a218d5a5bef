#include "Logging/BasaltLogHandler.h"

#include <utility>

namespace ETWLogging {

CBasaltLogHandler::CBasaltLogHandler(std::shared_ptr<CLoggingIf> backend) noexcept
    : backend_(std::move(backend)) {}

uint32_t CBasaltLogHandler::mapSeverity(uint32_t basaltSeverity) noexcept {
  if (basaltSeverity <= Basalt::kBasaltInformation) return 1;
  if (basaltSeverity == Basalt::kBasaltError) return 4;
  return 2;
}

void CBasaltLogHandler::Log(uint32_t severity, const wchar_t* file, int line, const wchar_t* function,
                            const wchar_t* message) noexcept {
  const uint32_t mapped = mapSeverity(severity);
  // The text is already formatted: it goes to the back end as it is.
  if (backend_ && backend_->isEnabled(mapped)) backend_->log(mapped, file, function, line, message);
}

}  // namespace ETWLogging
