// Owners of the COM and Win32 resources the component hands around: VARIANT,
// BSTR, SAFEARRAY (and its lock), registry keys and libraries. Each contains
// exactly what it owns, is never copied, and frees it exactly once.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace BxKit {

class ScopedVariant {
 public:
  ScopedVariant() noexcept { ::VariantInit(&value_); }
  ~ScopedVariant() { Reset(); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ScopedVariant(ScopedVariant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
  ScopedVariant& operator=(ScopedVariant&& other) noexcept {
    if (this != &other) {
      Reset();
      value_ = other.value_;
      ::VariantInit(&other.value_);
    }
    return *this;
  }

  const VARIANT& get() const noexcept { return value_; }
  // Lends the value to a call that takes a non-const VARIANTARG it does not free.
  VARIANT* AsInput() noexcept { return &value_; }
  // For out-parameters: the owner is emptied first.
  VARIANT* Receive() noexcept {
    Reset();
    return &value_;
  }
  void Reset() noexcept { ::VariantClear(&value_); }
  // Ownership leaves; the owner is empty afterwards.
  VARIANT Release() noexcept {
    VARIANT out = value_;
    ::VariantInit(&value_);
    return out;
  }
  // VariantCopy only reads its source; some SDKs declare it non-const.
  HRESULT CopyFrom(const VARIANT& in) noexcept { return ::VariantCopy(Receive(), const_cast<VARIANT*>(&in)); }
  // A null BSTR stays null (some VariantCopy versions turn it into an empty text).
  HRESULT CopyTo(VARIANT* out) const noexcept {
    if (value_.vt == VT_BSTR && value_.bstrVal == nullptr) {
      const HRESULT hr = ::VariantClear(out);
      if (FAILED(hr)) return hr;
      out->vt = VT_BSTR;
      out->bstrVal = nullptr;
      return S_OK;
    }
    return ::VariantCopy(out, const_cast<VARIANT*>(&value_));
  }

  void SetBool(bool value) noexcept {
    Reset();
    value_.vt = VT_BOOL;
    value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  void SetInt(long value) noexcept {
    Reset();
    value_.vt = VT_I4;
    value_.lVal = value;
  }
  // A null text gives a VT_BSTR holding a null BSTR.
  HRESULT SetText(const wchar_t* text) noexcept {
    Reset();
    value_.vt = VT_BSTR;
    value_.bstrVal = nullptr;
    if (text == nullptr) return S_OK;
    value_.bstrVal = ::SysAllocString(text);
    return value_.bstrVal ? S_OK : E_OUTOFMEMORY;
  }

 private:
  VARIANT value_;
};
static_assert(sizeof(ScopedVariant) == sizeof(VARIANT), "an owner is the size of what it owns");

class ScopedSafeArray {
 public:
  ScopedSafeArray() noexcept = default;
  explicit ScopedSafeArray(SAFEARRAY* array) noexcept : array_(array) {}
  ~ScopedSafeArray() { Reset(); }
  ScopedSafeArray(const ScopedSafeArray&) = delete;
  ScopedSafeArray& operator=(const ScopedSafeArray&) = delete;

  SAFEARRAY* get() const noexcept { return array_; }
  void Reset(SAFEARRAY* array = nullptr) noexcept {
    if (array_) ::SafeArrayDestroy(array_);
    array_ = array;
  }
  SAFEARRAY* Release() noexcept {
    SAFEARRAY* out = array_;
    array_ = nullptr;
    return out;
  }

 private:
  SAFEARRAY* array_ = nullptr;
};
static_assert(sizeof(ScopedSafeArray) == sizeof(SAFEARRAY*), "an owner is the size of what it owns");

// Holds a SAFEARRAY's lock for one scope; locked() says whether it was taken.
class ScopedSafeArrayLock {
 public:
  explicit ScopedSafeArrayLock(SAFEARRAY* array) noexcept
      : array_(array && SUCCEEDED(::SafeArrayLock(array)) ? array : nullptr) {}
  ~ScopedSafeArrayLock() {
    if (array_) ::SafeArrayUnlock(array_);
  }
  ScopedSafeArrayLock(const ScopedSafeArrayLock&) = delete;
  ScopedSafeArrayLock& operator=(const ScopedSafeArrayLock&) = delete;
  bool locked() const noexcept { return array_ != nullptr; }

 private:
  SAFEARRAY* array_;
};

template <typename Traits>
class ScopedHandleOf {
 public:
  using Handle = typename Traits::Handle;
  ScopedHandleOf() noexcept = default;
  explicit ScopedHandleOf(Handle handle) noexcept : handle_(handle) {}
  ~ScopedHandleOf() { Reset(); }
  ScopedHandleOf(const ScopedHandleOf&) = delete;
  ScopedHandleOf& operator=(const ScopedHandleOf&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }
  Handle* Receive() noexcept {
    Reset();
    return &handle_;
  }
  void Reset(Handle handle = Traits::Invalid()) noexcept {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }
  Handle Release() noexcept {
    Handle out = handle_;
    handle_ = Traits::Invalid();
    return out;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct RegKeyTraits {
  using Handle = HKEY;
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY key) noexcept { ::RegCloseKey(key); }
};
struct LibraryTraits {
  using Handle = HMODULE;
  static HMODULE Invalid() noexcept { return nullptr; }
  static void Close(HMODULE library) noexcept { ::FreeLibrary(library); }
};
struct FileTraits {  // CreateFileW's failure value is the empty one
  using Handle = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE file) noexcept { ::CloseHandle(file); }
};

using ScopedRegKey = ScopedHandleOf<RegKeyTraits>;
using ScopedLibrary = ScopedHandleOf<LibraryTraits>;
using ScopedFile = ScopedHandleOf<FileTraits>;

}  // namespace BxKit
