// The four exports of the in-process server.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/BusPublisher.h"
#include "kit/BxFWConfig/ClassFactory.h"
#include "kit/BxFWConfig/ServerModule.h"
#include "wrappers/CxxRuntimeRelease.h"
#include "wrappers/ScopedHandle.h"

namespace {

struct Coclass {
  const CLSID* clsid;
  const wchar_t* name;
};

constexpr Coclass kCoclasses[] = {
    {&CLSID_BxFWSettings, L"BxFWSettings"},
    {&CLSID_BxPersonalFirewallConfig, L"BxPersonalFirewallConfig"},
    {&CLSID_BxHubHelper, L"BxHubHelper"},
};

std::wstring ClassKeyPath(const CLSID& clsid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(clsid, text, 40);
  return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

HRESULT RegisterClass(const Coclass& coclass, const std::wstring& serverPath) {
  Ledra::ScopedRegKey classKey;
  LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, ClassKeyPath(*coclass.clsid).c_str(), 0, nullptr, 0,
                                     KEY_WRITE, nullptr, classKey.receive(), nullptr);
  if (status == ERROR_SUCCESS) status = SetText(classKey.get(), nullptr, coclass.name);
  Ledra::ScopedRegKey serverKey;
  if (status == ERROR_SUCCESS) {
    status = ::RegCreateKeyExW(classKey.get(), L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                               serverKey.receive(), nullptr);
  }
  if (status == ERROR_SUCCESS) status = SetText(serverKey.get(), nullptr, serverPath);
  if (status == ERROR_SUCCESS) status = SetText(serverKey.get(), L"ThreadingModel", L"Both");
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
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
  for (const Coclass& coclass : kCoclasses) {
    const HRESULT hr = RegisterClass(coclass, path);
    if (FAILED(hr)) return SELFREG_E_CLASS;
  }
  return S_OK;
}

STDAPI DllUnregisterServer() {
  HRESULT hr = S_OK;
  for (const Coclass& coclass : kCoclasses) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKeyPath(*coclass.clsid).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) hr = SELFREG_E_CLASS;
  }
  return hr;
}
