#include "kit/Kiln/bridge/Catalogue.h"

#include <fstream>
#include <iterator>

#include "rapidjson/document.h"
#include "rapidjson/error/en.h"

namespace Kiln {

bool Catalogue::load(const std::wstring& path, std::string& problem) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) {
    problem = "cannot read the catalogue file";
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return parse(std::move(text), problem);
}

bool Catalogue::parse(std::string text, std::string& problem) {
  rapidjson::Document document;
  document.Parse(text.c_str(), text.size());
  if (document.HasParseError()) {
    problem = std::string("the catalogue is not JSON: ") +
              rapidjson::GetParseError_En(document.GetParseError()) + " at offset " +
              std::to_string(document.GetErrorOffset());
    return false;
  }
  if (!document.IsObject() || !document.HasMember("requests") || !document["requests"].IsArray()) {
    problem = "the catalogue has no \"requests\" list";
    return false;
  }
  std::set<std::string> found;
  for (const auto& entry : document["requests"].GetArray()) {
    const bool named = entry.IsObject() && entry.HasMember("name") && entry["name"].IsString();
    if (!named || !entry.HasMember("send") || !entry["send"].IsString()) {
      problem =
          "request " + std::to_string(found.size() + 1) + " of the catalogue lacks its name or send kind";
      return false;
    }
    found.insert(std::string(entry["name"].GetString(), entry["name"].GetStringLength()));
  }
  text_ = std::move(text);
  requests_ = std::move(found);
  return true;
}

}  // namespace Kiln
