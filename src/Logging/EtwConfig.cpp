#include "Logging/EtwConfig.h"

#include <objbase.h>

#include <utility>

#include "Logging/LogPaths.h"

namespace ETWLogging {
namespace internal {
namespace {

void overrideText(const Basalt::CObfuscatedRegKey& key, const wchar_t* name, std::wstring& field) {
  std::wstring value;
  if (key.readString(name, value) == ERROR_SUCCESS && !value.empty()) field = value;
}

void overrideGuid(const Basalt::CObfuscatedRegKey& key, const wchar_t* name, GUID& field) {
  std::wstring value;
  GUID parsed = {};
  if (key.readString(name, value) == ERROR_SUCCESS && SUCCEEDED(::CLSIDFromString(value.c_str(), &parsed))) {
    field = parsed;
  }
}

}  // namespace

ETWAppProperties ETWAppProperties::load(const wchar_t* registryKey) {
  ETWAppProperties properties;
  properties.registryKey = registryKey;
  const std::wstring appData = commonAppDataFolder();
  properties.logPath = appData + L"\\Brenix\\BXLOGS";
  properties.etlPath = appData + L"\\Brenix\\BXLOGS\\ETW";
  Basalt::CObfuscatedRegKey key;
  if (key.open(registryKey) != ERROR_SUCCESS) return properties;
  overrideText(key, L"Session", properties.sessionKey);
  overrideText(key, L"Provider", properties.providerKey);
  overrideText(key, L"Controller", properties.controllerKey);
  overrideGuid(key, L"Provider Guid", properties.providerId);
  overrideText(key, L"Log Path", properties.logPath);
  overrideText(key, L"ETL Path", properties.etlPath);
  overrideText(key, L"Controller Path", properties.controllerPath);
  overrideText(key, L"Session Name", properties.sessionName);
  overrideGuid(key, L"Session ID Guid", properties.sessionId);
  overrideText(key, L"Owner Mutex Name", properties.ownerMutex);
  return properties;
}

}  // namespace internal

CETWConfigurationListener::CETWConfigurationListener(std::wstring registryKey, Apply apply)
    : registryKey_(std::move(registryKey)), apply_(std::move(apply)) {}

CETWConfigurationListener::~CETWConfigurationListener() {
  // Waits for a running callback, so none runs on a destroyed listener.
  if (wait_ != nullptr) ::UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
}

void CETWConfigurationListener::start() noexcept {
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    if (key_.open(registryKey_.c_str()) == ERROR_SUCCESS) {
      changed_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
      if (changed_ && arm() &&
          !::RegisterWaitForSingleObject(&wait_, changed_.get(), &onChange, this, INFINITE,
                                         WT_EXECUTEDEFAULT)) {
        wait_ = nullptr;
      }
    }
  }
  refresh();
}

bool CETWConfigurationListener::arm() noexcept {
  const DWORD filter = REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME;
  // Thread-agnostic, so that the watch outlives the thread that armed it.
  if (::RegNotifyChangeKeyValue(key_.get(), FALSE, filter | REG_NOTIFY_THREAD_AGNOSTIC, changed_.get(),
                                TRUE) == ERROR_SUCCESS) {
    return true;
  }
  return ::RegNotifyChangeKeyValue(key_.get(), FALSE, filter, changed_.get(), TRUE) == ERROR_SUCCESS;
}

void CETWConfigurationListener::refresh() noexcept {
  DWORD enable = kDefaultEnable;
  DWORD severity = kDefaultSeverity;
  {
    std::lock_guard<Ledra::SrwMutex> lock(mutex_);
    Basalt::CObfuscatedRegKey key;
    if (key.open(registryKey_.c_str()) == ERROR_SUCCESS) {
      key.readDword(L"Enable", enable);
      key.readDword(L"Severity", severity);
    }
  }
  try {
    if (apply_) apply_(enable, severity);
  } catch (...) {
  }
}

void CALLBACK CETWConfigurationListener::onChange(void* context, BOOLEAN) {
  auto* self = static_cast<CETWConfigurationListener*>(context);
  {
    std::lock_guard<Ledra::SrwMutex> lock(self->mutex_);
    self->arm();
  }
  self->refresh();
}

}  // namespace ETWLogging
