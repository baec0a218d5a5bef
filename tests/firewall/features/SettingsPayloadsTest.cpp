// The request payloads of the settings groups and small services: what each
// getter writes, and what it refuses and logs.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/GetUploadedFilePathPayload.h"
#include "firewall/features/HistoryPayload.h"
#include "firewall/features/NetworkTrustLevelPayload.h"
#include "firewall/features/SecurityLevelPayload.h"
#include "firewall/features/SetIntrusionDetectionPayload.h"
#include "firewall/features/SmartAdvicePayload.h"
#include "tests/firewall/features/SettingsTestSupport.h"

namespace {

using Brenix::ScopedVariant;
using settings_test::LogWatch;
using settings_test::narrow;

// A VARIANT as "type:value", e.g. "I4:3", "BOOL:-1", "BSTR:abc", "BSTR:(null)".
std::wstring describe(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_EMPTY:
      return L"EMPTY";
    case VT_I4:
      return L"I4:" + std::to_wstring(V_I4(&v));
    case VT_BOOL:
      return L"BOOL:" + std::to_wstring(V_BOOL(&v));
    case VT_BSTR:
      return V_BSTR(&v) ? L"BSTR:" + std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"BSTR:(null)";
    default:
      return L"VT " + std::to_wstring(V_VT(&v));
  }
}

enum class Prepared { Int, Bool, Empty };

struct Case {
  const wchar_t* payload;
  // Builds the payload object from the text and calls one getter.
  std::function<bool(const std::wstring&, VARIANT*)> getter;
  Prepared prepared;
  bool accepted;
  const wchar_t* written;   // describe() of the VARIANT afterwards
  const wchar_t* logged;    // the refusal line's message, or nullptr for none
  const wchar_t* function;  // the getter's qualified name in that line
};

template <typename Payload>
std::function<bool(const std::wstring&, VARIANT*)> call(bool (Payload::*getter)(VARIANT*) const) {
  return [getter](const std::wstring& text, VARIANT* out) { return (Payload(text).*getter)(out); };
}

void runCases(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(narrow(c.payload));
    ScopedVariant value;
    if (c.prepared == Prepared::Int) value.SetLong(-1);
    if (c.prepared == Prepared::Bool) value.SetBool(false);
    const LogWatch watch;
    EXPECT_EQ(c.accepted, c.getter(c.payload, value.AsInOut()));
    EXPECT_EQ(narrow(c.written), narrow(describe(value.get())));
    const auto lines = watch.newLines();
    if (c.logged == nullptr) {
      EXPECT_TRUE(lines.empty()) << narrow(lines.front());
      continue;
    }
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(1u, watch.count(c.logged)) << narrow(lines[0]);
    EXPECT_NE(std::wstring::npos, lines[0].find(L"(Error)")) << narrow(lines[0]);
    EXPECT_NE(std::wstring::npos, lines[0].find(L"[Requests:")) << narrow(lines[0]);
    // The function part holds the first 40 characters of the qualified name.
    EXPECT_NE(std::wstring::npos, lines[0].find(L"[" + std::wstring(c.function).substr(0, 40) + L"()]"))
        << narrow(lines[0]);
  }
}

