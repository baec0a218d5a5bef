#include "tests/firewall/features/FeatureTests.h"

#include <gtest/gtest.h>

#include <rapidjson/schema.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "firewall/features/NotifyCudResult.h"

namespace feature_test {

std::wstring binFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path().wstring();
}

std::string narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
  }
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
    std::stringstream text;
    text
        << std::ifstream((binFolder() + L"\\..\\catalogue\\requests.json").c_str(), std::ios::binary).rdbuf();
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
  payload.Parse(narrow(text).c_str());
  if (payload.HasParseError() || !schema.IsObject()) return false;
  const rapidjson::SchemaDocument compiled(schema);
  rapidjson::SchemaValidator validator(compiled);
  return payload.Accept(validator);
}

}  // namespace feature_test
