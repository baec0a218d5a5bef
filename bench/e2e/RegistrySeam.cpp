#include "bench/e2e/RegistrySeam.h"

namespace Bench {

RegistrySeam::RegistrySeam(const wchar_t* keyPath, const wchar_t* valueName) : name_(valueName) {
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        key_.receive(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  DWORD size = 0;
  had_ = ::RegQueryValueExW(key_.get(), name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
  if (!had_) return;
  bytes_.resize(size);
  had_ =
      ::RegQueryValueExW(key_.get(), name_.c_str(), nullptr, &type_, bytes_.data(), &size) == ERROR_SUCCESS;
  bytes_.resize(size);
}

RegistrySeam::~RegistrySeam() { restore(); }

bool RegistrySeam::setText(const std::wstring& text) {
  return key_ &&
         ::RegSetValueExW(key_.get(), name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistrySeam::remove() {
  if (!key_) return false;
  const LSTATUS status = ::RegDeleteValueW(key_.get(), name_.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

void RegistrySeam::restore() {
  if (!key_) return;
  if (had_) {
    ::RegSetValueExW(key_.get(), name_.c_str(), 0, type_, bytes_.data(), static_cast<DWORD>(bytes_.size()));
  } else {
    ::RegDeleteValueW(key_.get(), name_.c_str());
  }
  key_.reset();
}

}  // namespace Bench
