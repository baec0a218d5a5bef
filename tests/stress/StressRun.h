// What the stress programs share: their sizes (the suite's by default, the
// soak's from the environment) and the summary line each prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarn_test {

// A count from the environment (the soak sets them), else the suite's.
inline unsigned stressCount(const char* variable, unsigned suite) {
  const char* text = std::getenv(variable);
  const unsigned long value = text ? std::strtoul(text, nullptr, 10) : 0;
  return value > 0 ? static_cast<unsigned>(value) : suite;
}

// One line per test of what it sent, what survived and what it measured; the soak collects them.
inline void stressSummary(const std::string& line) {
  std::printf("stress: %s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace tarn_test
