// The rows of every answer, and the one builder that reads a result bag by them.
#include "Logging/Log.h"
#include "firewall/adapter/PropertyNames.h"
#include "firewall/adapter/TarnModuleUtil.h"
#include "firewall/features/AnswerTable.h"

namespace Brenix {
namespace answers {
namespace {

using answer::Kind;
using answer::Member;

constexpr Member boolean(const wchar_t* key, int property = -1) { return {key, Kind::Boolean, property}; }

// Indexes of the property name table.
constexpr int kEnable = 8, kBlockedProgs = 9, kIcmpPings = 10, kBannedIpAddActivity = 11,
              kSystemPortEvents = 12, kIdsEvents = 13, kUnknownPortEvents = 14, kDoNotLogOnPort = 15,
              kPort = 16, kHipsEnable = 19, kHipsLevel = 20, kShowSmartRecos = 21, kAutomatic = 22,
              kEnableProtStartup = 23, kAllowIcmp = 24, kEnableUdp = 25, kLevel = 26;

const Member kTrafficControllerMembers[] = {
    {L"traffic_controller", Kind::Word, kLevel, words::set(words::kSecurityLevels), nullptr, 0, false,
     INT32_MIN, INT32_MAX, L"Brenix::Refresh_trafficcontroller_response::get_security_level", 46,
     L"get_security_level: Invalid parameter received"}};
const Member kSmartAdviceMembers[] = {
    boolean(L"enable_smart_advice", kShowSmartRecos), boolean(L"automatic_smart_advice", kAutomatic),
    boolean(L"enable_protection_at_startup", kEnableProtStartup), boolean(L"allow_icmp_ping", kAllowIcmp),
    boolean(L"enable_udp_tracking", kEnableUdp)};
const Member kEventKinds[] = {
    boolean(L"blocked_programs", kBlockedProgs),  boolean(L"icmp_pings", kIcmpPings),
    boolean(L"banned_ips", kBannedIpAddActivity), boolean(L"system_service_ports", kSystemPortEvents),
    boolean(L"intrusion_detection", kIdsEvents),  boolean(L"unknown_events", kUnknownPortEvents)};
// The event kinds go in as a nested object, never as a string holding one;
// a null port list gives "".
const Member kHistoryMembers[] = {boolean(L"log_events", kEnable),
                                  {L"what_events_to_log", Kind::Object, -1, {nullptr, 0}, kEventKinds, 6},
                                  boolean(L"dont_log_events_on_ports", kDoNotLogOnPort),
                                  {L"what_ports_not_to_log", Kind::Text, kPort}};
const Member kIntrusionMembers[] = {
    boolean(L"enable_intrusion_detection", kHipsEnable),
    {L"intrusion_detection_level", Kind::Word, kHipsLevel, words::set(words::kIntrusionLevels), nullptr, 0,
     false, INT32_MIN, INT32_MAX, L"Brenix::Refresh_intrudetection_response::extract_idlevel_settings", 99,
     L"Invalid HIPS vLevel=%d"}};

const Member kButtonMembers[] = {boolean(L"Enable")};
const Member kUserStateMembers[] = {boolean(L"admin")};
const Member kFilePathMembers[] = {{L"FilePath", Kind::Text, -1, {nullptr, 0}, nullptr, 0, true}};
const Member kTrustLevelMembers[] = {{L"trust_level", Kind::Integer}, {L"mac_address", Kind::Text}};
const Member kChangeResultMembers[] = {
    {L"Successful", Kind::Boolean},
    {L"ErrCode", Kind::Integer},
    {L"feature_id", Kind::Integer, -1, {nullptr, 0}, nullptr, 0, false, 1, 8},
    {L"func_id", Kind::Integer, -1, {nullptr, 0}, nullptr, 0, false, 1, 3},
    {L"id_list", Kind::IdList}};
const Member kStateMembers[] = {
    {L"state", Kind::Word, -1, words::set(words::kState)}, boolean(L"off_by_user"), boolean(L"error")};
const Member kHipsMembers[] = {boolean(L"hips.enabled")};

}  // namespace

const answer::Answer kTrafficController =
    answer::answer(L"Core.Firewall.TrafficController", kTrafficControllerMembers);
const answer::Answer kSmartAdvice = answer::answer(L"Core.Firewall.SmartAdvice", kSmartAdviceMembers);
const answer::Answer kHistory = answer::answer(L"Core.Firewall.History", kHistoryMembers);
const answer::Answer kIntrusionDetection =
    answer::answer(L"Core.Firewall.IntrusionDetection", kIntrusionMembers);
const answer::Answer kRestoreDefaultsButton =
    answer::answer(L"Core.Firewall.RestoreDefaultsBtnStatus", kButtonMembers,
                   L"Enable: the settings differ from the defaults.");
const answer::Answer kUserState = answer::answer(L"Core.Firewall.UserState", kUserStateMembers);
const answer::Answer kUploadedFilePath = answer::answer(
    L"Core.Firewall.NotifyUploadedFilePath", kFilePathMembers,
    L"Sent whatever the dialog gave: \"\" when it was cancelled or failed, {} for an answer of "
    L"another form.");
const answer::Answer kTrustLevel = answer::answer(L"Core.Firewall.TrustLevel", kTrustLevelMembers,
                                                  L"trust_level is -1 when no rule matches the MAC address.");
const answer::Answer kChangeResult = answer::answer(L"Core.Firewall.NotifyCUDResult", kChangeResultMembers);
const answer::Answer kState =
    answer::answer(L"Core.Firewall.State", kStateMembers,
                   L"off_by_user follows the property Core.Protection.IgnoreFirewall.");
const answer::Answer kHipsState = answer::answer(L"HIPS.STATUS", kHipsMembers);
const answer::Answer kRefreshState = {L"Core.Firewall.RefreshState", nullptr, 0,
                                      L"Sent by the module to itself with an empty payload; its answer is "
                                      L"Core.Firewall.State."};

}  // namespace answers

namespace answer {
namespace {

constexpr wchar_t kLogFile[] = L"Module_responses";

}  // namespace

bool readWord(const Member& member, const VARIANT& desc, std::wstring& word) {
  long number = -1;
  if (!tarn_moduleutil::get_property_byname(desc, propertyName(static_cast<size_t>(member.property)), number))
    return false;
  const wchar_t* text = words::wordOf(member.words, number);
  if (text == nullptr) {
    LEDRA_LOG(Ledra::logging::Error, member.function, member.line, member.refusal, static_cast<int>(number));
    return false;
  }
  word = text;
  return true;
}

bool build(const Member* members, size_t count, const VARIANT& desc, Ledra::JSONParser& json) {
  for (size_t i = 0; i < count; ++i) {
    const Member& member = members[i];
    const wchar_t* property = propertyName(static_cast<size_t>(member.property));
    bool flag = false;
    std::wstring text;
    switch (member.kind) {
      case Kind::Boolean:
        if (!tarn_moduleutil::get_property_byname(desc, property, flag)) return false;
        json.setBool(member.key, flag);
        break;
      case Kind::Text:
        if (!tarn_moduleutil::get_property_byname(desc, property, text)) return false;
        json.setString(member.key, text);
        break;
      case Kind::Word:
        if (!readWord(member, desc, text)) return false;
        json.setString(member.key, text);
        break;
      case Kind::Object: {
        Ledra::JSONParser nested;
        nested.parse(L"{}");
        if (!build(member.members, member.memberCount, desc, nested)) return false;
        json.setJson(member.key, nested.toString());
        break;
      }
      case Kind::Integer:
      case Kind::IdList:
        return false;  // set by the handlers, never read from a bag
    }
  }
  return true;
}

}  // namespace answer
}  // namespace Brenix
