#include "kit/BxFWConfig/ConfigObject.h"

#include <new>

#include "kit/BxFWConfig/Faults.h"
#include "kit/BxFWConfig/ResultCodes.h"

namespace BxKit {

HRESULT BxConfigObject::Create(PropertyMap properties, std::map<long, PropertyCheck> writable,
                               PropertyApply apply, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = new (std::nothrow) BxConfigObject(std::move(properties), std::move(writable), std::move(apply));
  return *out ? S_OK : E_OUTOFMEMORY;
}

BxConfigObject::BxConfigObject(PropertyMap properties, std::map<long, PropertyCheck> writable,
                               PropertyApply apply)
    : properties_(std::move(properties)), writable_(std::move(writable)), apply_(std::move(apply)) {}

HRESULT STDMETHODCALLTYPE BxConfigObject::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *out = static_cast<IDispatch*>(this);
  } else if (IsEqualIID(riid, IID_IBxConfig)) {
    *out = static_cast<IBxConfig*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE BxConfigObject::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE BxConfigObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// Slot 3: the property's current value (a change not yet applied included).
HRESULT STDMETHODCALLTYPE BxConfigObject::GetProperty(long id, VARIANT* value, long* result) {
  if (value == nullptr || result == nullptr) return E_POINTER;
  if (const std::optional<Fault> fault = FaultFor(L"GetProperty")) {
    *result = fault->result;
    return fault->hr;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = properties_.find(id);
  if (found == properties_.end()) {
    *result = kResultNotFound;
    return S_OK;
  }
  const HRESULT hr = found->second.copyTo(value);
  *result = SUCCEEDED(hr) ? kResultOk : kResultInternal;
  if (SUCCEEDED(hr)) SpoilType(L"GetProperty", *value);
  return hr;
}

// Slot 4: checks and keeps a new value until ApplyProperties.
HRESULT STDMETHODCALLTYPE BxConfigObject::SetProperty(long id, VARIANT value, long* result) {
  if (result == nullptr) return E_POINTER;
  if (const std::optional<Fault> fault = FaultFor(L"SetProperty")) {
    *result = fault->result;
    return fault->hr;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const auto check = writable_.find(id);
  if (check == writable_.end()) {
    *result = properties_.count(id) ? kResultReadOnly : kResultNotFound;
    return S_OK;
  }
  Ledra::ScopedVariant stored;
  *result = check->second(value, stored);
  if (*result == kResultOk) {
    properties_[id] = std::move(stored);
    changed_.insert(id);
  }
  return S_OK;
}

// Slot 5: stores the changed properties; nothing changed is a success.
HRESULT STDMETHODCALLTYPE BxConfigObject::ApplyProperties(long* result) {
  if (result == nullptr) return E_POINTER;
  if (const std::optional<Fault> fault = FaultFor(L"ApplyProperties")) {
    *result = fault->result;
    return fault->hr;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  *result = changed_.empty() ? kResultOk : apply_(properties_, changed_);
  if (*result == kResultOk) changed_.clear();
  return S_OK;
}

}  // namespace BxKit
