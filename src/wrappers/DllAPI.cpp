#include "wrappers/DllAPI.h"

#include "Logging/Log.h"
#include "wrappers/HeldFile.h"
#include "wrappers/ImageTrust.h"
#include "wrappers/TrustCheck.h"

namespace Ledra {

namespace {

constexpr wchar_t kLogFile[] = L"DllAPI";
constexpr wchar_t kLoadLibraryFailed[] = L"LoadLibrary Failed. GLE: %lu";
constexpr wchar_t kNotAbsolute[] = L"Refused to load %ls: not an absolute path.";

}  // namespace

bool DllAPI::loadLibrary(const std::wstring& path, HMODULE* out) {
  HMODULE module = nullptr;
  if (out == nullptr) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
  } else {
    // A relative path would be resolved through the search order: another file than the one checked.
    if (!path.empty() && !isAbsolutePath(path)) {
      LEDRA_LOG(logging::Error, L"Ledra::DllAPI::loadLibrary", __LINE__, kNotAbsolute, path.c_str());
    }
    module = ImageTrust::process().loadLibrary(path);  // the trust check's code when it refused
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
