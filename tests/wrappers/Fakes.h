// Small doubles of the system wrappers for the path tests.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "wrappers/OSVersionAPI.h"
#include "wrappers/RegistryAPI.h"
#include "wrappers/ShlObjAPI.h"

namespace tarn_test {

// Answers every known folder with a path that names the folder's identifier.
class FakeShlObj : public Ledra::ShlObjAPI {
 public:
  static std::wstring pathFor(REFKNOWNFOLDERID id) {
    wchar_t text[64] = {};
    ::StringFromGUID2(id, text, 64);
    return std::wstring(L"K:\\") + text;
  }
  HRESULT getKnownFolderPath(REFKNOWNFOLDERID id, DWORD, HANDLE, PWSTR* path) override {
    ++calls;
    if (fail) {
      *path = nullptr;
      return E_FAIL;
    }
    const std::wstring value = pathFor(id);
    *path = static_cast<PWSTR>(::CoTaskMemAlloc((value.size() + 1) * sizeof(wchar_t)));
    value.copy(*path, value.size());
    (*path)[value.size()] = L'\0';
    return S_OK;
  }
  bool fail = false;
  int calls = 0;
};

class FakeOSVersion : public Basalt::OSVersionAPI {
 public:
  bool isWow64() override {
    ++wow64Calls;
    return wow64;
  }
  uint32_t getPlatform() override {
    ++platformCalls;
    return platform;
  }
  bool wow64 = false;
  uint32_t platform = Basalt::kPlatformX64;
  int wow64Calls = 0;
  int platformCalls = 0;
};

// Values by "key|name"; records every read.
class FakeRegistry : public Ledra::RegistryAPI {
 public:
  bool readString(const std::wstring& keyPath, const std::wstring& valueName, std::wstring& out) override {
    reads.push_back(keyPath + L"|" + valueName);
    const auto found = strings.find(keyPath + L"|" + valueName);
    if (found == strings.end()) return false;
    out = found->second;
    return true;
  }
  std::map<std::wstring, std::wstring> strings;
  std::vector<std::wstring> reads;
};

}  // namespace tarn_test
