// A registry key of the test program's own under HKLM\SOFTWARE\Brenix\TarnTest,
// empty when made and removed when it goes.
#pragma once

#include <windows.h>

#include <string>

namespace tarn_test {

class ScratchKey {
 public:
  explicit ScratchKey(const std::wstring& name)
      : path_(L"SOFTWARE\\Brenix\\TarnTest\\" + name + L"_" + std::to_wstring(::GetCurrentProcessId())) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path_.c_str());
  }
  ~ScratchKey() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path_.c_str()); }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  const wchar_t* path() const { return path_.c_str(); }
  // Sets a value, making the key when missing.
  void set(const wchar_t* name, DWORD type, const void* data, size_t bytes) const {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, path_.c_str(), name, type, data, static_cast<DWORD>(bytes));
  }
  void setDword(const wchar_t* name, DWORD value) const { set(name, REG_DWORD, &value, sizeof(value)); }
  void setText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) const {
    set(name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }

 private:
  std::wstring path_;
};

}  // namespace tarn_test
