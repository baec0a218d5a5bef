// The payload table of every request value, row by row: what the payload
// class's getter writes or refuses and logs, and whether the request
// catalogue's schema for that value judges the payload the same way.
#include <gtest/gtest.h>

#include <iostream>
#include <string>

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

using Getter = bool (*)(const std::wstring& payload, Ledra::ScopedVariant& out);

template <class Payload, auto Get>
bool call(const std::wstring& payload, Ledra::ScopedVariant& out) {
  return (Payload(payload).*Get)(out);
}

struct Case {
  const char* request;  // whose catalogue schema holds the value
  const char* key;      // the value's key, "outer/inner" when nested
  Getter get;
  const wchar_t* payload;
  bool accepted;
  const wchar_t* written;  // the VARIANT (empty at first) afterwards
  const wchar_t* logged;   // the refusal's text; null: nothing is logged
  const char* differs;     // why the schema judges the payload otherwise
};

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

const Case kCases[] = {
    // Security level and smart advice: words are exact, booleans only booleans.
    {"UpdateTrafficController", "traffic_controller", call<Level, &Level::get_security_level>,
     LR"({"traffic_controller":"smart_access"})", true, L"I4:1", nullptr, nullptr},
    {"UpdateTrafficController", "traffic_controller", call<Level, &Level::get_security_level>,
     LR"({"traffic_controller":"stealth"})", true, L"I4:3", nullptr, nullptr},
    {"UpdateTrafficController", "traffic_controller", call<Level, &Level::get_security_level>,
     LR"({"traffic_controller":"Stealth"})", false, L"EMPTY",
     L"Security_level_payload::get_security_level(): Invalid value of szSecurityLevel received.", nullptr},
    {"UpdateTrafficController", "traffic_controller", call<Level, &Level::get_security_level>,
     LR"({"traffic_controller":3})", false, L"EMPTY", L"Attribute traffic_controller not found in json.",
     nullptr},
    {"UpdateSmartAdvice", "enable_smart_advice", call<Smart, &Smart::get_showsmart_setting>, kSmart, true,
     L"BOOL:-1", nullptr, nullptr},
    {"UpdateSmartAdvice", "automatic_smart_advice", call<Smart, &Smart::get_automaticsmart_setting>, kSmart,
     true, L"BOOL:0", nullptr, nullptr},
    {"UpdateSmartAdvice", "enable_protection_at_startup", call<Smart, &Smart::get_enableprot_setting>, kSmart,
     true, L"BOOL:-1", nullptr, nullptr},
    {"UpdateSmartAdvice", "allow_icmp_ping", call<Smart, &Smart::get_icmpallowed_setting>,
     LR"({"allow_icmp_ping":1})", false, L"EMPTY", L"allow_icmp_ping not found in JSON", nullptr},
    {"UpdateSmartAdvice", "enable_udp_tracking", call<Smart, &Smart::get_enableudp_setting>, L"{}", false,
     L"EMPTY", L"enable_udp_tracking not found in JSON", nullptr},
    // History: the event kinds sit in an object, or in a string holding one.
    {"SetHistory", "log_events", call<History, &History::get_logevent_setting>, kHistory, true, L"BOOL:-1",
     nullptr, nullptr},
    {"SetHistory", "what_events_to_log/blocked_programs", call<History, &History::get_blockedprogram_setting>,
     kHistory, true, L"BOOL:-1", nullptr, nullptr},
    {"SetHistory", "what_events_to_log/icmp_pings", call<History, &History::get_icmpping_setting>, kHistory,
     true, L"BOOL:0", nullptr, nullptr},
    {"SetHistory", "what_events_to_log/banned_ips", call<History, &History::get_bannedips_setting>, kHistory,
     true, L"BOOL:-1", nullptr, nullptr},
    {"SetHistory", "what_events_to_log/system_service_ports",
     call<History, &History::get_systemserviceports_setting>, kHistory, true, L"BOOL:0", nullptr, nullptr},
    {"SetHistory", "what_events_to_log/intrusion_detection",
     call<History, &History::get_intrusiondetection_setting>, kHistory, true, L"BOOL:-1", nullptr, nullptr},
    {"SetHistory", "what_events_to_log/unknown_events", call<History, &History::get_unknownevents_setting>,
     kEventsText, true, L"BOOL:-1", nullptr, nullptr},
    {"SetHistory", "what_events_to_log/banned_ips", call<History, &History::get_bannedips_setting>,
     kEventsText, false, L"EMPTY", L"banned_ips not found in JSON", kInsideText},
    {"SetHistory", "what_events_to_log/banned_ips", call<History, &History::get_bannedips_setting>,
     LR"({"what_events_to_log":"not json"})", false, L"EMPTY", nullptr, kInsideText},
    {"SetHistory", "what_events_to_log/banned_ips", call<History, &History::get_bannedips_setting>,
     LR"({"log_events":true})", false, L"EMPTY", L"what_events_to_log not found in JSON", nullptr},
    {"SetHistory", "dont_log_events_on_ports", call<History, &History::get_dontlogevents_onports>, kHistory,
     true, L"BOOL:-1", nullptr, nullptr},
    {"SetHistory", "what_ports_not_to_log", call<History, &History::get_whatports_nottolog>, kHistory, true,
     L"BSTR:80,443", nullptr, nullptr},
    {"SetHistory", "what_ports_not_to_log", call<History, &History::get_whatports_nottolog>,
     LR"({"what_ports_not_to_log":80})", false, L"EMPTY", L"what_ports_not_to_log not found in JSON",
     nullptr},
    {"SetHistory", "log_events", call<History, &History::get_logevent_setting>, LR"({"log_events":1})", false,
     L"EMPTY", L"log_events not found in JSON", nullptr},
    {"SetHistory", "log_events", call<History, &History::get_logevent_setting>, L"[true]", false, L"EMPTY",
     L"log_events not found in JSON", nullptr},
    // Intrusion detection.
    {"SetIntrusionDetection", "intrusion_detection_level", call<Ids, &Ids::get_intrusiondetection_level>,
     LR"({"intrusion_detection_level":"basic"})", true, L"I4:0", nullptr, nullptr},
    {"SetIntrusionDetection", "intrusion_detection_level", call<Ids, &Ids::get_intrusiondetection_level>,
     LR"({"intrusion_detection_level":"high"})", true, L"I4:2", nullptr, nullptr},
    {"SetIntrusionDetection", "intrusion_detection_level", call<Ids, &Ids::get_intrusiondetection_level>,
     LR"({"intrusion_detection_level":"High"})", false, L"EMPTY",
     L"Set_intrusiondetection_payload::get_intrusiondetection_level: Invalid value of szIntrusionLevel "
     L"received.",
     nullptr},
    {"SetIntrusionDetection", "intrusion_detection_level", call<Ids, &Ids::get_intrusiondetection_level>,
     LR"({"intrusion_detection_level":2})", false, L"EMPTY", L"intrusion_detection_level not found in JSON",
     nullptr},
    {"SetIntrusionDetection", "enable_intrusion_detection", call<Ids, &Ids::get_intrusiondetection_setting>,
     LR"({"enable_intrusion_detection":false})", true, L"BOOL:0", nullptr, nullptr},
    {"SetIntrusionDetection", "enable_intrusion_detection", call<Ids, &Ids::get_intrusiondetection_setting>,
     LR"({"enable_intrusion_detection":null})", false, L"EMPTY",
     L"enable_intrusion_detection not found in JSON", nullptr},
    // The file dialog's session: a nonzero unsigned number.
    {"GetUploadedFilePath", "session_ID", call<Window, &Window::get_windowid>, LR"({"session_ID":1})", true,
     L"I4:1", nullptr, nullptr},
    {"GetUploadedFilePath", "session_ID", call<Window, &Window::get_windowid>,
     LR"({"session_ID":4294967295})", true, L"I4:-1", nullptr, nullptr},
    {"GetUploadedFilePath", "session_ID", call<Window, &Window::get_windowid>, LR"({"session_ID":0})", false,
     L"EMPTY", L"get_windowid:Invalid windowId 0", nullptr},
    {"GetUploadedFilePath", "session_ID", call<Window, &Window::get_windowid>, LR"({"session_ID":-1})", false,
     L"EMPTY", L"get_windowid:session_ID not found in JSON", nullptr},
    {"GetUploadedFilePath", "session_ID", call<Window, &Window::get_windowid>, LR"({"session_id":1})", false,
     L"EMPTY", L"get_windowid:session_ID not found in JSON", nullptr},
    {"GetUploadedFilePath", "session_ID", call<Window, &Window::get_windowid>, L"1", false, L"EMPTY",
     L"get_windowid:session_ID not found in JSON", nullptr},
    // Trust level and the firewall's state.
    {"SetTrustLevel", "mac_address", call<Trust, &Trust::get_mac_address>, LR"({"mac_address":"00-1a-2b"})",
     true, L"BSTR:00-1a-2b", nullptr, nullptr},
    {"SetTrustLevel", "mac_address", call<Trust, &Trust::get_mac_address>, LR"({"mac_address":17})", false,
     L"EMPTY", L"mac_address not found in JSON", nullptr},
    {"SetTrustLevel", "trust_level", call<Trust, &Trust::get_trust_level>, LR"({"trust_level":2})", true,
     L"I4:2", nullptr, nullptr},
    {"SetTrustLevel", "trust_level", call<Trust, &Trust::get_trust_level>, LR"({"trust_level":"2"})", false,
     L"EMPTY", L"Network_trust_level_payload::get_trust_level:- Attribute trust_level not found in JSON",
     nullptr},
    {"SetState", "state", call<State, &State::get_fwstate>, LR"({"state":"on"})", true, L"BOOL:-1", nullptr,
     nullptr},
    {"SetState", "state", call<State, &State::get_fwstate>, LR"({"state":"On"})", true, L"BOOL:0", nullptr,
     nullptr},
    {"SetState", "state", call<State, &State::get_fwstate>, LR"({"state":1})", false, L"EMPTY",
     L"state not found in JSON", nullptr},
    {"SetState", "reenable", call<State, &State::get_reenable_time>, LR"({"reenable":15})", true, L"I4:15",
     nullptr, nullptr},
    {"SetState", "reenable", call<State, &State::get_reenable_time>, LR"({"reenable":1.5})", false, L"EMPTY",
     L"reenable not found in JSON", nullptr},
    // Program permissions: ranges read as unsigned numbers write -1.
    {"AddProgramInternetConnection", "program_filename", call<AddProg, &AddProg::get_program_filepath>,
     LR"({"program_filename":"C:\\a.exe"})", true, L"BSTR:C:\\a.exe", nullptr, nullptr},
    {"AddProgramInternetConnection", "program_filename", call<AddProg, &AddProg::get_program_filepath>, L"[]",
     false, L"EMPTY", L"program_filename not found in JSON", nullptr},
    {"AddProgramInternetConnection", "permission", call<AddProg, &AddProg::get_program_permission>,
     LR"({"permission":2})", true, L"I4:2", nullptr, nullptr},
    {"AddProgramInternetConnection", "permission", call<AddProg, &AddProg::get_program_permission>,
     LR"({"permission":3})", false, L"I4:-1", L"get_program_permission::Invalid parameter received", nullptr},
    {"AddProgramInternetConnection", "permission", call<AddProg, &AddProg::get_program_permission>,
     LR"({"permission":-1})", false, L"I4:-1", L"get_program_permission::Invalid parameter received",
     nullptr},
    {"AddProgramInternetConnection", "permission", call<AddProg, &AddProg::get_program_permission>,
     LR"({"permission":"1"})", false, L"EMPTY", L"permission not found in JSON", nullptr},
    {"AddProgramInternetConnection", "access", call<AddProg, &AddProg::get_program_scope>, LR"({"access":0})",
     true, L"I4:0", nullptr, nullptr},
    {"AddProgramInternetConnection", "access", call<AddProg, &AddProg::get_program_scope>,
     LR"({"access":-5})", false, L"I4:-1",
     L"Add_proginternetconn_payload::get_program_scope::Invalid parameter received", nullptr},
    {"AddProgramInternetConnection", "net_guard", call<AddProg, &AddProg::get_program_ipreputationn>,
     LR"({"net_guard":"off"})", true, L"I4:0", nullptr, nullptr},
    {"AddProgramInternetConnection", "net_guard", call<AddProg, &AddProg::get_program_ipreputationn>,
     LR"({"net_guard":"ON"})", false, L"EMPTY",
     L"Add_proginternetconn_payload::get_program_ipreputationn: Invalid value of szNetGuard received.",
     nullptr},
    {"AddProgramInternetConnection", "net_guard", call<AddProg, &AddProg::get_program_ipreputationn>, L"{}",
     false, L"EMPTY", L"Attribute net_guard not found in json.", nullptr},
    {"EditProgramInternetConnection", "program_id", call<EditProg, &EditProg::get_programid>,
     LR"({"program_id":-7})", true, L"I4:-7", nullptr, nullptr},
    {"EditProgramInternetConnection", "net_guard", call<EditProg, &EditProg::get_program_ipreputationn>,
     LR"({"net_guard":"on"})", true, L"I4:1", nullptr, nullptr},
    {"DeleteProgramInternetConnection", "program_ids", call<DelProg, &DelProg::get_programids>,
     LR"({"program_ids":",4,,9,"})", true, L"IDS:4,9", nullptr, nullptr},
    {"DeleteProgramInternetConnection", "program_ids", call<DelProg, &DelProg::get_programids>,
     LR"({"program_ids":"4;9"})", false, L"EMPTY",
     L"Failed to convert string based program_ids to Variant SafeArray.", nullptr},
    {"DeleteProgramInternetConnection", "program_ids", call<DelProg, &DelProg::get_programids>,
     LR"({"program_ids":"1 2"})", false, L"EMPTY",
     L"convert_strnumtovariant_safearray::Invalid string received.", nullptr},
    {"DeleteProgramInternetConnection", "program_ids", call<DelProg, &DelProg::get_programids>,
     LR"({"program_ids":"-3"})", false, L"EMPTY",
     L"convert_strnumtovariant_safearray::Invalid string received.", nullptr},
    {"DeleteProgramInternetConnection", "program_ids", call<DelProg, &DelProg::get_programids>,
     LR"({"program_ids":"2147483647,02147483648"})", false, L"EMPTY",
     L"convert_strnumtovariant_safearray::Id out of range: 02147483648", nullptr},
    {"DeleteProgramInternetConnection", "program_ids", call<DelProg, &DelProg::get_programids>,
     LR"({"program_ids":4})", false, L"EMPTY", L"program_ids not found in JSON", nullptr},
    // Ports and system services: the port lists sit in "portinfo".
    {"AddPortsAndSystemServices", "name", call<AddPorts, &AddPorts::get_ssname>, LR"({"name":"Game"})", true,
     L"BSTR:Game", nullptr, nullptr},
    {"AddPortsAndSystemServices", "enabled", call<AddPorts, &AddPorts::get_ssenable_setting>,
     LR"({"enabled":1})", false, L"EMPTY", L"enabled not found in JSON", nullptr},
    {"AddPortsAndSystemServices", "category", call<AddPorts, &AddPorts::get_sscategory>,
     LR"({"category":""})", true, L"BSTR:", nullptr, nullptr},
    {"AddPortsAndSystemServices", "portinfo/tcp_local", call<AddPorts, &AddPorts::get_tcp_localport>,
     LR"({"portinfo":{"tcp_local":"80,443","udp_local":""}})", true, L"BSTR:80,443", nullptr, nullptr},
    {"AddPortsAndSystemServices", "portinfo/udp_local", call<AddPorts, &AddPorts::get_udp_localport>,
     LR"({"portinfo":"{\"tcp_local\":\"1\",\"udp_local\":\"53\"}"})", true, L"BSTR:53", nullptr, nullptr},
    {"AddPortsAndSystemServices", "portinfo/udp_local", call<AddPorts, &AddPorts::get_udp_localport>,
     LR"({"portinfo":{"tcp_local":"1"}})", false, L"EMPTY", L"udp_local not found in JSON", nullptr},
    {"AddPortsAndSystemServices", "portinfo/tcp_local", call<AddPorts, &AddPorts::get_tcp_localport>, L"{}",
     false, L"EMPTY", L"portinfo not found in JSON", nullptr},
    {"AddPortsAndSystemServices", "portinfo/tcp_local", call<AddPorts, &AddPorts::get_tcp_localport>,
     LR"({"portinfo":"80"})", false, L"EMPTY", L"tcp_local not found in JSON", kInsideText},
    {"AddPortsAndSystemServices", "description", call<AddPorts, &AddPorts::get_ssdescription>,
     LR"({"description":"d"})", true, L"BSTR:d", nullptr, nullptr},
    {"AddPortsAndSystemServices", "openportsto", call<AddPorts, &AddPorts::get_networktype>,
     LR"({"openportsto":1})", true, L"I4:1", nullptr, nullptr},
    {"AddPortsAndSystemServices", "openportsto", call<AddPorts, &AddPorts::get_networktype>,
     LR"({"openportsto":2})", false, L"I4:-1", L"GetvNetworkTypeInvalid::Invalid parameter received",
     nullptr},
    {"AddPortsAndSystemServices", "forwardactivity", call<AddPorts, &AddPorts::get_fwdportactivity_setting>,
     LR"({"forwardactivity":false})", true, L"BOOL:0", nullptr, nullptr},
    {"UpdatePortsAndSystemServices", "portsysid", call<UpdPorts, &UpdPorts::get_portsysid>,
     LR"({"portsysid":"7"})", false, L"EMPTY", L"portsysid not found in JSON", nullptr},
    {"UpdatePortsAndSystemServices", "portsysid", call<UpdPorts, &UpdPorts::get_portsysid>,
     LR"({"portsysid":7})", true, L"I4:7", nullptr, nullptr},
    {"DeletePortsAndSystemServices", "portsysid", call<DelPorts, &DelPorts::get_portsysid>,
     LR"({"portsysid":"7,12"})", true, L"IDS:7,12", nullptr, nullptr},
    {"DeletePortsAndSystemServices", "portsysid", call<DelPorts, &DelPorts::get_portsysid>,
     LR"({"portsysid":"7;12"})", false, L"EMPTY",
     L"Failed to convert string based portsysid id to Variant array", nullptr},
    // Net guard: the switch is a number, an entry's action a VT_BOOL.
    {"SetNetGuard", "enable_net_guard", call<Set_netguard_payload, &Set_netguard_payload::is_netguard_enable>,
     LR"({"enable_net_guard":true})", true, L"I4:1", nullptr, nullptr},
    {"SetNetGuard", "enable_net_guard", call<Set_netguard_payload, &Set_netguard_payload::is_netguard_enable>,
     LR"({"enable_net_guard":1})", false, L"EMPTY", L"enable_net_guard not found in JSON", nullptr},
    {"EditNetGuard", "action", call<Edit_netguard_payload, &Edit_netguard_payload::get_netguard_action>,
     LR"({"action":1})", true, L"BOOL:-1", nullptr, nullptr},
    {"EditNetGuard", "action", call<Edit_netguard_payload, &Edit_netguard_payload::get_netguard_action>,
     LR"({"action":0})", true, L"BOOL:0", nullptr, nullptr},
    {"EditNetGuard", "action", call<Edit_netguard_payload, &Edit_netguard_payload::get_netguard_action>,
     LR"({"action":2})", false, L"EMPTY", L"Invalid value received in payload.", nullptr},
    {"EditNetGuard", "SSID", call<Edit_netguard_payload, &Edit_netguard_payload::get_netssid>,
     LR"({"SSID":"3"})", false, L"EMPTY", L"SSID not found in JSON", nullptr},
    {"DeleteNetGuard", "SSIDs", call<Delete_netguard_payload, &Delete_netguard_payload::get_netssids>,
     LR"({"SSIDs":""})", true, L"IDS:", nullptr, nullptr},
    {"DeleteNetGuard", "SSIDs", call<Delete_netguard_payload, &Delete_netguard_payload::get_netssids>,
     LR"({"SSIDs":"a"})", false, L"EMPTY",
     L"Failed to convert string based SSID list id to Variant SafeArray.", nullptr},
    // Network connections: presence and JSON type only.
    {"AddNetworkConnection", "notes", call<AddNet, &AddNet::get_notes>, LR"({"notes":"Lab"})", true,
     L"BSTR:Lab", nullptr, nullptr},
    {"AddNetworkConnection", "IPType", call<AddNet, &AddNet::get_iptype>, LR"({"IPType":-2147483648})", true,
     L"I4:-2147483648", nullptr, nullptr},
    {"AddNetworkConnection", "IPType", call<AddNet, &AddNet::get_iptype>, LR"({"IPType":2147483648})", false,
     L"EMPTY", L"IPType not found in JSON", nullptr},
    {"AddNetworkConnection", "IsIpV4", call<AddNet, &AddNet::is_ipv4_conn>, L"{}", false, L"EMPTY",
     L"IsIpV4 not found in JSON", nullptr},
    {"AddNetworkConnection", "StartAddress", call<AddNet, &AddNet::get_start_address>,
     LR"({"StartAddress":"10.0.0.1"})", true, L"BSTR:10.0.0.1", nullptr, nullptr},
    {"AddNetworkConnection", "EndAddress", call<AddNet, &AddNet::get_end_address>, LR"({"EndAddress":""})",
     true, L"BSTR:", nullptr, nullptr},
    {"AddNetworkConnection", "network_type", call<AddNet, &AddNet::get_network_type>,
     LR"({"network_type":9})", true, L"I4:9", nullptr, nullptr},
    {"AddNetworkConnection", "ExpiresIn", call<AddNet, &AddNet::get_expiresin_days>, LR"({"ExpiresIn":"4"})",
     false, L"EMPTY", L"ExpiresIn not found in JSON", nullptr},
    {"EditNetworkConnection", "uniqueID",
     call<Edit_netconnection_payload, &Edit_netconnection_payload::get_uniqueid>, LR"({"uniqueID":12})", true,
     L"I4:12", nullptr, nullptr},
    {"DeleteNetworkConnection", "uniqueIDs",
     call<Delete_netconnection_payload, &Delete_netconnection_payload::get_uniqueids>,
     LR"({"uniqueIDs":"3,8"})", true, L"IDS:3,8", nullptr, nullptr},
};

