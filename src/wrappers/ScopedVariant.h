// Owner of one VARIANT: cleared exactly once, never copied, moved. Callers
// build a component's arguments in these and read its answers back through
// them; fillInOut hands one to a COM method's [in,out] VARIANT*.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

#include "wrappers/ScopedBstr.h"
#include "wrappers/ScopedSafeArray.h"

namespace Ledra {

class ScopedVariant {
 public:
  ScopedVariant() noexcept { ::VariantInit(&value_); }
  // A VT_BSTR holding a copy of the text (null text: a null BSTR).
  explicit ScopedVariant(const wchar_t* text) noexcept : ScopedVariant() { setText(text); }
  // A number of the given integer type (VT_I4 unless told).
  explicit ScopedVariant(long value, VARTYPE type = VT_I4) noexcept : ScopedVariant() {
    setLong(value, type);
  }
  explicit ScopedVariant(int value) noexcept : ScopedVariant(static_cast<long>(value)) {}
  ~ScopedVariant() { reset(); }

  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ScopedVariant(ScopedVariant&& other) noexcept : value_(other.release()) {}
  ScopedVariant& operator=(ScopedVariant&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  // Lends the value; COM's by-value VARIANT arguments take it from here.
  const VARIANT& get() const noexcept { return value_; }
  VARTYPE type() const noexcept { return V_VT(&value_); }
  bool valid() const noexcept { return V_VT(&value_) != VT_EMPTY; }

  // Clears the value (the owner is VT_EMPTY afterwards).
  void reset() noexcept { ::VariantClear(&value_); }
  // Clears the value and takes ownership of another (not copied).
  void reset(const VARIANT& value) noexcept {
    if (&value != &value_) {
      reset();
      value_ = value;
    }
  }
  // Gives up ownership; the owner is left empty.
  VARIANT release() noexcept {
    VARIANT out = value_;
    ::VariantInit(&value_);
    return out;
  }
  // For an out-parameter; null while the owner holds a value (reset() it first).
  VARIANT* receive() noexcept { return valid() ? nullptr : &value_; }
  // Lends the value to a call that takes a non-const VARIANTARG* it does not free.
  VARIANT* asInput() noexcept { return &value_; }
  // For an in/out parameter whose prepared value the callee may replace.
  VARIANT* asInOut() noexcept { return &value_; }

  // Replaces the value by a copy of another; on failure the value stays.
  HRESULT copyFrom(const VARIANT& source) noexcept {
    VARIANT copy;
    ::VariantInit(&copy);
    // Some SDKs declare the source without const; it is only read.
    const HRESULT hr = ::VariantCopy(&copy, const_cast<VARIANT*>(&source));
    if (SUCCEEDED(hr)) reset(copy);
    return hr;
  }
  // Copies the value into a caller's [in,out] VARIANT. A null BSTR stays null
  // (some VariantCopy versions turn it into an empty text).
  HRESULT copyTo(VARIANT* out) const noexcept;

  void setBool(bool value) noexcept {
    reset();
    V_VT(&value_) = VT_BOOL;
    V_BOOL(&value_) = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  // VT_I4, VT_INT, VT_UI4 or VT_UINT; any other type gives VT_I4.
  void setLong(long value, VARTYPE type = VT_I4) noexcept {
    reset();
    V_VT(&value_) = type;
    switch (type) {
      case VT_INT:
        V_INT(&value_) = static_cast<INT>(value);
        break;
      case VT_UI4:
        V_UI4(&value_) = static_cast<ULONG>(value);
        break;
      case VT_UINT:
        V_UINT(&value_) = static_cast<UINT>(value);
        break;
      default:
        V_VT(&value_) = VT_I4;
        V_I4(&value_) = value;
        break;
    }
  }
  // A VT_BSTR with a copy of the text; a null text gives a null BSTR. When the
  // copy cannot be made the value stays and the answer is E_OUTOFMEMORY.
  HRESULT setText(const wchar_t* text) noexcept {
    ScopedBstr copy(text ? ::SysAllocString(text) : nullptr);
    if (text != nullptr && !copy.valid()) return E_OUTOFMEMORY;
    reset();
    V_VT(&value_) = VT_BSTR;
    V_BSTR(&value_) = copy.release();
    return S_OK;
  }
  // Holds its own reference to the object.
  void setDispatch(IDispatch* object) noexcept {
    if (object) object->AddRef();
    reset();
    V_VT(&value_) = VT_DISPATCH;
    V_DISPATCH(&value_) = object;
  }
  // Takes the array as VT_ARRAY with the given element type.
  void setArray(ScopedSafeArray array, VARTYPE elements = VT_VARIANT) noexcept {
    reset();
    V_VT(&value_) = static_cast<VARTYPE>(VT_ARRAY | elements);
    V_ARRAY(&value_) = array.release();
  }

 private:
  VARIANT value_;
};

static_assert(sizeof(ScopedVariant) == sizeof(VARIANT), "an owner is the size of what it owns");

// For a COM method's [in,out] VARIANT*: frees what the caller's VARIANT held
// and hands it the value. The value is handed over even when the old one
// cannot be freed (a caller's VARIANT that was never initialised).
inline void fillInOut(VARIANT* inOut, ScopedVariant value) noexcept {
  if (inOut == nullptr) return;
  ::VariantClear(inOut);
  *inOut = value.release();
}

inline HRESULT ScopedVariant::copyTo(VARIANT* out) const noexcept {
  if (out == nullptr) return E_POINTER;
  ScopedVariant copy;
  const bool nullText = V_VT(&value_) == VT_BSTR && V_BSTR(&value_) == nullptr;
  const HRESULT hr = nullText ? copy.setText(nullptr) : copy.copyFrom(value_);
  if (SUCCEEDED(hr)) fillInOut(out, std::move(copy));
  return hr;
}

}  // namespace Ledra
