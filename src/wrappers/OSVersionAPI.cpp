#include "wrappers/OSVersionAPI.h"

#include <windows.h>

namespace Basalt {

namespace {

// Both are looked up at run time: IsWow64Process is missing on old systems,
// and RtlGetVersion reports the true version whatever the manifest says.
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

template <typename Fn>
Fn findExport(const wchar_t* module, const char* name) {
  HMODULE handle = ::GetModuleHandleW(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

}  // namespace

uint32_t platformFromVersion(bool readOk, uint32_t major, uint32_t minor, uint32_t platformId) {
  if (!readOk) return kPlatformUnknown;
  if (platformId == VER_PLATFORM_WIN32_WINDOWS) return kPlatformWin32;
  if (platformId != VER_PLATFORM_WIN32_NT) return kPlatformUnknown;
  if (major < 5 || (major == 5 && minor == 0)) return kPlatformWin32;
  return kPlatformX64;
}

bool WinOSVersionAPI::isWow64() {
  auto isWow64Process = findExport<IsWow64ProcessFn>(L"kernel32", "IsWow64Process");
  if (isWow64Process == nullptr) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(::GetCurrentProcess(), &wow64)) return false;
  return wow64 != FALSE;
}

uint32_t WinOSVersionAPI::getPlatform() {
  auto rtlGetVersion = findExport<RtlGetVersionFn>(L"ntdll", "RtlGetVersion");
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  const bool readOk = rtlGetVersion != nullptr && rtlGetVersion(&info) == 0;
  return platformFromVersion(readOk, info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId);
}

CachingOSVersionAPI::CachingOSVersionAPI(std::shared_ptr<OSVersionAPI> inner)
    : inner_(inner ? std::move(inner) : std::make_shared<WinOSVersionAPI>()) {}

bool CachingOSVersionAPI::isWow64() {
  std::call_once(wow64Once_, [this] { wow64_ = inner_->isWow64(); });
  return wow64_;
}

uint32_t CachingOSVersionAPI::getPlatform() {
  std::call_once(platformOnce_, [this] { platform_ = inner_->getPlatform(); });
  return platform_;
}

}  // namespace Basalt
