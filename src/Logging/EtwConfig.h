// Settings of the ETW back end: fixed defaults, overridden from the registry.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace ETWLogging {

constexpr wchar_t kLoggingKey[] = L"SOFTWARE\\Brenix\\Logging";

namespace internal {

struct ETWAppProperties {
  std::wstring registryKey = kLoggingKey;
  std::wstring sessionKey = std::wstring(kLoggingKey) + L"\\Session";        // "Session"
  std::wstring controllerKey = std::wstring(kLoggingKey) + L"\\Controller";  // "Controller"
  std::wstring providerKey = std::wstring(kLoggingKey) + L"\\Provider";      // "Provider"
  std::wstring logPath;         // "Log Path"; default <common app data>\Brenix\BXLOGS
  std::wstring etlPath;         // "ETL Path"; default <log path>\ETW
  std::wstring controllerPath;  // "Controller Path"; none by default
  std::wstring sessionName = L"Brenix.{E4367DA7-2B80-47f3-86D2-7626A18FC6F4}";  // "Session Name"
  GUID sessionId = {
      0xE16CA450, 0x55CC, 0x11E0, {0xB8, 0xAF, 0x08, 0x00, 0x20, 0x0C, 0x9A, 0x66}};  // "Session ID Guid"
  GUID providerId = {
      0x491FB070, 0x54CC, 0x11E0, {0xB8, 0xAF, 0x08, 0x00, 0x20, 0x0C, 0x9A, 0x66}};   // "Provider Guid"
  std::wstring ownerMutex = L"Global\\Brenix.{0696D115-BE52-46c3-BFEE-D73A305B6581}";  // "Owner Mutex Name"

  // The defaults with the values found under HKLM\registryKey laid over them;
  // a missing key or value, or a GUID that does not parse, keeps the default.
  static ETWAppProperties load(const wchar_t* registryKey = kLoggingKey);
};

}  // namespace internal

// Follows "Enable" and "Severity" of the logging key: reads them once on
// start() and again, on a thread of the system's pool, whenever a value of the
// key changes.
//
// The listener may go while a change is being handled, and it goes at the
// latest when the library is unloaded, under the loader lock, where waiting
// for a pool thread can deadlock. So it never waits: what the handler uses is
// kept alive by the handler's own reference and dropped by whichever of the
// two finishes last, and a handler still running when the listener goes
// applies its values at most once more. `apply` must therefore own (or keep
// alive) whatever it touches.
class CETWConfigurationListener {
 public:
  using Apply = std::function<void(DWORD enable, DWORD severity)>;
  static constexpr DWORD kDefaultEnable = 1;
  static constexpr DWORD kDefaultSeverity = 3;

  CETWConfigurationListener(std::wstring registryKey, Apply apply);
  ~CETWConfigurationListener();
  CETWConfigurationListener(const CETWConfigurationListener&) = delete;
  CETWConfigurationListener& operator=(const CETWConfigurationListener&) = delete;

  // Applies the current values; watches the key when it exists.
  void start() noexcept;
  void refresh() noexcept;

 private:
  struct State;
  struct Watch;
  static void CALLBACK onChange(void* context, BOOLEAN timedOut);

  std::shared_ptr<State> state_;
  Watch* watch_ = nullptr;  // the registration's context; see ~CETWConfigurationListener
  HANDLE wait_ = nullptr;
};

}  // namespace ETWLogging
