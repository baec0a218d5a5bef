#include "kit/BxFWConfig/PersonalFirewallConfig.h"

#include <oleauto.h>

#include <memory>
#include <new>
#include <utility>

#include "kit/BxFWConfig/ConfigViews.h"
#include "kit/BxFWConfig/Faults.h"
#include "kit/BxFWConfig/IpRuleCollection.h"
#include "kit/BxFWConfig/ModelStore.h"
#include "kit/BxFWConfig/ResultCodes.h"
#include "wrappers/ScopedVariant.h"

namespace BxKit {

HRESULT PersonalFirewallConfig::Create(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  PersonalFirewallConfig* object = new (std::nothrow) PersonalFirewallConfig();
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE PersonalFirewallConfig::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IBxPersonalFirewallConfig))
    return E_NOINTERFACE;
  *out = static_cast<IBxPersonalFirewallConfig*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE PersonalFirewallConfig::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE PersonalFirewallConfig::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// Slot 3: a VT_DISPATCH snapshot of configuration 114, 100 or 103 (ConfigViews.h).
HRESULT STDMETHODCALLTYPE PersonalFirewallConfig::GetConfig(long id, VARIANT* value, long* result) {
  if (value == nullptr || result == nullptr) return E_POINTER;
  *result = kResultOk;
  if (const std::optional<Fault> fault = FaultFor(L"GetConfig")) {
    *result = fault->result;
    return fault->hr;
  }
  FirewallModel model;
  *result = LoadModel(model);
  if (*result != kResultOk) return S_OK;
  IDispatch* config = nullptr;
  HRESULT hr = S_OK;
  switch (id) {
    case kBxConfigFirewall:
      hr = MakeFirewallConfig(model, &config);
      break;
    case kBxConfigHips:
      hr = MakeHipsConfig(model, &config);
      break;
    case kBxConfigIpRules:
      hr = IpRuleCollection::Create(std::make_shared<const std::vector<IpRule>>(model.ipRules), &config);
      break;
    default:
      *result = kResultNotFound;
      return S_OK;
  }
  if (FAILED(hr)) {
    *result = kResultInternal;
    return hr;
  }
  Ledra::ScopedVariant answer;
  answer.setDispatch(NullOutput(L"GetConfig") ? nullptr : config);
  config->Release();  // the answer holds its own reference
  SpoilType(L"GetConfig", *answer.asInOut());
  Ledra::fillInOut(value, std::move(answer));
  return S_OK;
}

// Slot 4
HRESULT STDMETHODCALLTYPE PersonalFirewallConfig::Enable(long* result) {
  return Switch(L"Enable", true, result);
}

// Slot 5
HRESULT STDMETHODCALLTYPE PersonalFirewallConfig::Disable(long* result) {
  return Switch(L"Disable", false, result);
}

HRESULT PersonalFirewallConfig::Switch(const wchar_t* operation, bool on, long* result) {
  if (result == nullptr) return E_POINTER;
  if (const std::optional<Fault> fault = FaultFor(operation)) {
    *result = fault->result;
    return fault->hr;
  }
  *result = UpdateModel([on](FirewallModel& model) {
    model.firewallOn = on;
    model.reenableMinutes = -1;
    return kResultOk;
  });
  return S_OK;
}

}  // namespace BxKit
