// Parsing and reading the demo's request payloads: through the payload classes
// the handlers use, through the framework's JSON parser they build on, and
// through raw RapidJSON on the same texts.
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
#include "firewall/features/NetConnectionPayloads.h"
#include "firewall/features/NetworkTrustLevelPayload.h"
#include "firewall/features/ProgramPermissionPayloads.h"
#include "firewall/features/SecurityLevelPayload.h"
#include "firewall/features/SetIntrusionDetectionPayload.h"
#include "firewall/features/SetStatePayload.h"
#include "firewall/features/SmartAdvicePayload.h"
#include "message/JSONParser.h"
#include "wrappers/ScopedVariant.h"

namespace {

enum class Kind { Text, Int, Bool };

struct Key {
  const wchar_t* name;
  Kind kind;
};

// Reads every value through the payload class the handler uses; answers how many were read.
using ClassReader = long (*)(const std::wstring& text);

// Each getter with a VARIANT of its own, as the handlers prepare them.
template <typename PayloadClass, typename... Getters>
long readAll(const std::wstring& text, Getters... getters) {
  const PayloadClass payload(text);
  long read = 0;
  for (auto getter : {getters...}) {
    Ledra::ScopedVariant value;
    read += (payload.*getter)(value) ? 1 : 0;
  }
  return read;
}

struct Payload {
  const wchar_t* text;
  std::vector<Key> keys;
  ClassReader throughClass;
};

const std::vector<Payload>& payloads() {
  static const std::vector<Payload> all = {
      {L"{\"traffic_controller\":\"stealth\"}",
       {{L"traffic_controller", Kind::Text}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Security_level_payload>(t,
                                                        &Brenix::Security_level_payload::get_security_level);
       }},
      {L"{\"state\":\"off\",\"reenable\":15}",
       {{L"state", Kind::Text}, {L"reenable", Kind::Int}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Set_state_payload>(t, &Brenix::Set_state_payload::get_fwstate,
                                                   &Brenix::Set_state_payload::get_reenable_time);
       }},
      {L"{\"enable_smart_advice\":true,\"automatic_smart_advice\":false,\"enable_protection_at_startup\":"
       L"true,"
       L"\"allow_icmp_ping\":false,\"enable_udp_tracking\":true}",
       {{L"enable_smart_advice", Kind::Bool},
        {L"automatic_smart_advice", Kind::Bool},
        {L"enable_protection_at_startup", Kind::Bool},
        {L"allow_icmp_ping", Kind::Bool},
        {L"enable_udp_tracking", Kind::Bool}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Smart_advice_payload>(
             t, &Brenix::Smart_advice_payload::get_showsmart_setting,
             &Brenix::Smart_advice_payload::get_automaticsmart_setting,
             &Brenix::Smart_advice_payload::get_enableprot_setting,
             &Brenix::Smart_advice_payload::get_icmpallowed_setting,
             &Brenix::Smart_advice_payload::get_enableudp_setting);
       }},
      {L"{\"enable_intrusion_detection\":true,\"intrusion_detection_level\":\"high\"}",
       {{L"enable_intrusion_detection", Kind::Bool}, {L"intrusion_detection_level", Kind::Text}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Set_intrusiondetection_payload>(
             t, &Brenix::Set_intrusiondetection_payload::get_intrusiondetection_setting,
             &Brenix::Set_intrusiondetection_payload::get_intrusiondetection_level);
       }},
      {L"{\"program_filename\":\"C:\\\\Tools\\\\demo.exe\",\"permission\":1,\"access\":0,\"net_guard\":"
       L"\"on\"}",
       {{L"program_filename", Kind::Text},
        {L"permission", Kind::Int},
        {L"access", Kind::Int},
        {L"net_guard", Kind::Text}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Add_proginternetconn_payload>(
             t, &Brenix::Add_proginternetconn_payload::get_program_filepath,
             &Brenix::Add_proginternetconn_payload::get_program_permission,
             &Brenix::Add_proginternetconn_payload::get_program_scope,
             &Brenix::Add_proginternetconn_payload::get_program_ipreputationn);
       }},
      {L"{\"notes\":\"Lab\",\"IsIpV4\":true,\"IPType\":0,\"StartAddress\":\"10.0.0.7\",\"EndAddress\":\"\","
       L"\"network_type\":1,\"ExpiresIn\":0}",
       {{L"notes", Kind::Text},
        {L"IsIpV4", Kind::Bool},
        {L"IPType", Kind::Int},
        {L"StartAddress", Kind::Text},
        {L"EndAddress", Kind::Text},
        {L"network_type", Kind::Int},
        {L"ExpiresIn", Kind::Int}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Add_netconnection_payload>(
             t, &Brenix::Add_netconnection_payload::get_notes,
             &Brenix::Add_netconnection_payload::is_ipv4_conn, &Brenix::Add_netconnection_payload::get_iptype,
             &Brenix::Add_netconnection_payload::get_start_address,
             &Brenix::Add_netconnection_payload::get_end_address,
             &Brenix::Add_netconnection_payload::get_network_type,
             &Brenix::Add_netconnection_payload::get_expiresin_days);
       }},
      {L"{\"mac_address\":\"00-1A-2B-3C-4D-5E\",\"trust_level\":2}",
       {{L"mac_address", Kind::Text}, {L"trust_level", Kind::Int}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Network_trust_level_payload>(
             t, &Brenix::Network_trust_level_payload::get_mac_address,
             &Brenix::Network_trust_level_payload::get_trust_level);
       }},
      {L"{\"program_ids\":\"2,4,9\"}",
       {{L"program_ids", Kind::Text}},
       [](const std::wstring& t) -> long {
         return readAll<Brenix::Delete_proginternetconn_payload>(
             t, &Brenix::Delete_proginternetconn_payload::get_programids);
       }},
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

long throughClass(const Payload& payload) { return payload.throughClass(payload.text); }

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
  long classSum = 0;
  long parserSum = 0;
  long rawSum = 0;
  perPayloadNs(rounds / 10 + 1, throughClass, classSum);  // warm-up
  perPayloadNs(rounds / 10 + 1, throughParser, parserSum);
  perPayloadNs(rounds / 10 + 1, throughRapidJson, rawSum);
  classSum = parserSum = rawSum = 0;
  const double classNs = perPayloadNs(rounds, throughClass, classSum);
  const double parserNs = perPayloadNs(rounds, throughParser, parserSum);
  const double rawNs = perPayloadNs(rounds, throughRapidJson, rawSum);
  const bool complete =
      classSum == expected * rounds && parserSum == expected * rounds && rawSum == expected * rounds;
  Bench::emit("json_parse_and_read",
              {Bench::field("through", std::string("payload classes")),
               Bench::field("payloads", static_cast<double>(payloads().size())),
               Bench::field("rounds", static_cast<double>(rounds)), Bench::field("ns_per_payload", classNs),
               Bench::field("all_values_read", std::string(complete ? "yes" : "no"))});
  Bench::emit("json_parse_and_read",
              {Bench::field("through", std::string("Ledra::JSONParser")),
               Bench::field("payloads", static_cast<double>(payloads().size())),
               Bench::field("rounds", static_cast<double>(rounds)), Bench::field("ns_per_payload", parserNs),
               Bench::field("all_values_read", std::string(complete ? "yes" : "no"))});
  Bench::emit("json_parse_and_read",
              {Bench::field("through", std::string("rapidjson")),
               Bench::field("payloads", static_cast<double>(payloads().size())),
               Bench::field("rounds", static_cast<double>(rounds)), Bench::field("ns_per_payload", rawNs)});
  Bench::emit("json_ratio", {Bench::field("classes_over_rapidjson", rawNs > 0 ? classNs / rawNs : 0),
                             Bench::field("parser_over_rapidjson", rawNs > 0 ? parserNs / rawNs : 0)});
  return complete ? 0 : 1;
}
