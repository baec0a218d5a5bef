#include "kit/BxFWConfig/IpRuleEnumerator.h"

#include <oleauto.h>

#include <new>

#include "kit/BxFWConfig/ConfigViews.h"
#include "kit/BxFWConfig/Faults.h"
#include "wrappers/ScopedVariant.h"

namespace BxKit {

HRESULT IpRuleEnumerator::Create(RuleSnapshot rules, size_t position, IEnumVARIANT** out) {
  if (out == nullptr) return E_POINTER;
  *out = new (std::nothrow) IpRuleEnumerator(std::move(rules), position);
  return *out ? S_OK : E_OUTOFMEMORY;
}

IpRuleEnumerator::IpRuleEnumerator(RuleSnapshot rules, size_t position)
    : rules_(std::move(rules)), position_(position) {}

HRESULT STDMETHODCALLTYPE IpRuleEnumerator::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IEnumVARIANT)) return E_NOINTERFACE;
  *out = static_cast<IEnumVARIANT*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE IpRuleEnumerator::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE IpRuleEnumerator::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// Slot 3: up to count rules; S_FALSE when fewer were left.
HRESULT STDMETHODCALLTYPE IpRuleEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched) {
  if (items == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  ULONG done = 0;
  for (; done < count && position_ < rules_->size(); ++done, ++position_) {
    IDispatch* rule = nullptr;
    const HRESULT hr = MakeIpRuleConfig((*rules_)[position_], &rule);
    if (FAILED(hr)) {
      for (ULONG i = 0; i < done; ++i) Ledra::fillInOut(&items[i], Ledra::ScopedVariant());
      if (fetched) *fetched = 0;
      return hr;
    }
    Ledra::ScopedVariant item;
    item.setDispatch(NullOutput(L"Next") ? nullptr : rule);
    rule->Release();  // the item holds its own reference
    SpoilType(L"Next", *item.asInOut());
    items[done] = item.release();
  }
  if (fetched) *fetched = done;
  return done == count ? S_OK : S_FALSE;
}

// Slot 4
HRESULT STDMETHODCALLTYPE IpRuleEnumerator::Skip(ULONG count) {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t left = rules_->size() - position_;
  position_ += count < left ? count : left;
  return count <= left ? S_OK : S_FALSE;
}

// Slot 5
HRESULT STDMETHODCALLTYPE IpRuleEnumerator::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  position_ = 0;
  return S_OK;
}

// Slot 6: a second enumerator at the same place.
HRESULT STDMETHODCALLTYPE IpRuleEnumerator::Clone(IEnumVARIANT** copy) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Create(rules_, position_, copy);
}

}  // namespace BxKit
