#include "Logging/ETWLogging.h"

#include <new>
#include <utility>

#include "Logging/LogPaths.h"

namespace ETWLogging {
namespace {

class AdvapiEtw : public IEtwApi {
 public:
  ULONG registerTraceGuids(WMIDPREQUEST callback, void* context, const GUID& provider,
                           TRACE_GUID_REGISTRATION& eventClass, TRACEHANDLE* registration) override {
    return ::RegisterTraceGuidsW(callback, context, &provider, 1, &eventClass, nullptr, nullptr,
                                 registration);
  }
  ULONG traceEvent(TRACEHANDLE session, EVENT_TRACE_HEADER* header) override {
    return ::TraceEvent(session, header);
  }
  TRACEHANDLE getTraceLoggerHandle(void* buffer) override { return ::GetTraceLoggerHandle(buffer); }
  UCHAR getTraceEnableLevel(TRACEHANDLE session) override { return ::GetTraceEnableLevel(session); }
  ULONG getTraceEnableFlags(TRACEHANDLE session) override { return ::GetTraceEnableFlags(session); }
  ULONG unregisterTraceGuids(TRACEHANDLE registration) override {
    return ::UnregisterTraceGuids(registration);
  }
};

std::wstring processImageName() {
  std::wstring name = moduleBaseName(nullptr);
  return name.empty() ? L"_unknown" : name;
}

}  // namespace

std::shared_ptr<IEtwApi> defaultEtwApi() { return std::make_shared<AdvapiEtw>(); }

CETWLogging::CETWLogging(std::shared_ptr<IEtwApi> api, std::wstring registryKey)
    : api_(api ? std::move(api) : defaultEtwApi()), registryKey_(std::move(registryKey)) {}

CETWLogging::~CETWLogging() {
  listener_.reset();
  if (registration_ != 0) api_->unregisterTraceGuids(registration_);
}

uint32_t CETWLogging::initialize(const wchar_t* group, HMODULE module, const wchar_t* host) noexcept {
  return initializeEx(0, group, module, host);
}

uint32_t CETWLogging::initializeEx(uint64_t value, const wchar_t* group, HMODULE module,
                                   const wchar_t* host) noexcept {
  if (initialised_) return kErrorAlreadyInitialized;
  if ((group != nullptr && *group == L'\0') || (host != nullptr && *host == L'\0'))
    return kErrorInvalidParameter;
  try {
    properties_ = internal::ETWAppProperties::load(registryKey_.c_str());
    texts_[0] = group != nullptr ? group : L"";
    texts_[1] = host != nullptr ? host : L"";
    texts_[2] = moduleBaseName(module);
    texts_[3] = processImageName();
    for (int i = 0; i < 4; ++i) identity_.texts[i] = texts_[i].c_str();
    identity_.processValue = ::GetCurrentProcessId();
    identity_.value = value;
    listener_ = std::make_unique<CETWConfigurationListener>(
        registryKey_, [switches = switches_](DWORD enable, DWORD severity) {
          switches->providerOn = enable != 0;
          switches->threshold = severity;
        });
    listener_->start();
    classRegistration_.Guid = &kEventClassGuid;
    const ULONG status = api_->registerTraceGuids(&CETWLogging::controlCallback, this, properties_.providerId,
                                                  classRegistration_, &registration_);
    if (status != ERROR_SUCCESS) {
      listener_.reset();
      registration_ = 0;
      return status;
    }
  } catch (...) {
    listener_.reset();
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  initialised_ = true;
  return 0;
}

bool CETWLogging::isEnabled(uint32_t severity) const noexcept {
  return severity >= switches_->threshold || severity == 3;
}

uint32_t CETWLogging::log(uint32_t severity, const wchar_t* file, const wchar_t* function, int line,
                          const wchar_t* message) noexcept {
  if (!initialised_) return ERROR_INVALID_HANDLE;
  const TRACEHANDLE session = session_;
  // No session listens, or the provider is switched off: nothing to send.
  if (session == 0 || !switches_->providerOn) return 0;
  try {
    EtwEvent event;
    buildEtwEvent(event, severity, identity_, ::GetCurrentThreadId(), file, function, line, message);
    return api_->traceEvent(session, &event.traced.header);
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

ULONG CETWLogging::control(WMIDPREQUESTCODE code, void* buffer) noexcept {
  switch (code) {
    case WMI_ENABLE_EVENTS: {
      const TRACEHANDLE session = api_->getTraceLoggerHandle(buffer);
      if (session == 0 || session == static_cast<TRACEHANDLE>(-1)) {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_INVALID_HANDLE;
      }
      sessionLevel_ = api_->getTraceEnableLevel(session);
      sessionFlags_ = api_->getTraceEnableFlags(session);
      session_ = session;
      return ERROR_SUCCESS;
    }
    case WMI_DISABLE_EVENTS:
      session_ = 0;
      sessionLevel_ = 0;
      sessionFlags_ = 0;
      return ERROR_SUCCESS;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

ULONG WINAPI CETWLogging::controlCallback(WMIDPREQUESTCODE code, void* context, ULONG*, void* buffer) {
  return context != nullptr ? static_cast<CETWLogging*>(context)->control(code, buffer)
                            : ERROR_INVALID_PARAMETER;
}

}  // namespace ETWLogging
