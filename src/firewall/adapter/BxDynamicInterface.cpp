#include "firewall/adapter/BxDynamicInterface.h"

#include <cwchar>
#include <new>

#include "firewall/adapter/PropertyNames.h"

namespace Brenix {

BxDynamicInterface::~BxDynamicInterface() {
  // Every stored VARIANT is cleared with its owner.
  properties_.clear();
}

HRESULT STDMETHODCALLTYPE BxDynamicInterface::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

// The stack form is owned by its scope, not by references.
ULONG STDMETHODCALLTYPE BxDynamicInterface::AddRef() { return 1; }

ULONG STDMETHODCALLTYPE BxDynamicInterface::Release() { return 1; }

HRESULT STDMETHODCALLTYPE BxDynamicInterface::GetTypeInfoCount(UINT* count) {
  if (count) *count = 1;
  return S_OK;
}

// There is no type library behind the bag; callers get no type information.
HRESULT STDMETHODCALLTYPE BxDynamicInterface::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BxDynamicInterface::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                            DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return kBagUnknownInterface;
  if (!names || count == 0 || !names[0]) return kBagUnknownName;
  if (!ids) return E_POINTER;
  // Only the first name is looked up; named arguments do not exist here.
  for (size_t index = 0; index < kPropertyNameCount; ++index) {
    if (std::wcscmp(names[0], propertyName(index)) == 0) {
      ids[0] = static_cast<DISPID>(index);
      return S_OK;
    }
  }
  return kBagUnknownName;
}

HRESULT STDMETHODCALLTYPE BxDynamicInterface::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) {
  if (!IsEqualIID(riid, IID_NULL)) return kBagUnknownInterface;
  const wchar_t* name = propertyName(static_cast<size_t>(static_cast<ULONG>(id)));
  if (!name) return kBagMemberNotFound;
  switch (flags) {
    case DISPATCH_PROPERTYGET:
      return getProperty(name, result);
    case DISPATCH_PROPERTYPUT:
      return putProperty(name, params);
    default:
      return kBagMemberNotFound;
  }
}

HRESULT BxDynamicInterface::getProperty(const wchar_t* name, VARIANT* result) const {
  if (!result) return E_INVALIDARG;
  auto found = properties_.find(name);
  if (found == properties_.end()) return kBagPropertyEmpty;
  return found->second.copyTo(result);
}

HRESULT BxDynamicInterface::putProperty(const wchar_t* name, const DISPPARAMS* params) {
  if (!params || params->cArgs == 0 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
  try {
    Ledra::ScopedVariant& stored = properties_[name];
    stored.reset();
    return stored.copyFrom(params->rgvarg[0]);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace Brenix
