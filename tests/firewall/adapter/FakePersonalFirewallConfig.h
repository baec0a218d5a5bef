// The firewall object: GetConfig answers a prepared VARIANT; Enable and
// Disable are counted.
#pragma once

#include "firewall/adapter/ScopedVariant.h"
#include "include/BxFWInterfaces.h"
#include "tests/firewall/adapter/FakeUnknown.h"

class FakePersonalFirewallConfig : public IBxPersonalFirewallConfig {
 public:
  FAKE_UNKNOWN(IBxPersonalFirewallConfig, &IID_IBxPersonalFirewallConfig);
  HRESULT STDMETHODCALLTYPE GetConfig(long id, VARIANT* value, long* resultCode) override {  // 3
    lastConfigId = id;
    *resultCode = result;
    return FAILED(hr) ? hr : ::VariantCopy(value, answer.AsInOut());
  }
  HRESULT STDMETHODCALLTYPE Enable(long* resultCode) override {  // 4
    ++enables;
    *resultCode = result;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Disable(long* resultCode) override {  // 5
    ++disables;
    *resultCode = result;
    return hr;
  }
  IDispatch* dispatchOrNull() { return nullptr; }

  Brenix::ScopedVariant answer;
  HRESULT hr = S_OK;
  long result = 0;
  long lastConfigId = -1;
  int enables = 0;
  int disables = 0;
};
