// The null component: an in-process COM server that registers the coclasses
// of the firewall configuration component and answers the calls that the
// benchmarked requests make at once, with no state, no file and no bus, so
// that a benchmark of the module measures the module.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "bench/NullComponent/ClassFactory.h"
#include "bench/NullComponent/NullObject.h"
#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/ClassRegistration.h"
#include "wrappers/CxxRuntimeRelease.h"

namespace {

// This DLL's own file; empty when it cannot be had.
std::wstring OwnPath() {
  HMODULE self = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&OwnPath), &self)) {
    return std::wstring();
  }
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    Ledra::noteThreadLibraryTlsIndex();
    ::DisableThreadLibraryCalls(instance);
  }
  // COM unloads an idle server and loads it again when asked: give the runtime's pool back each time.
  if (reason == DLL_PROCESS_DETACH) Ledra::releaseCxxRuntimePools();
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return NullComponent::ClassFactory::Get(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return NullComponent::g_liveObjects.load() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  const std::wstring path = OwnPath();
  if (path.empty()) return SELFREG_E_CLASS;
  return BxKit::registerCoclasses(path);
}

STDAPI DllUnregisterServer() { return BxKit::unregisterCoclasses(); }
