// Where COM finds the firewall configuration component's three coclasses:
// HKLM\Software\Classes\CLSID\{clsid} with the class's name, and under it
// InprocServer32 naming the serving file, threading model Both. Shared by the
// kit's component and the bench's null component, which registers in its place.
#pragma once

#include <windows.h>
#include <olectl.h>

#include <string>

#include "include/BxFWInterfaces.h"

namespace BxKit {

struct Coclass {
  const CLSID* clsid;
  const wchar_t* name;
};

constexpr Coclass kCoclasses[] = {
    {&CLSID_BxFWSettings, L"BxFWSettings"},
    {&CLSID_BxPersonalFirewallConfig, L"BxPersonalFirewallConfig"},
    {&CLSID_BxHubHelper, L"BxHubHelper"},
};

inline std::wstring classKeyPath(const CLSID& clsid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(clsid, text, 40);
  return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

// DllRegisterServer's work for the server file at `serverPath`.
inline HRESULT registerCoclasses(const std::wstring& serverPath) {
  const auto setText = [](const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  };
  for (const Coclass& coclass : kCoclasses) {
    const std::wstring key = classKeyPath(*coclass.clsid);
    const std::wstring server = key + L"\\InprocServer32";
    if (setText(key, nullptr, coclass.name) != ERROR_SUCCESS ||
        setText(server, nullptr, serverPath) != ERROR_SUCCESS ||
        setText(server, L"ThreadingModel", L"Both") != ERROR_SUCCESS) {
      return SELFREG_E_CLASS;
    }
  }
  return S_OK;
}

// DllUnregisterServer's work: a class that is not registered is no failure.
inline HRESULT unregisterCoclasses() {
  HRESULT hr = S_OK;
  for (const Coclass& coclass : kCoclasses) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, classKeyPath(*coclass.clsid).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) hr = SELFREG_E_CLASS;
  }
  return hr;
}

}  // namespace BxKit
