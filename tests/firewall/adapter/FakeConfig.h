// A configuration object or IP rule: every GetProperty answers one prepared value.
#pragma once

#include "firewall/adapter/ScopedVariant.h"
#include "include/BxFWInterfaces.h"
#include "tests/firewall/adapter/FakeUnknown.h"

class FakeConfig : public IBxConfig, public IDispatch {
 public:
  FAKE_UNKNOWN(IBxConfig, &IID_IBxConfig);
  HRESULT STDMETHODCALLTYPE GetProperty(long id, VARIANT* out, long* resultCode) override {  // 3
    lastId = id;
    *resultCode = result;
    return FAILED(hr) ? hr : ::VariantCopy(out, value.AsInOut());
  }
  HRESULT STDMETHODCALLTYPE SetProperty(long, VARIANT, long*) override { return E_NOTIMPL; }  // 4
  HRESULT STDMETHODCALLTYPE ApplyProperties(long*) override { return E_NOTIMPL; }             // 5
  FAKE_DISPATCH_STUBS

  Brenix::ScopedVariant value;
  HRESULT hr = S_OK;
  long result = 0;
  long lastId = -1;
};
