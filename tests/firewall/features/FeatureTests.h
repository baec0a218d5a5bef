// Shared by the features' tests: the program's own log lines (LogScope), this
// program's folder, VARIANTs as text, and the request catalogue the build
// wrote (build/catalogue, by the fixture features_catalogue).
#pragma once

#include <windows.h>

#include <rapidjson/document.h>

#include <string>

#include "tests/support/LogScope.h"

namespace feature_test {

using tarn_test::LogScope;

std::wstring binFolder();
// UTF-8, for gtest messages and the JSON parser.
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
