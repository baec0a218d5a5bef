// The ETW back end: each line becomes a classic trace event of our provider.
//
// The provider only registers and follows the controller's enable and disable
// calls; starting the session (its ETL file and buffers) is the job of an
// outside controller, so the controller entries of the settings are carried
// but not acted on here. The four identity slots of an event hold the group,
// the host, the module base name and the process image name; the process
// value is the process id and the closing 8-byte value is the identity's value.
#pragma once

#include <windows.h>
#include <evntrace.h>

#include <atomic>
#include <memory>
#include <string>

#include "Logging/EtwConfig.h"
#include "Logging/EtwEvent.h"
#include "Logging/LoggingIf.h"

namespace ETWLogging {

// The provider calls of advapi32, injectable because not every platform traces.
class IEtwApi {
 public:
  virtual ~IEtwApi() = default;
  virtual ULONG registerTraceGuids(WMIDPREQUEST callback, void* context, const GUID& provider,
                                   TRACE_GUID_REGISTRATION& eventClass, TRACEHANDLE* registration) = 0;
  virtual ULONG traceEvent(TRACEHANDLE session, EVENT_TRACE_HEADER* header) = 0;
  virtual TRACEHANDLE getTraceLoggerHandle(void* buffer) = 0;
  virtual UCHAR getTraceEnableLevel(TRACEHANDLE session) = 0;
  virtual ULONG getTraceEnableFlags(TRACEHANDLE session) = 0;
  virtual ULONG unregisterTraceGuids(TRACEHANDLE registration) = 0;
};
std::shared_ptr<IEtwApi> defaultEtwApi();

class CETWLogging : public CLoggingIf_ex {
 public:
  // api: null for advapi32. registryKey: the HKLM key of the settings.
  explicit CETWLogging(std::shared_ptr<IEtwApi> api = nullptr, std::wstring registryKey = kLoggingKey);
  ~CETWLogging() override;
  CETWLogging(const CETWLogging&) = delete;
  CETWLogging& operator=(const CETWLogging&) = delete;

  uint32_t initialize(const wchar_t* group, HMODULE module, const wchar_t* host) noexcept override;
  uint32_t initializeEx(uint64_t value, const wchar_t* group, HMODULE module,
                        const wchar_t* host) noexcept override;
  bool isEnabled(uint32_t severity) const noexcept override;
  uint32_t log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line,
               const wchar_t* message) noexcept override;

  // The provider's control callback: enable and disable; 87 for any other code.
  ULONG control(WMIDPREQUESTCODE code, void* buffer) noexcept;

  const internal::ETWAppProperties& properties() const noexcept { return properties_; }

 private:
  static ULONG WINAPI controlCallback(WMIDPREQUESTCODE code, void* context, ULONG* size, void* buffer);

  // "Enable" and "Severity" as the listener last read them; shared with the
  // listener, whose change handler may still write here after this logger goes.
  struct Switches {
    std::atomic<bool> providerOn{true};
    std::atomic<uint32_t> threshold{CETWConfigurationListener::kDefaultSeverity};
  };

  std::shared_ptr<IEtwApi> api_;
  std::wstring registryKey_;
  internal::ETWAppProperties properties_;
  std::atomic<bool> initialised_{false};
  std::shared_ptr<Switches> switches_ = std::make_shared<Switches>();
  std::atomic<TRACEHANDLE> session_{0};
  std::atomic<UCHAR> sessionLevel_{0};
  std::atomic<ULONG> sessionFlags_{0};
  TRACEHANDLE registration_ = 0;
  TRACE_GUID_REGISTRATION classRegistration_ = {};
  std::wstring texts_[4];
  EventIdentity identity_;
  std::unique_ptr<CETWConfigurationListener> listener_;
};

}  // namespace ETWLogging
