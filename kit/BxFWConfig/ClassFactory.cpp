#include "kit/BxFWConfig/ClassFactory.h"

#include <new>

#include "kit/BxFWConfig/FWSettings.h"
#include "kit/BxFWConfig/Faults.h"
#include "kit/BxFWConfig/HubHelper.h"
#include "kit/BxFWConfig/PersonalFirewallConfig.h"

namespace BxKit {

HRESULT ClassFactory::Get(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  CreateFunction create = nullptr;
  if (IsEqualCLSID(clsid, CLSID_BxFWSettings)) {
    create = &FWSettings::Create;
  } else if (IsEqualCLSID(clsid, CLSID_BxPersonalFirewallConfig)) {
    create = &PersonalFirewallConfig::Create;
  } else if (IsEqualCLSID(clsid, CLSID_BxHubHelper)) {
    create = &HubHelper::Create;
  } else {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  ClassFactory* factory = new (std::nothrow) ClassFactory(create);
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE ClassFactory::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBxClassFactory)) {
    *out = static_cast<IBxClassFactory*>(this);
  } else if (IsEqualIID(riid, IID_IBxClassFactory2)) {
    *out = static_cast<IBxClassFactory2*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE ClassFactory::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE ClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// Slot 3 of both factory interfaces.
HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (const std::optional<HRESULT> fault = FaultHResultFor(L"CreateInstance")) return *fault;
  if (NullOutput(L"CreateInstance")) return S_OK;  // no object, yet success
  return create_(riid, object);
}

}  // namespace BxKit
