// Chooses and creates the back end of the process-wide logger.
#pragma once

#include <cstdint>
#include <memory>

#include "Logging/EtwConfig.h"
#include "Logging/LoggingIf.h"

namespace ETWLogging {

class CDefaultLogBuilder {
 public:
  enum class Backend { File, Etw };

  // registryKey: the HKLM key holding "Logging Mechanism".
  explicit CDefaultLogBuilder(const wchar_t* registryKey = kLoggingKey) noexcept
      : registryKey_(registryKey) {}

  // Mechanism 1 is the file back end; otherwise "Logging Mechanism" decides:
  // 1 is the file back end, anything else (or no key) ETW.
  Backend choose(uint32_t mechanism) const noexcept;

  // The chosen back end, initialised from the identity; null when it cannot be
  // created or refuses the identity.
  std::shared_ptr<CLoggingIf> build(const LoggingIdentity& identity) const noexcept;

 private:
  const wchar_t* registryKey_;
};

}  // namespace ETWLogging
