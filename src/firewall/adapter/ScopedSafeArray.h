// Owners of a SAFEARRAY and of one lock on a SAFEARRAY. Declare the lock after
// the array it locks so that it is undone before the array is destroyed.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace Brenix {

class ScopedSafeArray {
 public:
  ScopedSafeArray() noexcept = default;
  explicit ScopedSafeArray(SAFEARRAY* array) noexcept : array_(array) {}
  ~ScopedSafeArray() { Reset(); }

  ScopedSafeArray(const ScopedSafeArray&) = delete;
  ScopedSafeArray& operator=(const ScopedSafeArray&) = delete;

  SAFEARRAY* get() const noexcept { return array_; }

  // For an out-parameter; the owner is emptied first.
  SAFEARRAY** Receive() noexcept {
    Reset();
    return &array_;
  }
  // Gives up ownership.
  SAFEARRAY* Release() noexcept {
    SAFEARRAY* out = array_;
    array_ = nullptr;
    return out;
  }
  // Destroys the current array and optionally takes a new one.
  void Reset(SAFEARRAY* array = nullptr) noexcept {
    if (array != array_) {
      if (array_) ::SafeArrayDestroy(array_);
      array_ = array;
    }
  }

 private:
  SAFEARRAY* array_ = nullptr;
};

// Holds one SafeArrayLock and undoes it on destruction.
class ScopedSafeArrayLock {
 public:
  ScopedSafeArrayLock() noexcept = default;
  ~ScopedSafeArrayLock() { Unlock(); }

  ScopedSafeArrayLock(const ScopedSafeArrayLock&) = delete;
  ScopedSafeArrayLock& operator=(const ScopedSafeArrayLock&) = delete;

  // Locks the array; an earlier lock held by this owner is undone first.
  HRESULT Lock(SAFEARRAY* array) noexcept {
    Unlock();
    HRESULT hr = array ? ::SafeArrayLock(array) : E_INVALIDARG;
    if (SUCCEEDED(hr)) array_ = array;
    return hr;
  }
  void Unlock() noexcept {
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

}  // namespace Brenix
