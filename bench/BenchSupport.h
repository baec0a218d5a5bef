// Shared by the benchmark programs: a high-resolution clock, percentiles,
// the process's private bytes and the one-JSON-line output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Bench {

// Seconds from an arbitrary origin, high resolution.
double now();
// The p-th percentile (0..100) of the samples; sorts them.
double percentile(std::vector<double>& samples, double p);
// The process's private bytes (commit charge).
uint64_t privateBytes();

// {"figure":"...", fields...}: fields are already JSON ("\"key\":value").
void emit(const std::string& figure, const std::vector<std::string>& fields);
std::string field(const std::string& key, double value);
std::string field(const std::string& key, const std::string& text);  // quotes and backslashes escaped
// A number with a fixed count of decimals.
std::string fixedField(const std::string& key, double value, int decimals);

}  // namespace Bench
