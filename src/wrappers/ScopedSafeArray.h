// Owners of a SAFEARRAY and of one lock on a SAFEARRAY. Declare the lock after
// the array it locks so that it is undone before the array is destroyed.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "wrappers/ScopedHandle.h"

namespace Ledra {

struct SafeArrayTraits {
  using Handle = SAFEARRAY*;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::SafeArrayDestroy(h); }
};

// ScopedHandleT's members, destroyed with SafeArrayDestroy.
using ScopedSafeArray = ScopedHandleT<SafeArrayTraits>;

// Holds one SafeArrayLock and undoes it on destruction. It does not own the array.
class ScopedSafeArrayLock {
 public:
  ScopedSafeArrayLock() noexcept = default;
  // Locks the array; locked() tells whether that worked.
  explicit ScopedSafeArrayLock(SAFEARRAY* array) noexcept { lock(array); }
  ~ScopedSafeArrayLock() { reset(); }

  ScopedSafeArrayLock(const ScopedSafeArrayLock&) = delete;
  ScopedSafeArrayLock& operator=(const ScopedSafeArrayLock&) = delete;
  ScopedSafeArrayLock(ScopedSafeArrayLock&& other) noexcept : array_(other.array_) { other.array_ = nullptr; }
  ScopedSafeArrayLock& operator=(ScopedSafeArrayLock&& other) noexcept {
    if (this != &other) {
      reset();
      array_ = other.array_;
      other.array_ = nullptr;
    }
    return *this;
  }

  // Locks the array; a lock this owner held before is undone first.
  HRESULT lock(SAFEARRAY* array) noexcept {
    reset();
    const HRESULT hr = array ? ::SafeArrayLock(array) : E_INVALIDARG;
    if (SUCCEEDED(hr)) array_ = array;
    return hr;
  }
  // Undoes the lock, if one is held.
  void reset() noexcept {
    if (array_) ::SafeArrayUnlock(array_);
    array_ = nullptr;
  }
  bool locked() const noexcept { return array_ != nullptr; }
  // The array's data while it is locked.
  void* data() const noexcept { return array_ ? array_->pvData : nullptr; }

 private:
  SAFEARRAY* array_ = nullptr;
};

static_assert(sizeof(ScopedSafeArray) == sizeof(SAFEARRAY*), "an owner is the size of what it owns");
static_assert(sizeof(ScopedSafeArrayLock) == sizeof(SAFEARRAY*), "an owner is the size of what it owns");

}  // namespace Ledra
