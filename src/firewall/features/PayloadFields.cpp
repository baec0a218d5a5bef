// The rows of every request value. Each names the getter that reads it and
// the lines its refusals are logged at, as the product's log readers know them.
#include "firewall/features/PayloadFields.h"

#include <cstdint>

namespace Brenix {
namespace fields {
namespace {

using payload::HandedOn;
using payload::JsonType;
using payload::Prepared;
using payload::Written;

constexpr Field boolean(const wchar_t* key, const wchar_t* function, int line) {
  return {key, JsonType::Boolean, Written::Bool, Prepared::False, function, line};
}
constexpr Field number(const wchar_t* key, const wchar_t* function, int line) {
  return {key, JsonType::Integer, Written::Number, Prepared::MinusOne, function, line};
}
constexpr Field text(const wchar_t* key, const wchar_t* function, int line) {
  return {key, JsonType::Text, Written::Text, Prepared::Empty, function, line};
}
constexpr Field word(const wchar_t* key, const wchar_t* function, int line, words::WordSet set) {
  return Field{key, JsonType::Text, Written::Word, Prepared::MinusOne, function, line}.of(set);
}
constexpr Field idList(const wchar_t* key, const wchar_t* function, int line, const wchar_t* refusal) {
  return Field{key, JsonType::Text, Written::IdList, Prepared::Empty, function, line}.refused(refusal);
}

constexpr wchar_t kAttributeNotFound[] = L"Attribute %s not found in json.";
constexpr wchar_t kEvents[] = L"what_events_to_log";
constexpr wchar_t kPortInfo[] = L"portinfo";

}  // namespace

// Security level and smart advice.
const Field kTrafficController =
    word(L"traffic_controller", L"Brenix::Security_level_payload::get_security_level", 21,
         words::set(words::kSecurityLevels))
        .missing(kAttributeNotFound)
        .refused(L"Security_level_payload::get_security_level(): Invalid value of szSecurityLevel received.");
const Field kShowSmartRecos =
    boolean(L"enable_smart_advice", L"Brenix::Smart_advice_payload::get_showsmart_setting", 9);
const Field kAutomaticSmartAdvice =
    boolean(L"automatic_smart_advice", L"Brenix::Smart_advice_payload::get_automaticsmart_setting", 15);
const Field kProtectionAtStartup =
    boolean(L"enable_protection_at_startup", L"Brenix::Smart_advice_payload::get_enableprot_setting", 21);
const Field kAllowIcmpPing =
    boolean(L"allow_icmp_ping", L"Brenix::Smart_advice_payload::get_icmpallowed_setting", 27);
const Field kUdpTracking =
    boolean(L"enable_udp_tracking", L"Brenix::Smart_advice_payload::get_enableudp_setting", 33);

// History: the six event kinds sit in "what_events_to_log".
const Field kLogEvents = boolean(L"log_events", L"Brenix::History_payload::get_logevent_setting", 23);
const Field kBlockedPrograms =
    boolean(L"blocked_programs", L"Brenix::History_payload::get_blockedprogram_setting", 28).in(kEvents);
const Field kIcmpPings =
    boolean(L"icmp_pings", L"Brenix::History_payload::get_icmpping_setting", 33).in(kEvents);
const Field kBannedIps =
    boolean(L"banned_ips", L"Brenix::History_payload::get_bannedips_setting", 37).in(kEvents);
const Field kSystemServicePorts =
    boolean(L"system_service_ports", L"Brenix::History_payload::get_systemserviceports_setting", 41)
        .in(kEvents);
const Field kIntrusionEvents =
    boolean(L"intrusion_detection", L"Brenix::History_payload::get_intrusiondetection_setting", 46)
        .in(kEvents);
const Field kUnknownEvents =
    boolean(L"unknown_events", L"Brenix::History_payload::get_unknownevents_setting", 51).in(kEvents);
const Field kDontLogOnPorts =
    boolean(L"dont_log_events_on_ports", L"Brenix::History_payload::get_dontlogevents_onports", 57);
const Field kPortsNotToLog =
    text(L"what_ports_not_to_log", L"Brenix::History_payload::get_whatports_nottolog", 63);

// Intrusion detection.
const Field kIntrusionDetection =
    boolean(L"enable_intrusion_detection",
            L"Brenix::Set_intrusiondetection_payload::get_intrusiondetection_setting", 20);
const Field kIntrusionLevel = word(L"intrusion_detection_level",
                                   L"Brenix::Set_intrusiondetection_payload::get_intrusiondetection_level",
                                   26, words::set(words::kIntrusionLevels))
                                  .refused(
                                      L"Set_intrusiondetection_payload::get_intrusiondetection_level: "
                                      L"Invalid value of szIntrusionLevel "
                                      L"received.");

// Program permissions.
const Field kProgramFile =
    text(L"program_filename", L"Brenix::Add_proginternetconn_payload::get_program_filepath", 55);
const Field kPermission =
    number(L"permission", L"Brenix::Add_proginternetconn_payload::get_program_permission", 62)
        .range(0, 2, true)
        .refused(L"get_program_permission::Invalid parameter received");
const Field kScope =
    number(L"access", L"Brenix::Add_proginternetconn_payload::get_program_scope", 69)
        .range(0, 2, true)
        .refused(L"Add_proginternetconn_payload::get_program_scope::Invalid parameter received");
const Field kProgramNetGuard =
    word(L"net_guard", L"Brenix::Add_proginternetconn_payload::get_program_ipreputationn", 76,
         words::set(words::kNetGuard))
        .missing(kAttributeNotFound)
        .refused(
            L"Add_proginternetconn_payload::get_program_ipreputationn: Invalid value of szNetGuard received.",
            82);
const Field kProgramId = number(L"program_id", L"Brenix::Edit_proginternetconn_payload::get_programid", 91);
const Field kProgramIds = idList(L"program_ids", L"Brenix::Delete_proginternetconn_payload::get_programids",
                                 97, L"Failed to convert string based program_ids to Variant SafeArray.");

// Ports and system services: the two local port lists sit in "portinfo".
const Field kServiceName = text(L"name", L"Brenix::Add_portsandsysserv_payload::get_ssname", 39);
const Field kServiceEnabled =
    boolean(L"enabled", L"Brenix::Add_portsandsysserv_payload::get_ssenable_setting", 46);
const Field kServiceCategory = text(L"category", L"Brenix::Add_portsandsysserv_payload::get_sscategory", 52);
const Field kTcpLocal =
    text(L"tcp_local", L"Brenix::Add_portsandsysserv_payload::get_tcp_localport", 58).in(kPortInfo);
const Field kUdpLocal =
    text(L"udp_local", L"Brenix::Add_portsandsysserv_payload::get_udp_localport", 64).in(kPortInfo);
const Field kServiceDescription =
    text(L"description", L"Brenix::Add_portsandsysserv_payload::get_ssdescription", 70);
const Field kOpenPortsTo = number(L"openportsto", L"Brenix::Add_portsandsysserv_payload::get_networktype", 78)
                               .range(0, 1, true)
                               .refused(L"GetvNetworkTypeInvalid::Invalid parameter received", 84);
const Field kForwardActivity =
    boolean(L"forwardactivity", L"Brenix::Add_portsandsysserv_payload::get_fwdportactivity_setting", 91);
const Field kServiceId = number(L"portsysid", L"Brenix::Update_portsandsysserv_payload::get_portsysid", 98);
const Field kServiceIds = idList(L"portsysid", L"Brenix::Delete_portsandsysserv_payload::get_portsysid", 104,
                                 L"Failed to convert string based portsysid id to Variant array");

// Net guard: the switch travels as a number, an entry's action as a VT_BOOL.
const Field kNetGuardSwitch = Field{L"enable_net_guard",
                                    JsonType::Boolean,
                                    Written::BoolAsNumber,
                                    Prepared::Zero,
                                    L"Brenix::Set_netguard_payload::is_netguard_enable",
                                    27};
const Field kNetGuardId = number(L"SSID", L"Brenix::Edit_netguard_payload::get_netssid", 38);
const Field kNetGuardAction = Field{L"action",
                                    JsonType::Integer,
                                    Written::NumberAsBool,
                                    Prepared::False,
                                    L"Brenix::Edit_netguard_payload::get_netguard_action",
                                    45}
                                  .range(0, 1)
                                  .refused(L"Invalid value received in payload.", 47);
const Field kNetGuardIds = idList(L"SSIDs", L"Brenix::Delete_netguard_payload::get_netssids", 58,
                                  L"Failed to convert string based SSID list id to Variant SafeArray.");

// Network connections: the component judges every value.
const Field kNotes = text(L"notes", L"Brenix::Add_netconnection_payload::get_notes", 27);
const Field kIpType = number(L"IPType", L"Brenix::Add_netconnection_payload::get_iptype", 33);
const Field kIsIpv4 = boolean(L"IsIpV4", L"Brenix::Add_netconnection_payload::is_ipv4_conn", 39)
                          .handedOnAs(HandedOn::NotHandedOn)
                          .noted(L"Required, but not handed to the component.");
const Field kStartAddress =
    text(L"StartAddress", L"Brenix::Add_netconnection_payload::get_start_address", 46);
const Field kEndAddress = text(L"EndAddress", L"Brenix::Add_netconnection_payload::get_end_address", 51);
const Field kNetworkType =
    number(L"network_type", L"Brenix::Add_netconnection_payload::get_network_type", 58);
const Field kExpiresIn = number(L"ExpiresIn", L"Brenix::Add_netconnection_payload::get_expiresin_days", 64);
const Field kAddressId = number(L"uniqueID", L"Brenix::Edit_netconnection_payload::get_uniqueid", 70);
const Field kAddressIds = idList(L"uniqueIDs", L"Brenix::Delete_netconnection_payload::get_uniqueids", 76,
                                 L"Failed to convert string based uniqueIDs to Variant SafeArray.");

// The firewall's state. "Core.Firewall.ChangeState" is read by its handler
// itself, with these words and texts.
const Field kFirewallState = Field{
    L"state", JsonType::Text, Written::OnAsTrue, Prepared::False, L"Brenix::Set_state_payload::get_fwstate",
    21};
const Field kReenableTime = number(L"reenable", L"Brenix::Set_state_payload::get_reenable_time", 1427)
                                .noted(L"Read only when \"state\" is not \"on\".");
const Field kSwitchState =
    Field{L"state", JsonType::Text, Written::Word, Prepared::Empty, L"Ledra::TarnModuleImpl::change_state",
          216}
        .of(words::set(words::kState))
        .missing(L"'%s' not found in JSON")
        .refused(L"'%s' is invalid value must be on/off", 231)
        .handedOnAs(HandedOn::NotHandedOn)
        .noted(L"\"on\" calls the component's Enable, \"off\" its Disable.");

// The file dialog's session and the trust level of a network.
const Field kSessionId = Field{L"session_ID",
                               JsonType::Unsigned,
                               Written::Number,
                               Prepared::Zero,
                               L"Brenix::Get_uploadedfilepath_payload::get_windowid",
                               23}
                             .range(1, UINT32_MAX)
                             .missing(L"get_windowid:%s not found in JSON")
                             .refused(L"get_windowid:Invalid windowId %d", 27);
const Field kMacAddress = Field{L"mac_address",
                                JsonType::Text,
                                Written::Text,
                                Prepared::EmptyText,
                                L"Brenix::Network_trust_level_payload::get_mac_address",
                                15};
// Read as VT_I4; the component takes it as VT_UI4.
const Field kTrustLevel =
    number(L"trust_level", L"Brenix::Network_trust_level_payload::get_trust_level", 21)
        .missing(L"Network_trust_level_payload::get_trust_level:- Attribute %s not found in JSON")
        .handedOnAs(HandedOn::AsUnsigned);

}  // namespace fields

namespace payloads {
namespace {

using namespace fields;

const Field* const kTrafficControllerFields[] = {&kTrafficController};
const Field* const kSmartAdviceFields[] = {&kShowSmartRecos, &kAutomaticSmartAdvice, &kProtectionAtStartup,
                                           &kAllowIcmpPing, &kUdpTracking};
const Field* const kHistoryFields[] = {&kLogEvents,     &kBlockedPrograms,    &kIcmpPings,
                                       &kBannedIps,     &kSystemServicePorts, &kIntrusionEvents,
                                       &kUnknownEvents, &kDontLogOnPorts,     &kPortsNotToLog};
const Field* const kIntrusionFields[] = {&kIntrusionDetection, &kIntrusionLevel};
const Field* const kAddProgramFields[] = {&kProgramFile, &kPermission, &kScope, &kProgramNetGuard};
const Field* const kEditProgramFields[] = {&kProgramId, &kPermission, &kScope, &kProgramNetGuard};
const Field* const kDeleteProgramFields[] = {&kProgramIds};
const Field* const kAddServiceFields[] = {&kServiceName, &kServiceEnabled, &kServiceCategory,
                                          &kTcpLocal,    &kUdpLocal,       &kServiceDescription,
                                          &kOpenPortsTo, &kForwardActivity};
const Field* const kUpdateServiceFields[] = {&kServiceName,        &kServiceId,   &kServiceEnabled,
                                             &kServiceCategory,    &kTcpLocal,    &kUdpLocal,
                                             &kServiceDescription, &kOpenPortsTo, &kForwardActivity};
const Field* const kDeleteServiceFields[] = {&kServiceIds};
const Field* const kSetNetGuardFields[] = {&kNetGuardSwitch};
const Field* const kEditNetGuardFields[] = {&kNetGuardId, &kNetGuardAction};
const Field* const kDeleteNetGuardFields[] = {&kNetGuardIds};
const Field* const kAddAddressFields[] = {&kNotes,      &kIpType,      &kIsIpv4,   &kStartAddress,
                                          &kEndAddress, &kNetworkType, &kExpiresIn};
const Field* const kEditAddressFields[] = {&kAddressId,    &kNotes,      &kIpType,      &kIsIpv4,
                                           &kStartAddress, &kEndAddress, &kNetworkType, &kExpiresIn};
const Field* const kDeleteAddressFields[] = {&kAddressIds};
const Field* const kSetStateFields[] = {&kFirewallState, &kReenableTime};
const Field* const kChangeStateFields[] = {&kSwitchState};
const Field* const kFilePathFields[] = {&kSessionId};
const Field* const kGetTrustFields[] = {&kMacAddress};
const Field* const kSetTrustFields[] = {&kMacAddress, &kTrustLevel};

}  // namespace

const RequestPayload kUpdateTrafficController = payload::request(kTrafficControllerFields);
const RequestPayload kUpdateSmartAdvice = payload::request(kSmartAdviceFields);
const RequestPayload kSetHistory = payload::request(kHistoryFields);
const RequestPayload kSetIntrusionDetection = payload::request(kIntrusionFields);
const RequestPayload kAddProgram = payload::request(kAddProgramFields);
const RequestPayload kEditProgram = payload::request(kEditProgramFields);
const RequestPayload kDeletePrograms = payload::request(kDeleteProgramFields);
const RequestPayload kAddService = payload::request(kAddServiceFields);
const RequestPayload kUpdateService = payload::request(kUpdateServiceFields);
const RequestPayload kDeleteServices = payload::request(kDeleteServiceFields);
const RequestPayload kSetNetGuard = payload::request(kSetNetGuardFields);
const RequestPayload kEditNetGuard = payload::request(kEditNetGuardFields);
const RequestPayload kDeleteNetGuard = payload::request(kDeleteNetGuardFields);
const RequestPayload kAddAddress = payload::request(kAddAddressFields);
const RequestPayload kEditAddress = payload::request(kEditAddressFields);
const RequestPayload kDeleteAddresses = payload::request(kDeleteAddressFields);
// The re-enable time is read only when the firewall is not switched on.
const RequestPayload kSetState = {kSetStateFields, 2, &kReenableTime, &kFirewallState, L"on"};
const RequestPayload kChangeState = payload::request(kChangeStateFields);
const RequestPayload kUploadedFilePath = payload::request(kFilePathFields);
const RequestPayload kGetTrustLevel = payload::request(kGetTrustFields);
const RequestPayload kSetTrustLevel = payload::request(kSetTrustFields);

}  // namespace payloads
}  // namespace Brenix
