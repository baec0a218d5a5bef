// The four exports of the in-process server.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/BusPublisher.h"
#include "kit/BxFWConfig/ClassFactory.h"
#include "kit/BxFWConfig/ClassRegistration.h"
#include "kit/BxFWConfig/ServerModule.h"
#include "wrappers/CxxRuntimeRelease.h"

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
  return BxKit::ClassFactory::Get(rclsid, riid, ppv);
}

// Yes only when no object lives and no lock is held; the bus handle goes then.
STDAPI DllCanUnloadNow() {
  if (!BxKit::ServerIsIdle()) return S_FALSE;
  BxKit::ReleaseBus();
  return S_OK;
}

STDAPI DllRegisterServer() {
  const std::wstring path = BxKit::ServerModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(::GetLastError());
  return BxKit::registerCoclasses(path);
}

STDAPI DllUnregisterServer() { return BxKit::unregisterCoclasses(); }
