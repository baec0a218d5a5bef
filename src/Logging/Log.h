// The process-wide logger as call sites see it: a cheap check whether a
// severity is written, and the write of one line. Logging never throws.
//
// A source file declares its fixed file tag once and logs through LEDRA_LOG:
//   constexpr wchar_t kLogFile[] = L"TarnModuleImpl";
//   LEDRA_LOG(Ledra::logging::Error, L"Ledra::TarnModuleImpl::start", 134, kErrorGettingSettings);
#pragma once

#include <windows.h>

#include <cstdint>

namespace Ledra {
namespace logging {

// Severities as every call site of the system uses them.
constexpr uint32_t Normal = 1;
constexpr uint32_t Warning = 2;
constexpr uint32_t Information = 3;
constexpr uint32_t Error = 4;
constexpr uint32_t Critical = 5;
constexpr uint32_t Information6 = 6;

// Creates the logger on first use; false when there is none or the back end
// does not write this severity.
bool isEnabled(uint32_t severity) noexcept;

// Formats with the wide-character printf rules of the C runtime (%s is a wide
// text, %hs a narrow one) and hands the line to the back end.
void log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line, const wchar_t* format,
         ...) noexcept;

// The identity the logger is created from. Has no effect once the logger exists.
//   value: handed only to the extended initialisation of the ETW back end
//   group: null keeps the current group ("_no_group" at first)
//   host: null means none (file names then carry no host part)
//   module: null means the module that contains this code
//   mechanism: 1 asks for the file back end, anything else lets the configuration decide
void setLoggingIdentity(uint64_t value, const wchar_t* group, HMODULE module, const wchar_t* host,
                        uint32_t mechanism) noexcept;

}  // namespace logging
}  // namespace Ledra

#define LEDRA_LOG(severity, function, line, ...)                                          \
  do {                                                                                    \
    if (::Ledra::logging::isEnabled(severity)) {                                          \
      ::Ledra::logging::log((severity), kLogFile, (function), (line), __VA_ARGS__);       \
    }                                                                                     \
  } while (0)
