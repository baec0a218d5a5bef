#include "bench/NullComponent/ClassFactory.h"

#include "bench/NullComponent/NullFirewallConfig.h"
#include "bench/NullComponent/NullSettings.h"

namespace NullComponent {

HRESULT ClassFactory::Get(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  CreateFunction create = nullptr;
  if (IsEqualCLSID(clsid, CLSID_BxFWSettings)) {
    create = &CreateAs<NullSettings>;
  } else if (IsEqualCLSID(clsid, CLSID_BxPersonalFirewallConfig)) {
    create = &CreateAs<NullFirewallConfig>;
  } else if (!IsEqualCLSID(clsid, CLSID_BxHubHelper)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return CreateAs<ClassFactory>(riid, out, create);
}

// Slot 3 of both factory interfaces.
HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return create_ != nullptr ? create_(riid, object) : E_NOTIMPL;
}

}  // namespace NullComponent
