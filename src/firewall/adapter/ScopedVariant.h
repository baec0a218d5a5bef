// Owner of one VARIANT: cleared exactly once, never copied. Handlers build the
// component's arguments in these and read its answers back through them.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace Brenix {

class ScopedVariant {
 public:
  ScopedVariant() noexcept { ::VariantInit(&var_); }
  // A VT_BSTR holding a copy of the text (null text: a null BSTR).
  explicit ScopedVariant(const wchar_t* text) noexcept {
    ::VariantInit(&var_);
    SetBstr(text);
  }
  // A number of the given integer type (VT_I4 unless told).
  explicit ScopedVariant(long value, VARTYPE type = VT_I4) noexcept {
    ::VariantInit(&var_);
    SetLong(value, type);
  }
  explicit ScopedVariant(int value) noexcept : ScopedVariant(static_cast<long>(value)) {}
  ~ScopedVariant() { ::VariantClear(&var_); }

  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  // Lends the value; COM's by-value VARIANT arguments take it from here.
  const VARIANT& get() const noexcept { return var_; }
  VARTYPE type() const noexcept { return V_VT(&var_); }

  // For an out-parameter that the callee fills: the owner is emptied first.
  VARIANT* Receive() noexcept {
    ::VariantClear(&var_);
    return &var_;
  }
  // For an in/out parameter whose prepared value the callee may replace.
  VARIANT* AsInOut() noexcept { return &var_; }

  // Gives up ownership; the owner is left empty.
  VARIANT Release() noexcept {
    VARIANT out = var_;
    ::VariantInit(&var_);
    return out;
  }
  // Clears the value and takes ownership of a new one (not copied).
  void Reset(const VARIANT& var) noexcept {
    if (&var != &var_) {
      ::VariantClear(&var_);
      var_ = var;
    }
  }
  void Reset() noexcept { ::VariantClear(&var_); }

  // Replaces the value by a copy of another.
  HRESULT Copy(const VARIANT& source) noexcept {
    VARIANT copy;
    ::VariantInit(&copy);
    // Some SDKs declare the source without const; it is only read.
    HRESULT hr = ::VariantCopy(&copy, const_cast<VARIANT*>(&source));
    if (SUCCEEDED(hr)) Reset(copy);
    return hr;
  }

  void SetBool(bool value) noexcept {
    ::VariantClear(&var_);
    V_VT(&var_) = VT_BOOL;
    V_BOOL(&var_) = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  void SetLong(long value, VARTYPE type = VT_I4) noexcept {
    ::VariantClear(&var_);
    V_VT(&var_) = type;
    switch (type) {
      case VT_INT:
        V_INT(&var_) = static_cast<INT>(value);
        break;
      case VT_UI4:
        V_UI4(&var_) = static_cast<ULONG>(value);
        break;
      case VT_UINT:
        V_UINT(&var_) = static_cast<UINT>(value);
        break;
      default:
        V_VT(&var_) = VT_I4;
        V_I4(&var_) = value;
        break;
    }
  }
  // False when the string could not be allocated (the value is then a null BSTR).
  bool SetBstr(const wchar_t* text) noexcept {
    ::VariantClear(&var_);
    V_VT(&var_) = VT_BSTR;
    V_BSTR(&var_) = text ? ::SysAllocString(text) : nullptr;
    return text == nullptr || V_BSTR(&var_) != nullptr;
  }
  // Holds its own reference to the object.
  void SetDispatch(IDispatch* object) noexcept {
    ::VariantClear(&var_);
    V_VT(&var_) = VT_DISPATCH;
    V_DISPATCH(&var_) = object;
    if (object) object->AddRef();
  }

 private:
  VARIANT var_;
};

static_assert(sizeof(ScopedVariant) == sizeof(VARIANT), "an owner is the size of what it owns");

}  // namespace Brenix
