#include <gtest/gtest.h>
#include <objbase.h>

#include <rapidjson/schema.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "Logging/Log.h"
#include "firewall/features/NotifyCudResult.h"
#include "tests/firewall/features/FeatureTests.h"
#include "tests/support/LogScope.h"

namespace feature_test {
namespace {

std::wstring& logFolder() {
  static std::wstring directory;
  return directory;
}

std::vector<std::wstring> allLines() { return tarn_test::readLogFolder(logFolder()); }

std::wstring binFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

// Points the process logger at a group of its own: severity 1 and up, with
// file, line and function on each line (options 0x28).
void useOwnLogFolder() {
  std::wstring base = binFolder();
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  base = std::wstring(path).substr(base.size() + 1);
  base = base.substr(0, base.find_last_of(L'.'));
  static std::wstring group;
  group = L"features" + std::to_wstring(GetCurrentProcessId());
  logFolder() = tarn_test::logDirectory(group, base);
  tarn_test::writeLogIni(logFolder(), L"Severity=1\r\nOptions=40\r\n");
  Ledra::logging::setLoggingIdentity(0, group.c_str(), nullptr, nullptr, 1);
}

std::string utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
  }
  return out;
}

}  // namespace

LogWatch::LogWatch() : start_(allLines().size()) {}

std::vector<std::wstring> LogWatch::newLines() const {
  const auto lines = allLines();
  if (lines.size() <= start_) return {};
  return std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(start_), lines.end());
}

size_t LogWatch::count(const std::wstring& text) const {
  size_t found = 0;
  for (const auto& line : newLines()) {
    found += line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0;
  }
  return found;
}

bool LogWatch::waitFor(const std::wstring& text, size_t n) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (count(text) < n) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // polling the file, not synchronising
  }
  return true;
}

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

std::wstring describe(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_EMPTY:
      return L"EMPTY";
    case VT_I4:
      return L"I4:" + std::to_wstring(V_I4(&v));
    case VT_UI4:
      return L"UI4:" + std::to_wstring(V_UI4(&v));
    case VT_BOOL:
      return L"BOOL:" + std::to_wstring(V_BOOL(&v));
    case VT_BSTR:
      return V_BSTR(&v) ? L"BSTR:" + std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"BSTR:(null)";
    case VT_ARRAY | VT_VARIANT:
      return L"IDS:" + Brenix::Notify_cud_result::idList(v);
    default:
      return L"VT:" + std::to_wstring(V_VT(&v));
  }
}

const rapidjson::Value& catalogueRequests() {
  static const rapidjson::Document catalogue = [] {
    std::ifstream file((binFolder() + L"\\..\\catalogue\\requests.json").c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    rapidjson::Document document;
    document.Parse(text.str().c_str());
    return document;
  }();
  static const rapidjson::Value none(rapidjson::kArrayType);
  if (!catalogue.IsObject() || !catalogue.HasMember("requests")) {
    ADD_FAILURE() << "no request catalogue: the fixture features_catalogue writes it";
    return none;
  }
  return catalogue["requests"];
}

const rapidjson::Value& catalogueEntry(const std::string& name) {
  static const rapidjson::Value none;
  for (const auto& request : catalogueRequests().GetArray()) {
    if (request["name"] == ("Core.Firewall." + name).c_str() || request["name"] == name.c_str())
      return request;
  }
  ADD_FAILURE() << "the catalogue has no request " << name;
  return none;
}

bool validates(const rapidjson::Value& schema, const std::wstring& text) {
  rapidjson::Document payload;
  payload.Parse(utf8(text).c_str());
  if (payload.HasParseError() || !schema.IsObject()) return false;
  const rapidjson::SchemaDocument compiled(schema);
  rapidjson::SchemaValidator validator(compiled);
  return payload.Accept(validator);
}

}  // namespace feature_test

int main(int argc, char** argv) {
  feature_test::useOwnLogFolder();
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  CoUninitialize();
  if (result == 0) {
    // The group's folder; kept when a test failed, to read.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(feature_test::logFolder()).parent_path().parent_path(),
                                ignored);
  }
  return result;
}
