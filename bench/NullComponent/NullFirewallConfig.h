// Coclass BxPersonalFirewallConfig: hands out the firewall and HIPS
// configurations, both on; it switches nothing.
#pragma once

#include <windows.h>

#include "bench/NullComponent/NullObject.h"
#include "include/BxFWInterfaces.h"

namespace NullComponent {

class NullFirewallConfig : public NullObject<IBxPersonalFirewallConfig> {
 public:
  HRESULT STDMETHODCALLTYPE GetConfig(long id, VARIANT* value, long* result) override;  // 3
  HRESULT STDMETHODCALLTYPE Enable(long* result) override;                              // 4
  HRESULT STDMETHODCALLTYPE Disable(long* result) override;                             // 5
};

}  // namespace NullComponent
