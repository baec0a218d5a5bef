#include "bench/BenchSupport.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace Bench {

double now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

double percentile(std::vector<double>& samples, double p) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const size_t index =
      std::min(samples.size() - 1, static_cast<size_t>(p / 100.0 * (samples.size() - 1) + 0.5));
  return samples[index];
}

uint64_t privateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters))) {
    return 0;
  }
  // Wine leaves PrivateUsage at 0; the commit charge (PagefileUsage) is the
  // same figure on Windows, so take whichever is known.
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

void emit(const std::string& figure, const std::vector<std::string>& fields) {
  std::string line = "{\"figure\":\"" + figure + "\"";
  for (const std::string& f : fields) line += "," + f;
  line += "}\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

std::string field(const std::string& key, double value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.6g", value);
  return "\"" + key + "\":" + text;
}

std::string field(const std::string& key, const std::string& text) {
  std::string quoted;
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return "\"" + key + "\":\"" + quoted + "\"";
}

std::string fixedField(const std::string& key, double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.*f", decimals, value);
  return "\"" + key + "\":" + text;
}

}  // namespace Bench
