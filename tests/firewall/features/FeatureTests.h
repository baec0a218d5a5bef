// Shared by the features' tests: the program's own log folder and a watch over
// the lines written after a point, VARIANTs as text, and the request catalogue
// the build wrote (build/catalogue, by the fixture features_catalogue).
#pragma once

#include <windows.h>

#include <rapidjson/document.h>

#include <string>
#include <vector>

namespace feature_test {

// Lines written after the watch was made.
class LogWatch {
 public:
  LogWatch();
  std::vector<std::wstring> newLines() const;
  // New lines whose message ends with the text.
  size_t count(const std::wstring& text) const;
  // Waits, up to a generous deadline, until count(text) reaches n.
  bool waitFor(const std::wstring& text, size_t n = 1) const;

 private:
  size_t start_;
};

// For gtest messages.
std::string narrow(const std::wstring& text);
// "EMPTY", "I4:n", "UI4:n", "BOOL:n", "BSTR:text", "BSTR:(null)", "IDS:a,b" or "VT:n".
std::wstring describe(const VARIANT& value);

// The request catalogue's list of requests.
const rapidjson::Value& catalogueRequests();
// The catalogue's entry of a request ("Core.Firewall." + name); fails the test when absent.
const rapidjson::Value& catalogueEntry(const std::string& name);
// Whether the JSON text validates against the schema; a text that does not parse never does.
bool validates(const rapidjson::Value& schema, const std::wstring& text);

}  // namespace feature_test
