// Provisional: writes nothing until the logger and its back ends land.
#include "Logging/Log.h"

namespace Ledra {
namespace logging {

bool isEnabled(uint32_t) noexcept { return false; }
void log(uint32_t, const wchar_t*, const wchar_t*, int, const wchar_t*, ...) noexcept {}
void setLoggingIdentity(uint64_t, const wchar_t*, HMODULE, const wchar_t*, uint32_t) noexcept {}

}  // namespace logging
}  // namespace Ledra
