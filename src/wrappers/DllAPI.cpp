#include "wrappers/DllAPI.h"

#include "Logging/Log.h"
#include "dll/TrustCheck.h"

namespace Ledra {

namespace {

constexpr wchar_t kLogFile[] = L"DllAPI";
constexpr wchar_t kLoadLibraryFailed[] = L"LoadLibrary Failed. GLE: %lu";

}  // namespace

bool DllAPI::loadLibrary(const std::wstring& path, HMODULE* out) {
  HMODULE module = nullptr;
  if (out == nullptr) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
  } else if (const uint32_t trust = checkTrustedSignature(path); trust != 0) {
    ::SetLastError(trust);  // refused: nothing is loaded
  } else {
    module = ::LoadLibraryExW(path.c_str(), nullptr, 0);
  }
  if (module == nullptr) {
    const DWORD error = ::GetLastError();
    LEDRA_LOG(logging::Error, L"Ledra::DllAPI::loadLibrary", __LINE__, kLoadLibraryFailed, error);
    if (out != nullptr) *out = nullptr;
    ::SetLastError(error);
    return false;
  }
  *out = module;
  return true;
}

FARPROC DllAPI::getProcAddress(HMODULE module, const char* name) { return ::GetProcAddress(module, name); }

bool DllAPI::isTrusted(const std::wstring& path) { return !path.empty() && checkTrustedSignature(path) == 0; }

bool DllAPI::freeLibrary(HMODULE module) { return ::FreeLibrary(module) != FALSE; }

bool DllAPI::getModuleHandleEx(DWORD flags, const wchar_t* name, HMODULE* out) {
  return ::GetModuleHandleExW(flags, name, out) != FALSE;
}

}  // namespace Ledra
