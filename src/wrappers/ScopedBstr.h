// Owner of one BSTR: freed exactly once, never copied, moved.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace Ledra {

class ScopedBstr {
 public:
  ScopedBstr() noexcept = default;
  // A copy of the text; a null text, or a failed allocation, gives an empty owner.
  explicit ScopedBstr(const wchar_t* text) noexcept : bstr_(text ? ::SysAllocString(text) : nullptr) {}
  ~ScopedBstr() { reset(); }

  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ScopedBstr(ScopedBstr&& other) noexcept : bstr_(other.release()) {}
  ScopedBstr& operator=(ScopedBstr&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  BSTR get() const noexcept { return bstr_; }
  bool valid() const noexcept { return bstr_ != nullptr; }
  UINT length() const noexcept { return ::SysStringLen(bstr_); }

  // Frees the current string and optionally takes a new one.
  void reset(BSTR bstr = nullptr) noexcept {
    if (bstr != bstr_) {
      ::SysFreeString(bstr_);
      bstr_ = bstr;
    }
  }
  // Gives up ownership; the owner is left empty.
  BSTR release() noexcept {
    BSTR out = bstr_;
    bstr_ = nullptr;
    return out;
  }
  // For an out-parameter; null while the owner holds a string (reset() it first).
  BSTR* receive() noexcept { return valid() ? nullptr : &bstr_; }

 private:
  BSTR bstr_ = nullptr;
};

static_assert(sizeof(ScopedBstr) == sizeof(BSTR), "an owner is the size of what it owns");

}  // namespace Ledra
