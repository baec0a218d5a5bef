// The payload table of every request value, row by row: what the payload
// class's getter writes or refuses and logs, and whether the request
// catalogue's schema for that value judges the payload the same way.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "firewall/features/GetUploadedFilePathPayload.h"
#include "firewall/features/HandlerSteps.h"
#include "firewall/features/HistoryPayload.h"
#include "firewall/features/NetConnectionPayloads.h"
#include "firewall/features/NetGuardPayloads.h"
#include "firewall/features/NetworkTrustLevelPayload.h"
#include "firewall/features/PortsPayloads.h"
#include "firewall/features/ProgramPermissionPayloads.h"
#include "firewall/features/SecurityLevelPayload.h"
#include "firewall/features/SetIntrusionDetectionPayload.h"
#include "firewall/features/SetStatePayload.h"
#include "firewall/features/SmartAdvicePayload.h"
#include "tests/firewall/features/FeatureTests.h"
#include "wrappers/ScopedVariant.h"

namespace feature_test {
namespace {

using namespace Brenix;

using Get = bool (*)(const std::wstring& payload, Ledra::ScopedVariant& out);

template <class Payload, auto Get>
bool call(const std::wstring& payload, Ledra::ScopedVariant& out) {
  return (Payload(payload).*Get)(out);
}

// A payload the getter reads; it is accepted when it writes a value and logs nothing.
struct Row {
  const wchar_t* payload;
  const wchar_t* written;           // the VARIANT (empty at first) afterwards
  const wchar_t* logged = nullptr;  // the refusal's text
  const char* differs = nullptr;    // why the schema judges the payload otherwise
  bool accepted() const { return !logged && std::wstring(written) != L"EMPTY"; }
};

struct Getter {
  const char* request;  // whose catalogue schema holds the value
  const char* key;      // the value's key, "outer/inner" when nested
  Get get;
  std::vector<Row> rows;
};
Getter reads(const char* request, const char* key, Get get, std::vector<Row> rows) {
  return {request, key, get, std::move(rows)};
}

using Level = Security_level_payload;
using Smart = Smart_advice_payload;
using History = History_payload;
using Ids = Set_intrusiondetection_payload;
using Window = Get_uploadedfilepath_payload;
using Trust = Network_trust_level_payload;
using State = Set_state_payload;
using AddProg = Add_proginternetconn_payload;
using EditProg = Edit_proginternetconn_payload;
using DelProg = Delete_proginternetconn_payload;
using AddPorts = Add_portsandsysserv_payload;
using UpdPorts = Update_portsandsysserv_payload;
using DelPorts = Delete_portsandsysserv_payload;
using AddNet = Add_netconnection_payload;

constexpr char kInsideText[] =
    "the module parses a string holding the nested object; a schema cannot look inside";

constexpr wchar_t kSmart[] =
    LR"({"enable_smart_advice":true,"automatic_smart_advice":false,"enable_protection_at_startup":true})";
constexpr wchar_t kHistory[] =
    LR"({"log_events":true,"what_events_to_log":{"blocked_programs":true,"icmp_pings":false,"banned_ips":true,)"
    LR"("system_service_ports":false,"intrusion_detection":true,"unknown_events":false},)"
    LR"("dont_log_events_on_ports":true,"what_ports_not_to_log":"80,443"})";
// The event kinds as a string holding their object, without "banned_ips".
constexpr wchar_t kEventsText[] =
    LR"({"what_events_to_log":"{\"blocked_programs\":false,\"unknown_events\":true}"})";

const Getter kGetters[] = {
    // Security level and smart advice: words are exact, booleans only booleans.
    reads("UpdateTrafficController", "traffic_controller", call<Level, &Level::get_security_level>,
          {{LR"({"traffic_controller":"smart_access"})", L"I4:1"},
           {LR"({"traffic_controller":"stealth"})", L"I4:3"},
           {LR"({"traffic_controller":"Stealth"})", L"EMPTY",
            L"Security_level_payload::get_security_level(): Invalid value of szSecurityLevel received."},
           {LR"({"traffic_controller":3})", L"EMPTY", L"Attribute traffic_controller not found in json."}}),
    reads("UpdateSmartAdvice", "enable_smart_advice", call<Smart, &Smart::get_showsmart_setting>,
          {{kSmart, L"BOOL:-1"}}),
    reads("UpdateSmartAdvice", "automatic_smart_advice", call<Smart, &Smart::get_automaticsmart_setting>,
          {{kSmart, L"BOOL:0"}}),
    reads("UpdateSmartAdvice", "enable_protection_at_startup", call<Smart, &Smart::get_enableprot_setting>,
          {{kSmart, L"BOOL:-1"}}),
    reads("UpdateSmartAdvice", "allow_icmp_ping", call<Smart, &Smart::get_icmpallowed_setting>,
          {{LR"({"allow_icmp_ping":1})", L"EMPTY", L"allow_icmp_ping not found in JSON"}}),
    reads("UpdateSmartAdvice", "enable_udp_tracking", call<Smart, &Smart::get_enableudp_setting>,
          {{L"{}", L"EMPTY", L"enable_udp_tracking not found in JSON"}}),
    // History: the event kinds sit in an object, or in a string holding one.
    reads("SetHistory", "what_events_to_log/blocked_programs",
          call<History, &History::get_blockedprogram_setting>, {{kHistory, L"BOOL:-1"}}),
    reads("SetHistory", "what_events_to_log/icmp_pings", call<History, &History::get_icmpping_setting>,
          {{kHistory, L"BOOL:0"}}),
    reads("SetHistory", "what_events_to_log/system_service_ports",
          call<History, &History::get_systemserviceports_setting>, {{kHistory, L"BOOL:0"}}),
    reads("SetHistory", "what_events_to_log/intrusion_detection",
          call<History, &History::get_intrusiondetection_setting>, {{kHistory, L"BOOL:-1"}}),
    reads("SetHistory", "what_events_to_log/unknown_events",
          call<History, &History::get_unknownevents_setting>, {{kEventsText, L"BOOL:-1"}}),
    reads("SetHistory", "what_events_to_log/banned_ips", call<History, &History::get_bannedips_setting>,
          {{kHistory, L"BOOL:-1"},
           {kEventsText, L"EMPTY", L"banned_ips not found in JSON", kInsideText},
           {LR"({"what_events_to_log":"not json"})", L"EMPTY", nullptr, kInsideText},
           {LR"({"log_events":true})", L"EMPTY", L"what_events_to_log not found in JSON"}}),
    reads("SetHistory", "dont_log_events_on_ports", call<History, &History::get_dontlogevents_onports>,
          {{kHistory, L"BOOL:-1"}}),
    reads("SetHistory", "what_ports_not_to_log", call<History, &History::get_whatports_nottolog>,
          {{kHistory, L"BSTR:80,443"},
           {LR"({"what_ports_not_to_log":80})", L"EMPTY", L"what_ports_not_to_log not found in JSON"}}),
    reads("SetHistory", "log_events", call<History, &History::get_logevent_setting>,
          {{kHistory, L"BOOL:-1"},
           {LR"({"log_events":1})", L"EMPTY", L"log_events not found in JSON"},
           {L"[true]", L"EMPTY", L"log_events not found in JSON"}}),
    // Intrusion detection.
    reads(
        "SetIntrusionDetection", "intrusion_detection_level", call<Ids, &Ids::get_intrusiondetection_level>,
        {{LR"({"intrusion_detection_level":"basic"})", L"I4:0"},
         {LR"({"intrusion_detection_level":"high"})", L"I4:2"},
         {LR"({"intrusion_detection_level":"High"})", L"EMPTY",
          L"Set_intrusiondetection_payload::get_intrusiondetection_level: Invalid value of szIntrusionLevel "
          L"received."},
         {LR"({"intrusion_detection_level":2})", L"EMPTY", L"intrusion_detection_level not found in JSON"}}),
    reads("SetIntrusionDetection", "enable_intrusion_detection",
          call<Ids, &Ids::get_intrusiondetection_setting>,
          {{LR"({"enable_intrusion_detection":false})", L"BOOL:0"},
           {LR"({"enable_intrusion_detection":null})", L"EMPTY",
            L"enable_intrusion_detection not found in JSON"}}),
    // The file dialog's session: a nonzero unsigned number.
    reads("GetUploadedFilePath", "session_ID", call<Window, &Window::get_windowid>,
          {{LR"({"session_ID":1})", L"I4:1"},
           {LR"({"session_ID":4294967295})", L"I4:-1"},
           {LR"({"session_ID":0})", L"EMPTY", L"get_windowid:Invalid windowId 0"},
           {LR"({"session_ID":-1})", L"EMPTY", L"get_windowid:session_ID not found in JSON"},
           {LR"({"session_id":1})", L"EMPTY", L"get_windowid:session_ID not found in JSON"},
           {L"1", L"EMPTY", L"get_windowid:session_ID not found in JSON"}}),
    // Trust level and the firewall's state.
    reads("SetTrustLevel", "mac_address", call<Trust, &Trust::get_mac_address>,
          {{LR"({"mac_address":"00-1a-2b"})", L"BSTR:00-1a-2b"},
           {LR"({"mac_address":17})", L"EMPTY", L"mac_address not found in JSON"}}),
    reads("SetTrustLevel", "trust_level", call<Trust, &Trust::get_trust_level>,
          {{LR"({"trust_level":2})", L"I4:2"},
           {LR"({"trust_level":"2"})", L"EMPTY",
            L"Network_trust_level_payload::get_trust_level:- Attribute trust_level not found in JSON"}}),
    reads("SetState", "state", call<State, &State::get_fwstate>,
          {{LR"({"state":"on"})", L"BOOL:-1"},
           {LR"({"state":"On"})", L"BOOL:0"},
           {LR"({"state":1})", L"EMPTY", L"state not found in JSON"}}),
    reads("SetState", "reenable", call<State, &State::get_reenable_time>,
          {{LR"({"reenable":15})", L"I4:15"},
           {LR"({"reenable":1.5})", L"EMPTY", L"reenable not found in JSON"}}),
    // Program permissions: ranges read as unsigned numbers write -1.
    reads("AddProgramInternetConnection", "program_filename", call<AddProg, &AddProg::get_program_filepath>,
          {{LR"({"program_filename":"C:\\a.exe"})", L"BSTR:C:\\a.exe"},
           {L"[]", L"EMPTY", L"program_filename not found in JSON"}}),
    reads("AddProgramInternetConnection", "permission", call<AddProg, &AddProg::get_program_permission>,
          {{LR"({"permission":2})", L"I4:2"},
           {LR"({"permission":3})", L"I4:-1", L"get_program_permission::Invalid parameter received"},
           {LR"({"permission":-1})", L"I4:-1", L"get_program_permission::Invalid parameter received"},
           {LR"({"permission":"1"})", L"EMPTY", L"permission not found in JSON"}}),
    reads("AddProgramInternetConnection", "access", call<AddProg, &AddProg::get_program_scope>,
          {{LR"({"access":0})", L"I4:0"},
           {LR"({"access":-5})", L"I4:-1",
            L"Add_proginternetconn_payload::get_program_scope::Invalid parameter received"}}),
    reads(
        "AddProgramInternetConnection", "net_guard", call<AddProg, &AddProg::get_program_ipreputationn>,
        {{LR"({"net_guard":"off"})", L"I4:0"},
         {LR"({"net_guard":"ON"})", L"EMPTY",
          L"Add_proginternetconn_payload::get_program_ipreputationn: Invalid value of szNetGuard received."},
         {L"{}", L"EMPTY", L"Attribute net_guard not found in json."}}),
    reads("EditProgramInternetConnection", "program_id", call<EditProg, &EditProg::get_programid>,
          {{LR"({"program_id":-7})", L"I4:-7"}}),
    reads("EditProgramInternetConnection", "net_guard", call<EditProg, &EditProg::get_program_ipreputationn>,
          {{LR"({"net_guard":"on"})", L"I4:1"}}),
    reads("DeleteProgramInternetConnection", "program_ids", call<DelProg, &DelProg::get_programids>,
          {{LR"({"program_ids":",4,,9,"})", L"IDS:4,9"},
           {LR"({"program_ids":"4;9"})", L"EMPTY",
            L"Failed to convert string based program_ids to Variant SafeArray."},
           {LR"({"program_ids":"1 2"})", L"EMPTY",
            L"convert_strnumtovariant_safearray::Invalid string received."},
           {LR"({"program_ids":"-3"})", L"EMPTY",
            L"convert_strnumtovariant_safearray::Invalid string received."},
           {LR"({"program_ids":"2147483647,02147483648"})", L"EMPTY",
            L"convert_strnumtovariant_safearray::Id out of range: 02147483648"},
           {LR"({"program_ids":4})", L"EMPTY", L"program_ids not found in JSON"}}),
    // Ports and system services: the port lists sit in "portinfo".
    reads("AddPortsAndSystemServices", "name", call<AddPorts, &AddPorts::get_ssname>,
          {{LR"({"name":"Game"})", L"BSTR:Game"}}),
    reads("AddPortsAndSystemServices", "enabled", call<AddPorts, &AddPorts::get_ssenable_setting>,
          {{LR"({"enabled":1})", L"EMPTY", L"enabled not found in JSON"}}),
    reads("AddPortsAndSystemServices", "category", call<AddPorts, &AddPorts::get_sscategory>,
          {{LR"({"category":""})", L"BSTR:"}}),
    reads("AddPortsAndSystemServices", "portinfo/udp_local", call<AddPorts, &AddPorts::get_udp_localport>,
          {{LR"({"portinfo":"{\"tcp_local\":\"1\",\"udp_local\":\"53\"}"})", L"BSTR:53"},
           {LR"({"portinfo":{"tcp_local":"1"}})", L"EMPTY", L"udp_local not found in JSON"}}),
    reads("AddPortsAndSystemServices", "portinfo/tcp_local", call<AddPorts, &AddPorts::get_tcp_localport>,
          {{LR"({"portinfo":{"tcp_local":"80,443","udp_local":""}})", L"BSTR:80,443"},
           {L"{}", L"EMPTY", L"portinfo not found in JSON"},
           {LR"({"portinfo":"80"})", L"EMPTY", L"tcp_local not found in JSON", kInsideText}}),
    reads("AddPortsAndSystemServices", "description", call<AddPorts, &AddPorts::get_ssdescription>,
          {{LR"({"description":"d"})", L"BSTR:d"}}),
    reads("AddPortsAndSystemServices", "openportsto", call<AddPorts, &AddPorts::get_networktype>,
          {{LR"({"openportsto":1})", L"I4:1"},
           {LR"({"openportsto":2})", L"I4:-1", L"GetvNetworkTypeInvalid::Invalid parameter received"}}),
    reads("AddPortsAndSystemServices", "forwardactivity",
          call<AddPorts, &AddPorts::get_fwdportactivity_setting>,
          {{LR"({"forwardactivity":false})", L"BOOL:0"}}),
    reads("UpdatePortsAndSystemServices", "portsysid", call<UpdPorts, &UpdPorts::get_portsysid>,
          {{LR"({"portsysid":"7"})", L"EMPTY", L"portsysid not found in JSON"},
           {LR"({"portsysid":7})", L"I4:7"}}),
    reads("DeletePortsAndSystemServices", "portsysid", call<DelPorts, &DelPorts::get_portsysid>,
          {{LR"({"portsysid":"7,12"})", L"IDS:7,12"},
           {LR"({"portsysid":"7;12"})", L"EMPTY",
            L"Failed to convert string based portsysid id to Variant array"}}),
    // Net guard: the switch is a number, an entry's action a VT_BOOL.
    reads("SetNetGuard", "enable_net_guard",
          call<Set_netguard_payload, &Set_netguard_payload::is_netguard_enable>,
          {{LR"({"enable_net_guard":true})", L"I4:1"},
           {LR"({"enable_net_guard":1})", L"EMPTY", L"enable_net_guard not found in JSON"}}),
    reads("EditNetGuard", "action", call<Edit_netguard_payload, &Edit_netguard_payload::get_netguard_action>,
          {{LR"({"action":1})", L"BOOL:-1"},
           {LR"({"action":0})", L"BOOL:0"},
           {LR"({"action":2})", L"EMPTY", L"Invalid value received in payload."}}),
    reads("EditNetGuard", "SSID", call<Edit_netguard_payload, &Edit_netguard_payload::get_netssid>,
          {{LR"({"SSID":"3"})", L"EMPTY", L"SSID not found in JSON"}}),
    reads("DeleteNetGuard", "SSIDs", call<Delete_netguard_payload, &Delete_netguard_payload::get_netssids>,
          {{LR"({"SSIDs":""})", L"IDS:"},
           {LR"({"SSIDs":"a"})", L"EMPTY",
            L"Failed to convert string based SSID list id to Variant SafeArray."}}),
    // Network connections: presence and JSON type only.
    reads("AddNetworkConnection", "notes", call<AddNet, &AddNet::get_notes>,
          {{LR"({"notes":"Lab"})", L"BSTR:Lab"}}),
    reads("AddNetworkConnection", "IPType", call<AddNet, &AddNet::get_iptype>,
          {{LR"({"IPType":-2147483648})", L"I4:-2147483648"},
           {LR"({"IPType":2147483648})", L"EMPTY", L"IPType not found in JSON"}}),
    reads("AddNetworkConnection", "IsIpV4", call<AddNet, &AddNet::is_ipv4_conn>,
          {{L"{}", L"EMPTY", L"IsIpV4 not found in JSON"}}),
    reads("AddNetworkConnection", "StartAddress", call<AddNet, &AddNet::get_start_address>,
          {{LR"({"StartAddress":"10.0.0.1"})", L"BSTR:10.0.0.1"}}),
    reads("AddNetworkConnection", "EndAddress", call<AddNet, &AddNet::get_end_address>,
          {{LR"({"EndAddress":""})", L"BSTR:"}}),
    reads("AddNetworkConnection", "network_type", call<AddNet, &AddNet::get_network_type>,
          {{LR"({"network_type":9})", L"I4:9"}}),
    reads("AddNetworkConnection", "ExpiresIn", call<AddNet, &AddNet::get_expiresin_days>,
          {{LR"({"ExpiresIn":"4"})", L"EMPTY", L"ExpiresIn not found in JSON"}}),
    reads("EditNetworkConnection", "uniqueID",
          call<Edit_netconnection_payload, &Edit_netconnection_payload::get_uniqueid>,
          {{LR"({"uniqueID":12})", L"I4:12"}}),
    reads("DeleteNetworkConnection", "uniqueIDs",
          call<Delete_netconnection_payload, &Delete_netconnection_payload::get_uniqueids>,
          {{LR"({"uniqueIDs":"3,8"})", L"IDS:3,8"}}),
};

// The catalogue's schema of the one value a getter reads: the request's schema
// cut down to that key (inside its nested object).
rapidjson::Document valueSchema(const Getter& g) {
  const rapidjson::Value& payload = catalogueEntry(g.request)["payload"];
  std::string key = g.key;
  const size_t slash = key.find('/');
  const std::string outer = key.substr(0, slash);
  rapidjson::Document schema;
  auto& a = schema.GetAllocator();
  schema.CopyFrom(payload, a);
  rapidjson::Value kept(schema["properties"][outer.c_str()], a);
  if (slash != std::string::npos) {
    const std::string inner = key.substr(slash + 1);
    rapidjson::Value innerSchema(kept["properties"][inner.c_str()], a);
    kept["properties"].SetObject().AddMember(rapidjson::Value(inner.c_str(), a), innerSchema, a);
    kept["required"].SetArray().PushBack(rapidjson::Value(inner.c_str(), a), a);
  }
  schema["properties"].SetObject().AddMember(rapidjson::Value(outer.c_str(), a), kept, a);
  schema["required"].SetArray().PushBack(rapidjson::Value(outer.c_str(), a), a);
  schema.RemoveMember("anyOf");
  return schema;
}

// Each row, and a text that is not JSON, which every getter refuses without a log.
TEST(PayloadTable, EachRowIsReadLoggedAndJudgedByTheCatalogueAlike) {
  size_t rows = 0, differing = 0;
  for (const Getter& g : kGetters) {
    const rapidjson::Document schema = valueSchema(g);
    for (const Row& r : g.rows) {
      SCOPED_TRACE(std::string(g.request) + " " + narrow(r.payload));
      Ledra::ScopedVariant out;
      const LogScope log;
      EXPECT_EQ(r.accepted(), g.get(r.payload, out));
      EXPECT_EQ(narrow(r.written), narrow(describe(out.get())));
      const auto lines = log.lines();
      EXPECT_EQ(r.logged == nullptr, lines.empty());
      EXPECT_EQ(r.logged ? 1u : 0u, log.countMessage(r.logged ? r.logged : L""));
      for (const auto& line : lines) {
        EXPECT_EQ(L"Error", line.severity);
        EXPECT_EQ(L"Requests", line.file);
      }
      EXPECT_EQ(r.accepted() != (r.differs != nullptr), validates(schema, r.payload)) << r.differs;
      ++rows;
      differing += r.differs != nullptr;
    }
    Ledra::ScopedVariant out;
    const LogScope log;
    EXPECT_FALSE(g.get(L"{not json", out)) << g.request << " " << g.key;
    EXPECT_EQ(VT_EMPTY, out.type());
    EXPECT_TRUE(log.lines().empty());
  }
  std::cout << "payload rows: " << rows - differing << " agree with the catalogue, " << differing
            << " differ on purpose\n";
}

TEST(PayloadTable, TheTrustLevelIsHandedToTheComponentAsAnUnsignedNumber) {
  ChangeValues values(payloads::kSetTrustLevel);
  ASSERT_TRUE(values.read(Request(LR"({"mac_address":"00-1A","trust_level":2})")));
  EXPECT_EQ(L"BSTR:00-1A", describe(values[0]));
  EXPECT_EQ(L"UI4:2", describe(values[1]));
}

}  // namespace
}  // namespace feature_test