// The catalogue's schema of the one value a row reads: the request's schema
// cut down to that key (inside its nested object).
rapidjson::Document valueSchema(const Case& c) {
  const rapidjson::Value& payload = catalogueEntry(c.request)["payload"];
  std::string key = c.key;
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

TEST(PayloadTable, EachRowIsReadLoggedAndJudgedByTheCatalogueAlike) {
  size_t differing = 0;
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.request) + " " + narrow(c.payload));
    Ledra::ScopedVariant out;
    const LogScope log;
    EXPECT_EQ(c.accepted, c.get(c.payload, out));
    EXPECT_EQ(narrow(c.written), narrow(describe(out.get())));
    const auto lines = log.lines();
    EXPECT_EQ(c.logged == nullptr, lines.empty());
    EXPECT_EQ(c.logged ? 1u : 0u, log.countMessage(c.logged ? c.logged : L""));
    for (const auto& line : lines) {
      EXPECT_EQ(L"Error", line.severity);
      EXPECT_EQ(L"Requests", line.file);
    }
    EXPECT_EQ(c.accepted != (c.differs != nullptr), validates(valueSchema(c), c.payload)) << c.differs;
    differing += c.differs != nullptr;
  }
  std::cout << "payload rows: " << std::size(kCases) - differing << " agree with the catalogue, " << differing
            << " differ on purpose\n";
}

TEST(PayloadTable, TextThatIsNotJsonFailsEveryGetterWithoutALog) {
  const LogScope log;
  for (const Case& c : kCases) {
    Ledra::ScopedVariant out;
    EXPECT_FALSE(c.get(L"{not json", out)) << c.request << " " << c.key;
    EXPECT_EQ(VT_EMPTY, out.type());
  }
  EXPECT_TRUE(log.lines().empty());
}

TEST(PayloadTable, TheTrustLevelIsHandedToTheComponentAsAnUnsignedNumber) {
  ChangeValues values(payloads::kSetTrustLevel);
  ASSERT_TRUE(values.read(Request(LR"({"mac_address":"00-1A","trust_level":2})")));
  EXPECT_EQ(L"BSTR:00-1A", describe(values[0]));
  EXPECT_EQ(L"UI4:2", describe(values[1]));
}

}  // namespace
}  // namespace feature_test
