// An enumerator over nothing that counts its Reset calls.
#pragma once

#include "tests/firewall/adapter/FakeUnknown.h"

class FakeEnumVariant : public IEnumVARIANT {
 public:
  FAKE_UNKNOWN(IEnumVARIANT, &IID_IEnumVARIANT);
  HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT*, ULONG*) override { return S_FALSE; }  // 3
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_FALSE; }                    // 4
  HRESULT STDMETHODCALLTYPE Reset() override {                                          // 5
    ++resets;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }  // 6
  IDispatch* dispatchOrNull() { return nullptr; }

  int resets = 0;
};
