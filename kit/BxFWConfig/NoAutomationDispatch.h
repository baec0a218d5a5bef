// IDispatch for objects that travel as IDispatch only to be queried for their
// real interface (configurations, the rule collection): no type information,
// no names, no members. IUnknown is left to the object.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace BxKit {

class NoAutomationDispatch : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  NoAutomationDispatch() = default;
  virtual ~NoAutomationDispatch() = default;
};

}  // namespace BxKit
