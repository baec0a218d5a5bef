// Owner of one BSTR: freed exactly once, never copied.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace Brenix {

class ScopedBstr {
 public:
  ScopedBstr() noexcept = default;
  // A copy of the text; a null text gives an empty owner.
  explicit ScopedBstr(const wchar_t* text) noexcept : bstr_(text ? ::SysAllocString(text) : nullptr) {}
  ~ScopedBstr() { ::SysFreeString(bstr_); }

  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;

  BSTR get() const noexcept { return bstr_; }
  UINT Length() const noexcept { return ::SysStringLen(bstr_); }

  // For an out-parameter; the owner is emptied first.
  BSTR* Receive() noexcept {
    Reset();
    return &bstr_;
  }
  // Gives up ownership.
  BSTR Release() noexcept {
    BSTR out = bstr_;
    bstr_ = nullptr;
    return out;
  }
  // Frees the current string and optionally takes a new one.
  void Reset(BSTR bstr = nullptr) noexcept {
    if (bstr != bstr_) {
      ::SysFreeString(bstr_);
      bstr_ = bstr;
    }
  }

 private:
  BSTR bstr_ = nullptr;
};

static_assert(sizeof(ScopedBstr) == sizeof(BSTR), "an owner is the size of what it owns");

}  // namespace Brenix
