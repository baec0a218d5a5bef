// A named stopwatch that logs its start, end and elapsed milliseconds once.
#pragma once

#include <string>

namespace Ledra {
namespace internal {

class PerfTimer {
 public:
  explicit PerfTimer(std::wstring name);
  ~PerfTimer();
  PerfTimer(const PerfTimer&) = delete;
  PerfTimer& operator=(const PerfTimer&) = delete;

  // Logs the line at severity 1 the first time; later calls do nothing.
  void stop() noexcept;

  bool stopped() const noexcept { return stopped_; }

 private:
  std::wstring name_;
  long long start_ = 0;
  bool stopped_ = false;
};

}  // namespace internal
}  // namespace Ledra
