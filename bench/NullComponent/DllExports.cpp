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
#include "wrappers/CxxRuntimeRelease.h"

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

LSTATUS SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
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

// HKLM\Software\Classes\CLSID\{clsid}\InprocServer32 = this file, ThreadingModel Both.
STDAPI DllRegisterServer() {
  const std::wstring path = OwnPath();
  if (path.empty()) return SELFREG_E_CLASS;
  for (const Coclass& coclass : kCoclasses) {
    const std::wstring key = ClassKeyPath(*coclass.clsid);
    const std::wstring server = key + L"\\InprocServer32";
    if (SetText(key, nullptr, coclass.name) != ERROR_SUCCESS ||
        SetText(server, nullptr, path) != ERROR_SUCCESS ||
        SetText(server, L"ThreadingModel", L"Both") != ERROR_SUCCESS) {
      return SELFREG_E_CLASS;
    }
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
