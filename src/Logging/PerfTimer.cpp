#include "Logging/PerfTimer.h"

#include <windows.h>

#include <utility>

#include "Logging/Log.h"

namespace Ledra {
namespace internal {
namespace {

constexpr wchar_t kLogFile[] = L"performance\\PerfTimer";
constexpr wchar_t kTimerLine[] = L"M12NPerfTimer|%ls|%lld|%lld|%lld";

// Milliseconds of unbiased interrupt time (it does not run while asleep).
long long nowMilliseconds() noexcept {
  ULONGLONG ticks = 0;
  ::QueryUnbiasedInterruptTime(&ticks);
  return static_cast<long long>(ticks / 10000);
}

}  // namespace

PerfTimer::PerfTimer(std::wstring name) : name_(std::move(name)), start_(nowMilliseconds()) {}

PerfTimer::~PerfTimer() { stop(); }

void PerfTimer::stop() noexcept {
  if (stopped_) return;
  const long long end = nowMilliseconds();
  LEDRA_LOG(logging::Normal, L"Ledra::internal::PerfTimer::stop", __LINE__, kTimerLine, name_.c_str(), start_,
            end, end - start_);
  stopped_ = true;
}

}  // namespace internal
}  // namespace Ledra
