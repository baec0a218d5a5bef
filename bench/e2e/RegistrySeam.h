// One value under HKEY_LOCAL_MACHINE changed for the benchmark's run and put
// back as it was (its type and bytes, or its absence) when the seam goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wrappers/ScopedHandle.h"

namespace Bench {

class RegistrySeam {
 public:
  RegistrySeam(const wchar_t* keyPath, const wchar_t* valueName);
  ~RegistrySeam();
  RegistrySeam(const RegistrySeam&) = delete;
  RegistrySeam& operator=(const RegistrySeam&) = delete;

  bool setText(const std::wstring& text);
  bool remove();
  // Puts the value back now; the seam then changes nothing more.
  void restore();

 private:
  Ledra::ScopedRegKey key_;
  std::wstring name_;
  bool had_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> bytes_;
};

}  // namespace Bench
