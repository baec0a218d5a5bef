#include "wrappers/ImageTrust.h"

#include <algorithm>
#include <utility>

namespace Ledra {
namespace {

// The loader's notification interface (ntdll; documented, not in the SDK headers).
constexpr ULONG kReasonUnloaded = 2;

struct LoaderUnicodeString {
  USHORT length;
  USHORT maximumLength;
  PWSTR buffer;
};

struct UnloadedImageData {  // LDR_DLL_UNLOADED_NOTIFICATION_DATA
  ULONG flags;
  const LoaderUnicodeString* fullDllName;
  const LoaderUnicodeString* baseDllName;
  void* dllBase;
  ULONG sizeOfImage;
};

using NotificationFunction = void(CALLBACK*)(ULONG reason, const void* data, void* context);
using RegisterFn = LONG(NTAPI*)(ULONG flags, NotificationFunction function, void* context, void** cookie);
using UnregisterFn = LONG(NTAPI*)(void* cookie);

template <typename Fn>
Fn ntdllFunction(const char* name) {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, name)))
                          : nullptr;
}

// The full path of a loaded module; empty when it cannot be had.
std::wstring moduleFileName(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return std::wstring();
    path.resize(path.size() * 2);
  }
}

uint32_t lastErrorOr(uint32_t fallback) {
  const DWORD error = ::GetLastError();
  return error != 0 ? error : fallback;
}

}  // namespace

ImageTrust::ImageTrust(std::shared_ptr<TrustCheck> check)
    : check_(check ? std::move(check) : signatureTrustCheck()) {
  if (const auto registerNotification = ntdllFunction<RegisterFn>("LdrRegisterDllNotification")) {
    void* cookie = nullptr;
    if (registerNotification(0, &ImageTrust::onLoaderNotification, this, &cookie) >= 0) {
      notificationCookie_ = cookie;
    }
  }
}

ImageTrust::~ImageTrust() {
  // Once this returns the loader calls forget() no more: it unregisters under the loader's lock.
  if (notificationCookie_ != nullptr) {
    if (const auto unregisterNotification = ntdllFunction<UnregisterFn>("LdrUnregisterDllNotification")) {
      unregisterNotification(notificationCookie_);
    }
  }
}

ImageTrust& ImageTrust::process() {
  static ImageTrust trust;
  return trust;
}

void CALLBACK ImageTrust::onLoaderNotification(ULONG reason, const void* data, void* context) {
  if (reason != kReasonUnloaded || data == nullptr || context == nullptr) return;
  static_cast<ImageTrust*>(context)->forget(static_cast<const UnloadedImageData*>(data)->dllBase);
}

uint32_t ImageTrust::checkImageAt(const void* address) {
  // The reference taken here keeps the image mapped until the verdict is kept,
  // so that its unload cannot slip in between and leave a stale verdict.
  ScopedLibrary image;
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCWSTR>(address),
                            image.receive())) {
    return lastErrorOr(ERROR_MOD_NOT_FOUND);
  }
  const std::wstring path = moduleFileName(image.get());
  if (path.empty()) return lastErrorOr(ERROR_MOD_NOT_FOUND);
  const HeldFile file(path);
  if (!file.valid()) return file.error();
  FileIdentity identity;
  if (!file.identity(identity)) return lastErrorOr(ERROR_READ_FAULT);

  if (isKept(image.get(), identity)) return 0;
  const uint32_t status = check_->check(path, file.handle());
  if (status == 0) keep(image.get(), identity);
  return status;
}

HMODULE ImageTrust::loadLibrary(const std::wstring& path) {
  if (path.empty()) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!isAbsolutePath(path)) {
    ::SetLastError(ERROR_BAD_PATHNAME);
    return nullptr;
  }
  const HeldFile file(path);
  if (!file.valid()) {
    ::SetLastError(file.error());
    return nullptr;
  }
  FileIdentity identity;
  if (!file.identity(identity)) {
    ::SetLastError(lastErrorOr(ERROR_READ_FAULT));
    return nullptr;
  }
  if (!isKeptForFile(identity)) {
    const uint32_t status = check_->check(path, file.handle());
    if (status != 0) {
      ::SetLastError(status);
      return nullptr;
    }
  }
  HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr) keep(module, identity);
  return module;
}

size_t ImageTrust::keptVerdicts() {
  std::lock_guard<SrwMutex> lock(mutex_);
  return verdicts_.size();
}

bool ImageTrust::isKept(const void* imageBase, const FileIdentity& identity) {
  std::lock_guard<SrwMutex> lock(mutex_);
  for (auto it = verdicts_.begin(); it != verdicts_.end(); ++it) {
    if (it->imageBase != imageBase) continue;
    if (it->identity == identity) return true;
    verdicts_.erase(it);  // the file changed under the image: its verdict no longer holds
    return false;
  }
  return false;
}

bool ImageTrust::isKeptForFile(const FileIdentity& identity) {
  std::lock_guard<SrwMutex> lock(mutex_);
  return std::any_of(verdicts_.begin(), verdicts_.end(),
                     [&](const Verdict& verdict) { return verdict.identity == identity; });
}

void ImageTrust::keep(const void* imageBase, const FileIdentity& identity) {
  if (notificationCookie_ == nullptr) return;  // an unload could not be noticed
  try {
    std::lock_guard<SrwMutex> lock(mutex_);
    for (Verdict& verdict : verdicts_) {
      if (verdict.imageBase == imageBase) {
        verdict.identity = identity;
        return;
      }
    }
    verdicts_.push_back(Verdict{imageBase, identity});
  } catch (...) {
    // Not kept: the next check runs in full.
  }
}

void ImageTrust::forget(const void* imageBase) noexcept {
  std::lock_guard<SrwMutex> lock(mutex_);
  verdicts_.erase(std::remove_if(verdicts_.begin(), verdicts_.end(),
                                 [&](const Verdict& verdict) { return verdict.imageBase == imageBase; }),
                  verdicts_.end());
}

}  // namespace Ledra
