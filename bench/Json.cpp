// Parsing and reading the demo's request payloads: through the framework's
// JSON parser (what the payload classes build on) against raw RapidJSON on the
// same texts.
//
// usage: bench_json [ROUNDS]
#include <windows.h>

#include <rapidjson/document.h>
#include <rapidjson/encodings.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "message/JSONParser.h"

namespace {

enum class Kind { Text, Int, Bool };

struct Key {
  const wchar_t* name;
  Kind kind;
};

struct Payload {
  const wchar_t* text;
  std::vector<Key> keys;
};

const std::vector<Payload>& payloads() {
  static const std::vector<Payload> all = {
      {L"{\"traffic_controller\":\"stealth\"}", {{L"traffic_controller", Kind::Text}}},
      {L"{\"state\":\"off\",\"reenable\":15}", {{L"state", Kind::Text}, {L"reenable", Kind::Int}}},
      {L"{\"enable_smart_advice\":true,\"automatic_smart_advice\":false,\"enable_protection_at_startup\":"
       L"true,"
       L"\"allow_icmp_ping\":false,\"enable_udp_tracking\":true}",
       {{L"enable_smart_advice", Kind::Bool},
        {L"automatic_smart_advice", Kind::Bool},
        {L"enable_protection_at_startup", Kind::Bool},
        {L"allow_icmp_ping", Kind::Bool},
        {L"enable_udp_tracking", Kind::Bool}}},
      {L"{\"enable_intrusion_detection\":true,\"intrusion_detection_level\":\"high\"}",
       {{L"enable_intrusion_detection", Kind::Bool}, {L"intrusion_detection_level", Kind::Text}}},
      {L"{\"program_filename\":\"C:\\\\Tools\\\\demo.exe\",\"permission\":1,\"access\":0,\"net_guard\":"
       L"\"on\"}",
       {{L"program_filename", Kind::Text},
        {L"permission", Kind::Int},
        {L"access", Kind::Int},
        {L"net_guard", Kind::Text}}},
      {L"{\"notes\":\"Lab\",\"IsIpV4\":true,\"IPType\":0,\"StartAddress\":\"10.0.0.7\",\"EndAddress\":\"\","
       L"\"network_type\":1,\"ExpiresIn\":0}",
       {{L"notes", Kind::Text},
        {L"IsIpV4", Kind::Bool},
        {L"IPType", Kind::Int},
        {L"StartAddress", Kind::Text},
        {L"EndAddress", Kind::Text},
        {L"network_type", Kind::Int},
        {L"ExpiresIn", Kind::Int}}},
      {L"{\"mac_address\":\"00-1A-2B-3C-4D-5E\",\"trust_level\":2}",
       {{L"mac_address", Kind::Text}, {L"trust_level", Kind::Int}}},
      {L"{\"program_ids\":\"2,4,9\"}", {{L"program_ids", Kind::Text}}},
  };
  return all;
}

// Both sides must read every value, or the comparison is void.
long throughParser(const Payload& payload) {
  Ledra::JSONParser parser;
  if (!parser.parse(payload.text)) return -1000;
  long read = 0;
  for (const Key& key : payload.keys) {
    std::wstring text;
    int32_t number = 0;
    bool flag = false;
    switch (key.kind) {
      case Kind::Text:
        read += parser.getString(key.name, text) ? 1 : 0;
        break;
      case Kind::Int:
        read += parser.getInt(key.name, number) ? 1 : 0;
        break;
      case Kind::Bool:
        read += parser.getBool(key.name, flag) ? 1 : 0;
        break;
    }
  }
  return read;
}

long throughRapidJson(const Payload& payload) {
  using Document = rapidjson::GenericDocument<rapidjson::UTF16<wchar_t>>;
  Document document;
  document.Parse(payload.text);
  if (document.HasParseError() || !document.IsObject()) return -1000;
  long read = 0;
  for (const Key& key : payload.keys) {
    const auto member = document.FindMember(key.name);
    if (member == document.MemberEnd()) continue;
    switch (key.kind) {
      case Kind::Text:
        if (member->value.IsString()) {
          const std::wstring text(member->value.GetString(), member->value.GetStringLength());
          if (text.size() == member->value.GetStringLength()) ++read;
        }
        break;
      case Kind::Int:
        read += member->value.IsInt() ? 1 : 0;
        break;
      case Kind::Bool:
        read += member->value.IsBool() ? 1 : 0;
        break;
    }
  }
  return read;
}

template <typename Read>
double perPayloadNs(long rounds, Read read, long& checksum) {
  const double start = Bench::now();
  for (long r = 0; r < rounds; ++r) {
    for (const Payload& payload : payloads()) checksum += read(payload);
  }
  return (Bench::now() - start) * 1e9 / (static_cast<double>(rounds) * payloads().size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const long rounds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 20000;
  long expected = 0;
  for (const Payload& payload : payloads()) expected += static_cast<long>(payload.keys.size());
  long parserSum = 0;
  long rawSum = 0;
  perPayloadNs(rounds / 10 + 1, throughParser, parserSum);  // warm-up
  perPayloadNs(rounds / 10 + 1, throughRapidJson, rawSum);
  parserSum = rawSum = 0;
  const double parserNs = perPayloadNs(rounds, throughParser, parserSum);
  const double rawNs = perPayloadNs(rounds, throughRapidJson, rawSum);
  const bool complete = parserSum == expected * rounds && rawSum == expected * rounds;
  Bench::emit(
      "json_parse_and_read",
      {Bench::field("through", std::string("Ledra::JSONParser")),
       Bench::field("note", std::string("the payload classes are not in this build; measured the parser they "
                                        "derive from")),
       Bench::field("payloads", static_cast<double>(payloads().size())),
       Bench::field("rounds", static_cast<double>(rounds)), Bench::field("ns_per_payload", parserNs),
       Bench::field("all_values_read", std::string(complete ? "yes" : "no"))});
  Bench::emit("json_parse_and_read",
              {Bench::field("through", std::string("rapidjson")),
               Bench::field("payloads", static_cast<double>(payloads().size())),
               Bench::field("rounds", static_cast<double>(rounds)), Bench::field("ns_per_payload", rawNs)});
  Bench::emit("json_ratio", {Bench::field("parser_over_rapidjson", rawNs > 0 ? parserNs / rawNs : 0)});
  return complete ? 0 : 1;
}
