// The IP-rule collection: GetEnumerator answers a prepared object.
#pragma once

#include "include/BxFWInterfaces.h"
#include "tests/firewall/adapter/FakeUnknown.h"

class FakeConfigCollection : public IBxFWConfigCollection, public IDispatch {
 public:
  FAKE_UNKNOWN(IBxFWConfigCollection, &IID_IBxFWConfigCollection);
  HRESULT STDMETHODCALLTYPE GetEnumerator(IUnknown** out) override {  // 3
    *out = FAILED(hr) ? nullptr : enumerator;
    if (*out) (*out)->AddRef();
    return hr;
  }
  FAKE_DISPATCH_STUBS

  IUnknown* enumerator = nullptr;
  HRESULT hr = S_OK;
};
