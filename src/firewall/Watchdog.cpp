// The ignore-firewall property and the unload watchdog.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "message/JSONParser.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";
constexpr wchar_t kPropertyFunction[] = L"Ledra::TarnModuleImpl::onPropertyIgnoreFirewallAlert";
constexpr wchar_t kWatchdogFunction[] = L"Ledra::TarnModuleImpl::unload_watchdog_main";

constexpr wchar_t kProcessingProperty[] = L"Processing property: %s";
constexpr wchar_t kReadFailed[] = L"Error: failed to retrieve property '%s' value.";
constexpr wchar_t kParseFailed[] = L"Error: parsing property '%s' value.";
constexpr wchar_t kMemberMissing[] = L"Error getting the right value for %s";
constexpr wchar_t kUnloadFailed[] = L"Unload failed. Encountered error %ul.";
constexpr wchar_t kIgnoreFirewallKey[] = L"ignore_firewall";
constexpr wchar_t kRefreshState[] = L"Core.Firewall.RefreshState";

}  // namespace

ModuleStatus TarnModuleImpl::onPropertyIgnoreFirewallAlert(const std::wstring& propertyName,
                                                           bool fromNotification) {
  const ModuleStatus status = [&]() -> ModuleStatus {
    LEDRA_LOG(logging::Normal, kPropertyFunction, 306, kProcessingProperty, propertyName.c_str());
    std::wstring value;
    const std::shared_ptr<SettingsManager> manager = currentSettingsManager();
    if (!manager || !manager->getProperty(propertyName, value, kPropertyReadTimeout)) {
      LEDRA_LOG(logging::Error, kPropertyFunction, 310, kReadFailed, propertyName.c_str());
      return MODULE_STATUS_UNSUCCESSFUL;
    }
    JSONParser parser;
    if (!parser.parse(value)) {
      LEDRA_LOG(logging::Error, kPropertyFunction, 321, kParseFailed, propertyName.c_str());
      return MODULE_STATUS_UNSUCCESSFUL;
    }
    bool ignore = false;
    if (!parser.getBool(kIgnoreFirewallKey, ignore)) {
      LEDRA_LOG(logging::Error, kPropertyFunction, 331, kMemberMissing, kIgnoreFirewallKey);
      return MODULE_STATUS_INVALID_PARAMETER;
    }
    ignoreFirewall = ignore;
    // The module answers this itself with a state notification carrying "off_by_user".
    const auto refresh = Message::create(kRefreshState, getName(), L"");
    return refresh ? publish(refresh) : MODULE_STATUS_UNSUCCESSFUL;
  }();
  if (fromNotification) resetUnloadWatchdog(idleUnloadTime_);
  return status;
}

bool TarnModuleImpl::isIdle() {
  std::lock_guard<Ledra::SrwMutex> lock(queueMutex);
  return queue.empty() && !stopRequested;
}

int64_t TarnModuleImpl::steadyNowNanoseconds() const {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void TarnModuleImpl::resetUnloadWatchdog(std::chrono::milliseconds idleTime) {
  std::lock_guard<Ledra::SrwMutex> lock(watchdogMutex);
  if (!isIdle()) return;  // the re-arm after the last queued message sets the deadline
  unloadDeadline = steadyNowNanoseconds() + std::chrono::nanoseconds(idleTime).count();
  if (!watchdogRunning) {
    if (watchdogThread.joinable()) watchdogThread.join();
    // Marked running before the thread takes the mutex, so that a second re-arm
    // in between does not try to join a thread that waits for the idle time.
    watchdogRunning = true;
    watchdogThread = std::thread(&TarnModuleImpl::unload_watchdog_main, this);
  }
}

// Holds watchdogMutex except while waiting, and while asking the host to
// unload: the host's callback must not wait for StopModule or DestroyModule
// of this module (both need this mutex or this thread's end).
void TarnModuleImpl::unload_watchdog_main() {
  std::unique_lock<Ledra::SrwMutex> lock(watchdogMutex);
  watchdogRunning = true;
  for (;;) {
    const int64_t remaining = unloadDeadline - steadyNowNanoseconds();
    // stop() sets stopRequested under this mutex: checking it before waiting
    // means a stop that came before this thread first took the mutex is not missed.
    if (remaining >= 1 && !stopRequested) {
      watchdogWake.wait_for(lock, std::chrono::nanoseconds(remaining),
                            [this] { return stopRequested.load(); });
    }
    if (stopRequested) break;
    if (steadyNowNanoseconds() >= unloadDeadline) break;
  }
  if (isIdle()) {
    const ModuleStatus status = unload();
    if (status != MODULE_STATUS_SUCCESS) {
      LEDRA_LOG(logging::Error, kWatchdogFunction, 1448, kUnloadFailed, status);
    }
  }
  watchdogRunning = false;
}

}  // namespace Ledra
