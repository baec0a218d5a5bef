// The request catalogue against the traffic of the demo and the end-to-end
// scripts: every payload they send is judged by its request's schema as the
// module's payload tables judge it, and every answer the module gave them
// validates against that answer's schema in the catalogue.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "firewall/features/HandlerSteps.h"
#include "firewall/features/RequestCatalogue.h"
#include "tests/firewall/features/FeatureTests.h"

namespace feature_test {
namespace {

const std::wstring kSource = L"" TARN_SOURCE_DIR;

std::vector<std::string> linesOf(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The files of a folder with this extension.
std::vector<std::wstring> files(const std::wstring& folder, const std::wstring& extension) {
  std::vector<std::wstring> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == extension) found.push_back(entry.path().wstring());
  return found;
}

std::wstring wide(const std::string& text) {
  std::wstring out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()));
  out.pop_back();
  return out;
}

// The module's own judgement: its handler reads every value of the payload table.
bool moduleReads(const Brenix::catalogue::Entry& entry, const std::wstring& text) {
  const Brenix::payload::RequestPayload* table = Brenix::catalogue::payloadOf(entry);
  if (table == nullptr) return true;
  const Brenix::Request request(text);
  Brenix::ChangeValues values(*table);
  return request.isParsed() && values.read(request);
}

TEST(ScriptAgreement, EveryScriptPayloadIsJudgedByItsSchemaAsByTheModule) {
  std::vector<std::wstring> scripts = files(kSource + L"/tests/e2e", L".kiln");
  scripts.push_back(kSource + L"/kit/Kiln/demo/tour.kiln");
  size_t accepted = 0, refused = 0;
  for (const std::wstring& script : scripts) {
    for (const std::string& line : linesOf(script)) {
      // publish NAME PAYLOAD | request NAME PAYLOAD TIMEOUT | direct MODULE NAME PAYLOAD
      std::istringstream words(line);
      std::string verb, name, payload;
      words >> verb;
      if (verb != "publish" && verb != "request" && verb != "direct") continue;
      if (verb == "direct") words >> name;
      words >> name;
      std::getline(words >> std::ws, payload);
      if (verb == "request") payload = payload.substr(0, payload.find_last_of(' '));
      SCOPED_TRACE(narrow(script) + ": " + line);
      const Brenix::catalogue::Entry* entry = Brenix::catalogue::find(wide(name).c_str());
      ASSERT_NE(nullptr, entry) << "a request the catalogue does not know";
      const rapidjson::Value& schema = catalogueEntry(name)["payload"];
      const bool module = moduleReads(*entry, wide(payload));
      EXPECT_EQ(module, schema.IsNull() || validates(schema, wide(payload)));
      ++(module ? accepted : refused);
    }
  }
  std::cout << "script payloads: " << accepted << " read by the module and valid, " << refused
            << " refused by both\n";
  EXPECT_GT(accepted, 50u);
}

TEST(ScriptAgreement, EveryAnswerOfTheEndToEndRunsValidatesAgainstItsSchema) {
  // Each answer name has one schema, whichever request causes it, and the forms it may go out in.
  std::map<std::string, const rapidjson::Value*> schemas;
  std::map<std::string, std::set<std::string>> forms;
  for (const auto& request : catalogueRequests().GetArray()) {
    for (const auto& answer : request["answers"].GetArray()) {
      const std::string name = answer["name"].GetString();
      const auto known = schemas.find(name);
      EXPECT_TRUE(known == schemas.end() || *known->second == answer["schema"]) << name;
      schemas[name] = &answer["schema"];
      const std::string form = answer["form"].GetString();
      if (form != "reply") forms[name].insert("plain");
      if (form != "plain") forms[name].insert("reply");
    }
  }
  size_t checked = 0;
  for (const std::wstring& expected : files(kSource + L"/tests/e2e", L".expected")) {
    for (const std::string& line : linesOf(expected)) {
      // bus: NAME [FORM] from TarnModule: PAYLOAD, or answer: ... for a reply to the host
      const size_t from = line.find(" from TarnModule: ");
      if (from == std::string::npos || (line.rfind("bus: ", 0) != 0 && line.rfind("answer: ", 0) != 0))
        continue;
      SCOPED_TRACE(narrow(expected) + ": " + line);
      const size_t nameAt = line.find(' ') + 1;
      const size_t formAt = line.find(" [", nameAt);
      const std::string name = line.substr(nameAt, formAt - nameAt);
      const std::string form = line.substr(formAt + 2, line.find(']', formAt) - formAt - 2);
      std::string payload = line.substr(from + 18);
      if (payload == "(empty)") payload = "{}";  // an empty payload text reads as an empty object
      ASSERT_EQ(1u, schemas.count(name)) << "an answer the catalogue does not list";
      EXPECT_TRUE(validates(*schemas[name], wide(payload)));
      EXPECT_EQ(1u, forms[name].count(form));
      ++checked;
    }
  }
  std::cout << "answers of the end-to-end runs: " << checked << " valid against " << schemas.size()
            << " answer schemas\n";
  EXPECT_GT(checked, 30u);
}

}  // namespace
}  // namespace feature_test
