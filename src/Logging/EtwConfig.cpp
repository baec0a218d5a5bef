#include "Logging/EtwConfig.h"

#include <objbase.h>

#include <atomic>
#include <mutex>
#include <utility>

#include "Logging/LogPaths.h"
#include "wrappers/ObfuscatedRegKey.h"
#include "wrappers/ScopedHandle.h"
#include "wrappers/SrwSync.h"

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

// What a change handler needs; shared by the listener and its registration.
struct CETWConfigurationListener::State {
  std::wstring registryKey;
  Apply apply;
  std::atomic<bool> stopped{false};
  // Orders arming, reading and applying, so that older values never overwrite newer ones.
  Ledra::SrwMutex mutex;
  Basalt::CObfuscatedRegKey key;
  Ledra::ScopedHandle changed;

  bool arm() noexcept {
    const DWORD filter = REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME;
    // Thread-agnostic, so that the watch outlives the thread that armed it.
    if (::RegNotifyChangeKeyValue(key.get(), FALSE, filter | REG_NOTIFY_THREAD_AGNOSTIC, changed.get(),
                                  TRUE) == ERROR_SUCCESS) {
      return true;
    }
    return ::RegNotifyChangeKeyValue(key.get(), FALSE, filter, changed.get(), TRUE) == ERROR_SUCCESS;
  }

  void refresh() noexcept {
    std::lock_guard<Ledra::SrwMutex> lock(mutex);
    if (stopped) return;
    DWORD enable = kDefaultEnable;
    DWORD severity = kDefaultSeverity;
    Basalt::CObfuscatedRegKey current;
    if (current.open(registryKey.c_str()) == ERROR_SUCCESS) {
      current.readDword(L"Enable", enable);
      current.readDword(L"Severity", severity);
    }
    try {
      if (apply) apply(enable, severity);
    } catch (...) {
    }
  }
};

// The registration's context: the handler's own reference to the state. The
// handlers run in the pool's wait thread, one at a time, so at most one is
// running when the listener goes; of that handler and the listener, the one
// that finishes second frees the context.
struct CETWConfigurationListener::Watch {
  std::shared_ptr<State> state;
  std::atomic<bool> oneDone{false};

  void finish() {
    if (oneDone.exchange(true)) delete this;
  }
};

CETWConfigurationListener::CETWConfigurationListener(std::wstring registryKey, Apply apply)
    : state_(std::make_shared<State>()) {
  state_->registryKey = std::move(registryKey);
  state_->apply = std::move(apply);
}

CETWConfigurationListener::~CETWConfigurationListener() {
  state_->stopped = true;
  if (wait_ == nullptr) return;
  // Never waits (this may run under the loader lock). Success means no handler
  // is running and none will; otherwise a running one may still hold the
  // context, and the second of the two to finish frees it.
  if (::UnregisterWaitEx(wait_, nullptr)) {
    delete watch_;
  } else if (::GetLastError() == ERROR_IO_PENDING) {
    watch_->finish();
  }
  // Any other failure leaves the context to the registration: a few bytes
  // kept rather than freed under a handler.
}

void CETWConfigurationListener::start() noexcept {
  {
    std::lock_guard<Ledra::SrwMutex> lock(state_->mutex);
    if (wait_ == nullptr && state_->key.open(state_->registryKey.c_str()) == ERROR_SUCCESS) {
      state_->changed.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
      try {
        watch_ = new Watch{state_};
      } catch (...) {
        watch_ = nullptr;
      }
      if (watch_ != nullptr && state_->changed && state_->arm() &&
          !::RegisterWaitForSingleObject(&wait_, state_->changed.get(), &onChange, watch_, INFINITE,
                                         WT_EXECUTEINWAITTHREAD)) {
        wait_ = nullptr;
      }
      if (wait_ == nullptr) {
        delete watch_;
        watch_ = nullptr;
      }
    }
  }
  refresh();
}

void CETWConfigurationListener::refresh() noexcept { state_->refresh(); }

void CALLBACK CETWConfigurationListener::onChange(void* context, BOOLEAN) {
  auto* watch = static_cast<Watch*>(context);
  State& state = *watch->state;
  if (!state.stopped) {
    {
      std::lock_guard<Ledra::SrwMutex> lock(state.mutex);
      state.arm();
    }
    state.refresh();
  }
  if (state.stopped) watch->finish();
}

}  // namespace ETWLogging
