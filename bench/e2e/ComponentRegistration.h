// Which firewall configuration component COM finds: the server DLL whose
// DllRegisterServer ran last. The kit's registration is put back when the
// guard goes, so that whatever runs after the benchmark finds the kit's.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace Bench {

// Loads the DLL, runs its DllRegisterServer and unloads it again.
HRESULT registerServer(const std::wstring& dllPath);

class KitRegistrationGuard {
 public:
  explicit KitRegistrationGuard(std::wstring kitPath) : kitPath_(std::move(kitPath)) {}
  ~KitRegistrationGuard() { restore(); }
  KitRegistrationGuard(const KitRegistrationGuard&) = delete;
  KitRegistrationGuard& operator=(const KitRegistrationGuard&) = delete;

  HRESULT restore() { return registerServer(kitPath_); }

 private:
  std::wstring kitPath_;
};

}  // namespace Bench
