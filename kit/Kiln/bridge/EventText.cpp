#include "kit/Kiln/bridge/EventText.h"

#include <windows.h>

#include <cstdio>

#include "rapidjson/stringbuffer.h"
#include "rapidjson/writer.h"
#include "kit/Kiln/StatusText.h"
#include "kit/Kiln/Text.h"

namespace Kiln {
namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void text(Writer& writer, const char* key, const std::string& value) {
  writer.Key(key);
  writer.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
}

void text(Writer& writer, const char* key, const std::wstring& value) { text(writer, key, toUtf8(value)); }

void message(Writer& writer, const SeenMessage& seen, const std::string& time) {
  writer.StartObject();
  text(writer, "time", time);
  text(writer, "name", seen.name);
  text(writer, "sender", seen.sender);
  text(writer, "kind", std::wstring(flagWord(seen.flags)));
  text(writer, "payload", seen.payload);
  writer.EndObject();
}

void module(Writer& writer, const ModuleState& state) {
  writer.StartObject();
  text(writer, "name", state.name);
  writer.Key("running");
  writer.Bool(state.running);
  text(writer, "reason", state.reason);
  writer.EndObject();
}

std::string finished(const rapidjson::StringBuffer& buffer) {
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace

std::string busMessageJson(const SeenMessage& seen, const std::string& time) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  message(writer, seen, time);
  return finished(buffer);
}

std::string moduleJson(const ModuleState& state) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  module(writer, state);
  return finished(buffer);
}

std::string modulesJson(const std::vector<ModuleState>& modules) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  writer.StartObject();
  writer.Key("modules");
  writer.StartArray();
  for (const ModuleState& state : modules) module(writer, state);
  writer.EndArray();
  writer.EndObject();
  return finished(buffer);
}

std::string replyJson(uint32_t status, const SeenMessage* reply, const std::string& time) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  writer.StartObject();
  writer.Key("answered");
  writer.Bool(reply != nullptr);
  if (reply) {
    writer.Key("reply");
    message(writer, *reply, time);
  } else {
    text(writer, "status", statusText(status));
  }
  writer.EndObject();
  return finished(buffer);
}

std::string serverSentEvent(const char* name, const std::string& json) {
  return std::string("event: ") + name + "\ndata: " + json + "\n\n";
}

std::string clockText() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof(text), "%02u:%02u:%02u.%03u", now.wHour, now.wMinute, now.wSecond,
                now.wMilliseconds);
  return text;
}

}  // namespace Kiln