TEST(SettingsPayloads, SecurityLevelWordsAreExactAndRefusalsLogged) {
  const auto get = call(&Brenix::Security_level_payload::get_security_level);
  const wchar_t* fn = L"Brenix::Security_level_payload::get_security_level";
  const wchar_t* invalid =
      L"Security_level_payload::get_security_level(): Invalid value of szSecurityLevel received.";
  const Case cases[] = {
      {LR"({"traffic_controller":"smart_access"})", get, Prepared::Int, true, L"I4:1", nullptr, fn},
      {LR"({"traffic_controller":"monitored_access"})", get, Prepared::Int, true, L"I4:2", nullptr, fn},
      {LR"({"traffic_controller":"stealth"})", get, Prepared::Int, true, L"I4:3", nullptr, fn},
      {LR"({"traffic_controller":"lockdown"})", get, Prepared::Int, true, L"I4:4", nullptr, fn},
      {LR"({"traffic_controller":"Stealth"})", get, Prepared::Int, false, L"I4:-1", invalid, fn},
      {LR"({"traffic_controller":"high"})", get, Prepared::Int, false, L"I4:-1", invalid, fn},
      {LR"({"traffic_controller":3})", get, Prepared::Int, false, L"I4:-1",
       L"Attribute traffic_controller not found in json.", fn},
      {LR"({})", get, Prepared::Int, false, L"I4:-1", L"Attribute traffic_controller not found in json.", fn},
      {L"stealth", get, Prepared::Int, false, L"I4:-1", nullptr, fn},
  };
  runCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(SettingsPayloads, SmartAdviceReadsFiveBooleansAndOnlyBooleans) {
  using P = Brenix::Smart_advice_payload;
  const wchar_t* all =
      LR"({"enable_smart_advice":true,"automatic_smart_advice":false,"enable_protection_at_startup":true,)"
      LR"("allow_icmp_ping":false,"enable_udp_tracking":true})";
  const Case cases[] = {
      {all, call(&P::get_showsmart_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {all, call(&P::get_automaticsmart_setting), Prepared::Bool, true, L"BOOL:0", nullptr, L""},
      {all, call(&P::get_enableprot_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {all, call(&P::get_icmpallowed_setting), Prepared::Bool, true, L"BOOL:0", nullptr, L""},
      {all, call(&P::get_enableudp_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {LR"({"allow_icmp_ping":1})", call(&P::get_icmpallowed_setting), Prepared::Bool, false, L"BOOL:0",
       L"allow_icmp_ping not found in JSON", L"Brenix::Smart_advice_payload::get_icmpallowed_setting"},
      {LR"({"enable_smart_advice":"true"})", call(&P::get_showsmart_setting), Prepared::Bool, false,
       L"BOOL:0", L"enable_smart_advice not found in JSON",
       L"Brenix::Smart_advice_payload::get_showsmart_setting"},
      {LR"({})", call(&P::get_enableudp_setting), Prepared::Bool, false, L"BOOL:0",
       L"enable_udp_tracking not found in JSON", L"Brenix::Smart_advice_payload::get_enableudp_setting"},
      {L"{", call(&P::get_enableprot_setting), Prepared::Bool, false, L"BOOL:0", nullptr, L""},
  };
  runCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(SettingsPayloads, HistoryReadsEventKindsFromANestedObjectOrAStringHoldingOne) {
  using P = Brenix::History_payload;
  const wchar_t* object =
      LR"({"log_events":true,"what_events_to_log":{"blocked_programs":true,"icmp_pings":false,"banned_ips":true,)"
      LR"("system_service_ports":false,"intrusion_detection":true,"unknown_events":false},)"
      LR"("dont_log_events_on_ports":true,"what_ports_not_to_log":"80,443"})";
  const wchar_t* text =
      LR"({"what_events_to_log":"{\"blocked_programs\":false,\"icmp_pings\":true,\"unknown_events\":true}"})";
  const wchar_t* fnBanned = L"Brenix::History_payload::get_bannedips_setting";
  const Case cases[] = {
      {object, call(&P::get_logevent_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {object, call(&P::get_blockedprogram_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {object, call(&P::get_icmpping_setting), Prepared::Bool, true, L"BOOL:0", nullptr, L""},
      {object, call(&P::get_bannedips_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {object, call(&P::get_systemserviceports_setting), Prepared::Bool, true, L"BOOL:0", nullptr, L""},
      {object, call(&P::get_intrusiondetection_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {object, call(&P::get_unknownevents_setting), Prepared::Bool, true, L"BOOL:0", nullptr, L""},
      {object, call(&P::get_dontlogevents_onports), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {object, call(&P::get_whatports_nottolog), Prepared::Empty, true, L"BSTR:80,443", nullptr, L""},
      {LR"({"what_ports_not_to_log":""})", call(&P::get_whatports_nottolog), Prepared::Empty, true, L"BSTR:",
       nullptr, L""},
      {text, call(&P::get_icmpping_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {text, call(&P::get_unknownevents_setting), Prepared::Bool, true, L"BOOL:-1", nullptr, L""},
      {text, call(&P::get_bannedips_setting), Prepared::Bool, false, L"BOOL:0",
       L"banned_ips not found in JSON", fnBanned},
      {LR"({"what_events_to_log":"not json"})", call(&P::get_bannedips_setting), Prepared::Bool, false,
       L"BOOL:0", nullptr, L""},
      {LR"({"log_events":true})", call(&P::get_bannedips_setting), Prepared::Bool, false, L"BOOL:0",
       L"what_events_to_log not found in JSON", fnBanned},
      {LR"({"log_events":1})", call(&P::get_logevent_setting), Prepared::Bool, false, L"BOOL:0",
       L"log_events not found in JSON", L"Brenix::History_payload::get_logevent_setting"},
      {LR"({"what_ports_not_to_log":80})", call(&P::get_whatports_nottolog), Prepared::Empty, false, L"EMPTY",
       L"what_ports_not_to_log not found in JSON", L"Brenix::History_payload::get_whatports_nottolog"},
      {L"[true]", call(&P::get_logevent_setting), Prepared::Bool, false, L"BOOL:0",
       L"log_events not found in JSON", L"Brenix::History_payload::get_logevent_setting"},
      {L"log_events=true", call(&P::get_icmpping_setting), Prepared::Bool, false, L"BOOL:0", nullptr, L""},
  };
  runCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(SettingsPayloads, IntrusionDetectionLevelWordsAreExact) {
  using P = Brenix::Set_intrusiondetection_payload;
  const auto level = call(&P::get_intrusiondetection_level);
  const wchar_t* fn = L"Brenix::Set_intrusiondetection_payload::get_intrusiondetection_level";
  const wchar_t* invalid =
      L"Set_intrusiondetection_payload::get_intrusiondetection_level: Invalid value of szIntrusionLevel "
      L"received.";
  const Case cases[] = {
      {LR"({"intrusion_detection_level":"basic"})", level, Prepared::Int, true, L"I4:0", nullptr, fn},
      {LR"({"intrusion_detection_level":"medium"})", level, Prepared::Int, true, L"I4:1", nullptr, fn},
      {LR"({"intrusion_detection_level":"high"})", level, Prepared::Int, true, L"I4:2", nullptr, fn},
      {LR"({"intrusion_detection_level":"High"})", level, Prepared::Int, false, L"I4:-1", invalid, fn},
      {LR"({"intrusion_detection_level":2})", level, Prepared::Int, false, L"I4:-1",
       L"intrusion_detection_level not found in JSON", fn},
      {LR"({"enable_intrusion_detection":false})", call(&P::get_intrusiondetection_setting), Prepared::Bool,
       true, L"BOOL:0", nullptr, fn},
      {LR"({"enable_intrusion_detection":null})", call(&P::get_intrusiondetection_setting), Prepared::Bool,
       false, L"BOOL:0", L"enable_intrusion_detection not found in JSON",
       L"Brenix::Set_intrusiondetection_payload::get_intrusiondetection_setting"},
      {L"", level, Prepared::Int, false, L"I4:-1", nullptr, fn},
  };
  runCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(SettingsPayloads, WindowIdIsANonzeroUnsignedNumber) {
  const auto get = call(&Brenix::Get_uploadedfilepath_payload::get_windowid);
  const wchar_t* fn = L"Brenix::Get_uploadedfilepath_payload::get_windowid";
  const Case cases[] = {
      {LR"({"session_ID":1})", get, Prepared::Int, true, L"I4:1", nullptr, fn},
      {LR"({"session_ID":4294967295})", get, Prepared::Int, true, L"I4:-1", nullptr, fn},
      {LR"({"session_ID":0})", get, Prepared::Int, false, L"I4:-1", L"get_windowid:Invalid windowId 0", fn},
      {LR"({"session_ID":-1})", get, Prepared::Int, false, L"I4:-1",
       L"get_windowid:session_ID not found in JSON", fn},
      {LR"({"session_ID":"1"})", get, Prepared::Int, false, L"I4:-1",
       L"get_windowid:session_ID not found in JSON", fn},
      {LR"({"session_id":1})", get, Prepared::Int, false, L"I4:-1",
       L"get_windowid:session_ID not found in JSON", fn},
      {L"1", get, Prepared::Int, false, L"I4:-1", L"get_windowid:session_ID not found in JSON", fn},
      {L"{\"session_ID\":", get, Prepared::Int, false, L"I4:-1", nullptr, fn},
  };
  runCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(SettingsPayloads, TrustLevelReadsTheMacAsTextAndTheLevelAsANumber) {
  using P = Brenix::Network_trust_level_payload;
  const wchar_t* fnLevel = L"Brenix::Network_trust_level_payload::get_trust_level";
  const wchar_t* missingLevel =
      L"Network_trust_level_payload::get_trust_level:- Attribute trust_level not found in JSON";
  const Case cases[] = {
      {LR"({"mac_address":"00-1a-2b-3c-4d-5e","trust_level":2})", call(&P::get_mac_address), Prepared::Empty,
       true, L"BSTR:00-1a-2b-3c-4d-5e", nullptr, L""},
      {LR"({"mac_address":"00-1a-2b-3c-4d-5e","trust_level":2})", call(&P::get_trust_level), Prepared::Int,
       true, L"I4:2", nullptr, L""},
      {LR"({"mac_address":"x"})", call(&P::get_trust_level), Prepared::Int, false, L"I4:-1", missingLevel,
       fnLevel},
      {LR"({"trust_level":"2"})", call(&P::get_trust_level), Prepared::Int, false, L"I4:-1", missingLevel,
       fnLevel},
      {LR"({"mac_address":17})", call(&P::get_mac_address), Prepared::Empty, false, L"EMPTY",
       L"mac_address not found in JSON", L"Brenix::Network_trust_level_payload::get_mac_address"},
      {L"mac", call(&P::get_mac_address), Prepared::Empty, false, L"EMPTY", nullptr, L""},
  };
  runCases(cases, sizeof(cases) / sizeof(cases[0]));
}

}  // namespace
