#include "kit/BxFWConfig/IpRuleCollection.h"

#include <new>

#include "kit/BxFWConfig/Faults.h"
#include "kit/BxFWConfig/IpRuleEnumerator.h"

namespace BxKit {

HRESULT IpRuleCollection::Create(RuleSnapshot rules, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = new (std::nothrow) IpRuleCollection(std::move(rules));
  return *out ? S_OK : E_OUTOFMEMORY;
}

IpRuleCollection::IpRuleCollection(RuleSnapshot rules) : rules_(std::move(rules)) {}

HRESULT STDMETHODCALLTYPE IpRuleCollection::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *out = static_cast<IDispatch*>(this);
  } else if (IsEqualIID(riid, IID_IBxFWConfigCollection)) {
    *out = static_cast<IBxFWConfigCollection*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE IpRuleCollection::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE IpRuleCollection::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// Slot 3: an IEnumVARIANT standing at the first rule, answered as IUnknown.
HRESULT STDMETHODCALLTYPE IpRuleCollection::GetEnumerator(IUnknown** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  *enumerator = nullptr;
  if (const std::optional<HRESULT> fault = FaultHResultFor(L"GetEnumerator")) return *fault;
  if (NullOutput(L"GetEnumerator")) return S_OK;
  IEnumVARIANT* created = nullptr;
  const HRESULT hr = IpRuleEnumerator::Create(rules_, 0, &created);
  *enumerator = created;
  return hr;
}

}  // namespace BxKit
