#include "dll/DllLoader.h"

#include "Logging/Log.h"
#include "include/ModuleStatus.h"

namespace Ledra {

namespace {

constexpr wchar_t kLogFile[] = L"DllLoader";
constexpr wchar_t kInvalidHandle[] = L"Invalid pHandle specified. Exiting.";
constexpr wchar_t kLoadFailed[] = L"Failed to load library. Error code: %ls(%lu).";
constexpr wchar_t kProcNotFound[] = L"getProcAddress was unsuccessful in finding the handle's address";

// The only two codes a load can end in here.
const wchar_t* loadStatusName(ModuleStatus status) {
  return status == MODULE_STATUS_UNKNOWN_EXCEPTION ? L"MODULE_STATUS_UNKNOWN_EXCEPTION"
                                                   : L"MODULE_STATUS_UNSUCCESSFUL";
}

}  // namespace

DllLoader::DllLoader(std::shared_ptr<DllAPI> api) : api_(api ? std::move(api) : std::make_shared<DllAPI>()) {}

bool DllLoader::loadDLL(const std::wstring& path, HMODULE* handle) {
  if (handle == nullptr) {
    LEDRA_LOG(logging::Warning, L"Ledra::DllLoader::loadDLL", __LINE__, kInvalidHandle);
    return false;
  }
  if (api_->getModuleHandleEx(0, path.c_str(), handle)) return true;

  ModuleStatus status = MODULE_STATUS_SUCCESS;
  try {
    if (!api_->loadLibrary(path, handle)) status = MODULE_STATUS_UNSUCCESSFUL;
  } catch (...) {
    status = MODULE_STATUS_UNKNOWN_EXCEPTION;
  }
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, L"Ledra::DllLoader::loadDLL", __LINE__, kLoadFailed, loadStatusName(status),
              static_cast<unsigned long>(status));
    return false;
  }
  return true;
}

FARPROC DllLoader::getProcAddress(HMODULE module, const char* name) {
  FARPROC address = nullptr;
  try {
    address = api_->getProcAddress(module, name);
  } catch (...) {
    address = nullptr;
  }
  if (address == nullptr) {
    LEDRA_LOG(logging::Warning, L"Ledra::DllLoader::getProcAddress", __LINE__, kProcNotFound);
  }
  return address;
}

bool DllLoader::freeLibrary(HMODULE module) { return api_->freeLibrary(module); }

}  // namespace Ledra
