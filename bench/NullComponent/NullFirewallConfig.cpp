#include "bench/NullComponent/NullFirewallConfig.h"

#include <oleauto.h>

#include <utility>

#include "bench/NullComponent/NullConfig.h"
#include "wrappers/ScopedVariant.h"

namespace NullComponent {

// Slot 3: configuration 114 (value 0, firewall enabled) or 100 (value 9, HIPS
// enabled) as VT_DISPATCH; the IP rules and anything else are not served.
HRESULT STDMETHODCALLTYPE NullFirewallConfig::GetConfig(long id, VARIANT* value, long* result) {
  if (value == nullptr || result == nullptr) return E_POINTER;
  long valueId = 0;
  if (id == kBxConfigFirewall) {
    valueId = kBxConfigFirewallEnabled;
  } else if (id == kBxConfigHips) {
    valueId = kBxConfigHipsEnabled;
  } else {
    return E_NOTIMPL;
  }
  IDispatch* config = nullptr;
  const HRESULT hr = CreateAs<NullConfig>(IID_IDispatch, reinterpret_cast<void**>(&config), valueId);
  if (FAILED(hr)) return hr;
  Ledra::ScopedVariant answer;
  answer.setDispatch(config);
  config->Release();  // the answer holds its own reference
  Ledra::fillInOut(value, std::move(answer));
  *result = 0;
  return S_OK;
}

// Slot 4
HRESULT STDMETHODCALLTYPE NullFirewallConfig::Enable(long*) { return E_NOTIMPL; }

// Slot 5
HRESULT STDMETHODCALLTYPE NullFirewallConfig::Disable(long*) { return E_NOTIMPL; }

}  // namespace NullComponent
