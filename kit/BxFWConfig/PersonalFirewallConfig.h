// Coclass BxPersonalFirewallConfig: the firewall's configurations by id and
// its on/off switch.
#pragma once

#include <windows.h>

#include <atomic>

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/ServerModule.h"

namespace BxKit {

class PersonalFirewallConfig : public IBxPersonalFirewallConfig {
 public:
  static HRESULT Create(REFIID riid, void** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IBxPersonalFirewallConfig
  HRESULT STDMETHODCALLTYPE GetConfig(long id, VARIANT* value, long* result) override;  // 3
  HRESULT STDMETHODCALLTYPE Enable(long* result) override;                              // 4
  HRESULT STDMETHODCALLTYPE Disable(long* result) override;                             // 5

 private:
  PersonalFirewallConfig() = default;
  virtual ~PersonalFirewallConfig() = default;
  HRESULT Switch(const wchar_t* operation, bool on, long* result);

  std::atomic<ULONG> references_{1};
  ServerObjectCount count_;
};

}  // namespace BxKit
