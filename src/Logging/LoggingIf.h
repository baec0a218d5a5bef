// The interfaces of the logging back ends and the identity they start from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ETWLogging {

// Windows error codes the back ends answer with besides their file and
// registry errors.
constexpr uint32_t kErrorAlreadyInitialized = 20001;
constexpr uint32_t kErrorInvalidParameter = ERROR_INVALID_PARAMETER;  // 87

// A logging back end. Every operation is safe to call from any thread.
class CLoggingIf {
 public:
  virtual ~CLoggingIf() = default;

  // group, host: null for none, but never empty. module: null for the process image.
  // 0, 87 for an empty text, 20001 when called twice, or another Windows error.
  virtual uint32_t initialize(const wchar_t* group, HMODULE module, const wchar_t* host) noexcept = 0;

  virtual bool isEnabled(uint32_t severity) const noexcept = 0;

  // Writes one already formatted message. 0 or a Windows error code.
  virtual uint32_t log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line,
                       const wchar_t* message) noexcept = 0;
};

// The extended interface: initialisation also takes the identity's 8-byte value.
class CLoggingIf_ex : public CLoggingIf {
 public:
  virtual uint32_t initializeEx(uint64_t value, const wchar_t* group, HMODULE module,
                                const wchar_t* host) noexcept = 0;
};

// What the process-wide logger is created from.
struct LoggingIdentity {
  uint64_t value = 0;
  std::wstring group = L"_no_group";
  HMODULE module = nullptr;
  std::wstring host = L"_no_host";
  uint32_t mechanism = 0;
};

}  // namespace ETWLogging
