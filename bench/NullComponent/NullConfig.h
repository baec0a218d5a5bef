// One configuration of GetConfig (firewall or HIPS) holding one value, "on".
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "bench/NullComponent/NullObject.h"
#include "include/BxFWInterfaces.h"

namespace NullComponent {

// Travels as IDispatch only to be queried for IBxConfig: no automation.
class NullConfig : public NullObject<IDispatch, IBxConfig> {
 public:
  // valueId: the one value it answers (VT_BOOL VARIANT_TRUE).
  explicit NullConfig(long valueId) : valueId_(valueId) {}

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;                          // 3
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;              // 4
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;  // 5
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;  // 6
  // IBxConfig
  HRESULT STDMETHODCALLTYPE GetProperty(long id, VARIANT* value, long* result) override;  // 3
  HRESULT STDMETHODCALLTYPE SetProperty(long id, VARIANT value, long* result) override;   // 4
  HRESULT STDMETHODCALLTYPE ApplyProperties(long* result) override;                       // 5

 private:
  const long valueId_;
};

}  // namespace NullComponent
