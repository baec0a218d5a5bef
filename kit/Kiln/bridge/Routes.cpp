#include "kit/Kiln/bridge/Routes.h"

#include <regex>

#include "rapidjson/document.h"
#include "rapidjson/error/en.h"
#include "rapidjson/stringbuffer.h"
#include "rapidjson/writer.h"

namespace Kiln {
namespace {

Decision refuse(unsigned status, std::string reason, std::string allow = std::string()) {
  Decision decision;
  decision.status = status;
  decision.reason = std::move(reason);
  decision.allow = std::move(allow);
  return decision;
}

Decision accept(Route route, std::string argument = std::string()) {
  Decision decision;
  decision.route = route;
  decision.argument = std::move(argument);
  return decision;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

Decision routeRequest(const HttpHead& head, const std::string& authority) {
  // The Host check keeps out pages of other sites that resolve their own name
  // to this machine; the Origin check keeps out their scripts.
  if (head.host != authority) return refuse(421, "this bridge serves only requests to " + authority);
  if (head.hasOrigin && head.origin != "http://" + authority)
    return refuse(403, "requests from other origins are refused: " + head.origin);

  const std::string path = head.target.substr(0, head.target.find('?'));
  static const std::regex file("/([A-Za-z0-9_-]+\\.(html|css|js|svg|png|ico))");
  static const std::regex module("/api/modules/([A-Za-z0-9_.-]+)/(load|unload)");
  std::smatch match;

  std::string allow = "GET";
  Route route = Route::Page;
  std::string argument;
  if (path == "/") {
    argument = "index.html";
  } else if (std::regex_match(path, match, file)) {
    route = Route::File;
    argument = match[1];
  } else if (path == "/api/catalogue") {
    route = Route::Catalogue;
  } else if (path == "/api/events") {
    route = Route::Events;
  } else if (path == "/api/modules") {
    route = Route::Modules;
  } else if (path == "/api/publish" || path == "/api/request") {
    allow = "POST";
    route = path == "/api/publish" ? Route::Publish : Route::Request;
  } else if (std::regex_match(path, match, module)) {
    allow = "POST";
    route = match[2] == "load" ? Route::LoadModule : Route::UnloadModule;
    argument = match[1];
  } else {
    return refuse(404, "no such page: " + path);
  }
  if (head.method != allow)
    return refuse(405, head.method + " is not served on " + path + " (only " + allow + ")", allow);
  if (allow == "POST" && !startsWith(head.contentType, "application/json"))
    return refuse(415, "the body must be sent as application/json");
  return accept(route, argument);
}

bool readOutgoing(const std::string& body, const Catalogue& catalogue, Outgoing& out, unsigned& status,
                  std::string& reason) {
  status = 400;
  if (!catalogue.loaded()) {
    status = 503;
    reason = "no catalogue is loaded, so no request can be sent";
    return false;
  }
  rapidjson::Document document;
  document.Parse<rapidjson::kParseValidateEncodingFlag>(body.c_str(), body.size());
  if (document.HasParseError()) {
    reason = std::string("the body is not JSON: ") + rapidjson::GetParseError_En(document.GetParseError()) +
             " (at byte " + std::to_string(document.GetErrorOffset()) + ")";
    return false;
  }
  if (!document.IsObject() || !document.HasMember("name") || !document["name"].IsString()) {
    reason = "the body needs a \"name\" text";
    return false;
  }
  out.name.assign(document["name"].GetString(), document["name"].GetStringLength());
  if (!document.HasMember("payload")) {
    reason = "the body needs a \"payload\"";
    return false;
  }
  if (!catalogue.lists(out.name)) {
    status = 403;
    reason = "not a request of the catalogue: " + out.name;
    return false;
  }
  rapidjson::StringBuffer text;
  rapidjson::Writer<rapidjson::StringBuffer> writer(text);
  document["payload"].Accept(writer);
  out.payload.assign(text.GetString(), text.GetSize());
  status = 200;
  return true;
}

}  // namespace Kiln
