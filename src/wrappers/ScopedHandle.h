// Owners of kernel handles, registry keys, libraries and the strings the shell
// allocates: closed exactly once, never copied, moved. ScopedBstr.h and
// ScopedSafeArray.h make BSTR and SAFEARRAY owners of the same template.
#pragma once

#include <windows.h>

#include <objbase.h>

namespace Ledra {

// Traits: Invalid() is the empty value, Close() frees a non-empty one.
template <typename Traits>
class ScopedHandleT {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandleT() noexcept = default;
  explicit ScopedHandleT(Handle handle) noexcept : handle_(handle) {}
  ~ScopedHandleT() { reset(); }

  ScopedHandleT(const ScopedHandleT&) = delete;
  ScopedHandleT& operator=(const ScopedHandleT&) = delete;
  ScopedHandleT(ScopedHandleT&& other) noexcept : handle_(other.release()) {}
  ScopedHandleT& operator=(ScopedHandleT&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const noexcept { return handle_; }
  bool valid() const noexcept { return handle_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Frees the current handle and optionally takes a new one (taking the held
  // one again keeps it).
  void reset(Handle handle = Traits::Invalid()) noexcept {
    if (handle == handle_) return;
    if (valid()) Traits::Close(handle_);
    handle_ = handle;
  }
  // Gives up ownership.
  Handle release() noexcept {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  // For an out-parameter; null while the owner holds a handle (reset() it first).
  Handle* receive() noexcept { return valid() ? nullptr : &handle_; }

 private:
  Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {  // null is empty: threads, events, mutexes, processes
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct FileHandleTraits {  // INVALID_HANDLE_VALUE is empty: CreateFileW
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};

struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

struct CoTaskMemStringTraits {  // strings the shell hands out: SHGetKnownFolderPath
  using Handle = wchar_t*;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::CoTaskMemFree(h); }
};

using ScopedHandle = ScopedHandleT<KernelHandleTraits>;
using ScopedFileHandle = ScopedHandleT<FileHandleTraits>;
using ScopedRegKey = ScopedHandleT<RegKeyTraits>;
using ScopedLibrary = ScopedHandleT<LibraryTraits>;
using ScopedCoTaskMemString = ScopedHandleT<CoTaskMemStringTraits>;

static_assert(sizeof(ScopedHandle) == sizeof(HANDLE), "an owner is the size of what it owns");
static_assert(sizeof(ScopedFileHandle) == sizeof(HANDLE), "an owner is the size of what it owns");
static_assert(sizeof(ScopedRegKey) == sizeof(HKEY), "an owner is the size of what it owns");
static_assert(sizeof(ScopedLibrary) == sizeof(HMODULE), "an owner is the size of what it owns");
static_assert(sizeof(ScopedCoTaskMemString) == sizeof(wchar_t*), "an owner is the size of what it owns");

}  // namespace Ledra
