#include "bench/NullComponent/NullConfig.h"

#include <oleauto.h>

#include <utility>

#include "wrappers/ScopedVariant.h"

namespace NullComponent {

// IDispatch slot 3
HRESULT STDMETHODCALLTYPE NullConfig::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

// IDispatch slot 4
HRESULT STDMETHODCALLTYPE NullConfig::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

// IDispatch slot 5
HRESULT STDMETHODCALLTYPE NullConfig::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

// IDispatch slot 6
HRESULT STDMETHODCALLTYPE NullConfig::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                             UINT*) {
  return E_NOTIMPL;
}

// IBxConfig slot 3: the firewall or HIPS is on.
HRESULT STDMETHODCALLTYPE NullConfig::GetProperty(long id, VARIANT* value, long* result) {
  if (value == nullptr || result == nullptr) return E_POINTER;
  if (id != valueId_) return E_NOTIMPL;
  Ledra::ScopedVariant on;
  on.setBool(true);
  Ledra::fillInOut(value, std::move(on));
  *result = 0;
  return S_OK;
}

// IBxConfig slot 4
HRESULT STDMETHODCALLTYPE NullConfig::SetProperty(long, VARIANT, long*) { return E_NOTIMPL; }

// IBxConfig slot 5
HRESULT STDMETHODCALLTYPE NullConfig::ApplyProperties(long*) { return E_NOTIMPL; }

}  // namespace NullComponent
