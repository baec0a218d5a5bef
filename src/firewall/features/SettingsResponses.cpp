#include "firewall/features/SettingsResponses.h"

#include "Logging/Log.h"
#include "firewall/adapter/PropertyNames.h"
#include "firewall/adapter/TarnModuleUtil.h"
#include "firewall/features/WordTables.h"
#include "message/JSONParser.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Module_responses";
constexpr wchar_t kInvalidLevel[] = L"get_security_level: Invalid parameter received";
constexpr wchar_t kInvalidHipsLevel[] = L"Invalid HIPS vLevel=%d";

// Indexes of the property name table.
constexpr size_t kEnable = 8, kBlockedProgs = 9, kIcmpPings = 10, kBannedIpAddActivity = 11,
                 kSystemPortEvents = 12, kIdsEvents = 13, kUnknownPortEvents = 14, kDoNotLogOnPort = 15,
                 kPort = 16, kHipsEnable = 19, kHipsLevel = 20, kShowSmartRecos = 21, kAutomatic = 22,
                 kEnableProtStartup = 23, kAllowIcmp = 24, kEnableUdp = 25, kLevel = 26;

struct BoolMember {
  size_t property;
  const wchar_t* key;
};

// Adds each boolean in order; stops at the first failed read.
template <size_t N>
bool addBools(const VARIANT& desc, const BoolMember (&members)[N], Ledra::JSONParser& json) {
  for (const BoolMember& member : members) {
    bool value = false;
    if (!tarn_moduleutil::get_property_byname(desc, propertyName(member.property), value)) return false;
    json.setBool(member.key, value);
  }
  return true;
}

}  // namespace

bool Refresh_trafficcontroller_response::get_security_level(const VARIANT& desc, std::wstring& word) const {
  long number = -1;
  if (!tarn_moduleutil::get_property_byname(desc, propertyName(kLevel), number)) return false;
  const wchar_t* text = words::wordOf(words::set(words::kSecurityLevels), number);
  if (text == nullptr) {
    LEDRA_LOG(Ledra::logging::Error, L"Brenix::Refresh_trafficcontroller_response::get_security_level",
              __LINE__, kInvalidLevel);
    word.clear();
    return false;
  }
  word = text;
  return true;
}

bool Refresh_smartadvice_response::build(const VARIANT& desc) {
  static const BoolMember kMembers[] = {{kShowSmartRecos, L"enable_smart_advice"},
                                        {kAutomatic, L"automatic_smart_advice"},
                                        {kEnableProtStartup, L"enable_protection_at_startup"},
                                        {kAllowIcmp, L"allow_icmp_ping"},
                                        {kEnableUdp, L"enable_udp_tracking"}};
  return addBools(desc, kMembers, *this);
}

bool Refresh_history_response::build(const VARIANT& desc) {
  static const BoolMember kLogEvents[] = {{kEnable, L"log_events"}};
  static const BoolMember kEvents[] = {
      {kBlockedProgs, L"blocked_programs"},  {kIcmpPings, L"icmp_pings"},
      {kBannedIpAddActivity, L"banned_ips"}, {kSystemPortEvents, L"system_service_ports"},
      {kIdsEvents, L"intrusion_detection"},  {kUnknownPortEvents, L"unknown_events"}};
  static const BoolMember kDontLog[] = {{kDoNotLogOnPort, L"dont_log_events_on_ports"}};
  if (!addBools(desc, kLogEvents, *this)) return false;
  // The event kinds go in as a nested object, not as a string holding one.
  Ledra::JSONParser events;
  events.parse(L"{}");
  if (!addBools(desc, kEvents, events)) return false;
  setJson(L"what_events_to_log", events.toString());
  if (!addBools(desc, kDontLog, *this)) return false;
  std::wstring ports;  // a null text stays ""
  if (!tarn_moduleutil::get_property_byname(desc, propertyName(kPort), ports)) return false;
  setString(L"what_ports_not_to_log", ports);
  return true;
}

bool Refresh_intrudetection_response::build(const VARIANT& desc) {
  static const BoolMember kEnabled[] = {{kHipsEnable, L"enable_intrusion_detection"}};
  if (!addBools(desc, kEnabled, *this)) return false;
  std::wstring word;
  if (!extract_idlevel_settings(desc, word)) return false;
  setString(L"intrusion_detection_level", word);
  return true;
}

bool Refresh_intrudetection_response::extract_idlevel_settings(const VARIANT& desc,
                                                               std::wstring& word) const {
  long number = -1;
  if (!tarn_moduleutil::get_property_byname(desc, propertyName(kHipsLevel), number)) return false;
  const wchar_t* text = words::wordOf(words::set(words::kIntrusionLevels), number);
  if (text == nullptr) {
    LEDRA_LOG(Ledra::logging::Error, L"Brenix::Refresh_intrudetection_response::extract_idlevel_settings",
              __LINE__, kInvalidHipsLevel, static_cast<int>(number));
    return false;
  }
  word = text;
  return true;
}

}  // namespace Brenix
