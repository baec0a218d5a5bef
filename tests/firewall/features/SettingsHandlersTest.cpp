// Security level, smart advice, history and intrusion detection through the
// module's worker against the kit's component.
#include "tests/firewall/features/ModuleWithKit.h"

namespace feature_test {
namespace {

constexpr wchar_t kCud[] = L"Core.Firewall.NotifyCUDResult";

std::wstring cud(bool successful, int feature) {
  return std::wstring(L"{\"Successful\":") + (successful ? L"true" : L"false") +
         L",\"ErrCode\":-1,\"feature_id\":" + std::to_wstring(feature) +
         L",\"func_id\":2,\"id_list\":\"-1\"}";
}

using SettingsHandlers = ModuleWithKit;

TEST_F(SettingsHandlers, SecurityLevelChangeIsReportedAndReadBack) {
  deliver(L"Core.Firewall.UpdateTrafficController", L"{\"traffic_controller\":\"stealth\"}");
  EXPECT_EQ(cud(true, 1), published(kCud));
  deliver(L"Core.Firewall.RefreshTrafficController", L"");
  EXPECT_EQ(L"{\"traffic_controller\":\"stealth\"}", published(L"Core.Firewall.TrafficController"));
  deliver(L"Core.Firewall.UpdateTrafficController", L"{\"traffic_controller\":\"lockdown\"}");
  EXPECT_EQ(cud(true, 1), published(kCud, 2));
  deliver(L"Core.Firewall.RefreshTrafficController", L"");
  EXPECT_EQ(L"{\"traffic_controller\":\"lockdown\"}", published(L"Core.Firewall.TrafficController", 2));
}

TEST_F(SettingsHandlers, SmartAdviceChangeIsReportedAndReadBackInOrder) {
  const std::wstring values =
      L"{\"enable_smart_advice\":false,\"automatic_smart_advice\":true,\"enable_protection_at_startup\":"
      L"false,"
      L"\"allow_icmp_ping\":true,\"enable_udp_tracking\":false}";
  deliver(L"Core.Firewall.UpdateSmartAdvice", values);
  EXPECT_EQ(cud(true, 2), published(kCud));
  deliver(L"Core.Firewall.RefreshSmartAdvice", L"");
  EXPECT_EQ(values, published(L"Core.Firewall.SmartAdvice"));
}

TEST_F(SettingsHandlers, HistoryChangeIsReportedAndItsAnswerCanBeSentBackUnchanged) {
  const std::wstring values =
      L"{\"log_events\":true,\"what_events_to_log\":{\"blocked_programs\":false,\"icmp_pings\":true,"
      L"\"banned_ips\":false,\"system_service_ports\":true,\"intrusion_detection\":false,\"unknown_events\":"
      L"true},"
      L"\"dont_log_events_on_ports\":true,\"what_ports_not_to_log\":\"80,1000-2000\"}";
  deliver(L"Core.Firewall.SetHistory", values);
  EXPECT_EQ(cud(true, 3), published(kCud));
  deliver(L"Core.Firewall.RefreshHistory", L"");
  EXPECT_EQ(values, published(L"Core.Firewall.History"));

  // The nested object may come as a string holding it; an empty port list is passed on.
  deliver(
      L"Core.Firewall.SetHistory",
      L"{\"log_events\":false,\"what_events_to_log\":\"{\\\"blocked_programs\\\":true,\\\"icmp_pings\\\":"
      L"true,"
      L"\\\"banned_ips\\\":true,\\\"system_service_ports\\\":true,\\\"intrusion_detection\\\":true,"
      L"\\\"unknown_events\\\":true}\",\"dont_log_events_on_ports\":false,\"what_ports_not_to_log\":\"\"}");
  EXPECT_EQ(cud(true, 3), published(kCud, 2));
  deliver(L"Core.Firewall.RefreshHistory", L"");
  EXPECT_EQ(
      L"{\"log_events\":false,\"what_events_to_log\":{\"blocked_programs\":true,\"icmp_pings\":true,"
      L"\"banned_ips\":true,\"system_service_ports\":true,\"intrusion_detection\":true,\"unknown_events\":"
      L"true},"
      L"\"dont_log_events_on_ports\":false,\"what_ports_not_to_log\":\"\"}",
      published(L"Core.Firewall.History", 2));
}

TEST_F(SettingsHandlers, IntrusionDetectionChangeIsReportedAndReadBack) {
  deliver(L"Core.Firewall.SetIntrusionDetection",
          L"{\"enable_intrusion_detection\":false,\"intrusion_detection_level\":\"medium\"}");
  EXPECT_EQ(cud(true, 7), published(kCud));
  deliver(L"Core.Firewall.RefreshIntrusionDetection", L"");
  EXPECT_EQ(L"{\"enable_intrusion_detection\":false,\"intrusion_detection_level\":\"medium\"}",
            published(L"Core.Firewall.IntrusionDetection"));
}

TEST_F(SettingsHandlers,
       RefusedPayloadsFailWithoutCallingTheComponentOrPublishingAndTheCatalogueRefusesThem) {
  struct Case {
    const wchar_t* name;
    const wchar_t* payload;
    uint32_t status;
    const wchar_t* handlerLine;  // the handler's own line
    const wchar_t* getterLine;   // the getter's refusal, or nullptr
  };
  const Case cases[] = {
      {L"Core.Firewall.UpdateTrafficController", L"not json", 0x80000006,
       L"SetSecurityLevelSetting : Failed to parse user data", nullptr},
      {L"Core.Firewall.UpdateTrafficController", L"{\"traffic_controller\":\"high\"}", 0x80000008,
       L"SetSecurityLevelSetting: Invalid parameter received in user data.",
       L"Security_level_payload::get_security_level(): Invalid value of szSecurityLevel received."},
      {L"Core.Firewall.UpdateSmartAdvice",
       L"{\"enable_smart_advice\":true,\"automatic_smart_advice\":true,\"enable_protection_at_startup\":true,"
       L"\"enable_udp_tracking\":true}",
       0x80000008, L"SetSmartAdviceSetting : Invalid parameter received in user data.",
       L"allow_icmp_ping not found in JSON"},
      {L"Core.Firewall.UpdateSmartAdvice", L"{", 0x80000006,
       L"SetSmartAdviceSetting : Failed to parse user data", nullptr},
      {L"Core.Firewall.SetHistory",
       L"{\"log_events\":true,\"what_events_to_log\":{\"blocked_programs\":true,\"icmp_pings\":true}}",
       0x80000008, L"SetHistorySetting : Invalid parameter received in user data.",
       L"banned_ips not found in JSON"},
      {L"Core.Firewall.SetHistory", L"", 0x80000006, L"SetHistorySetting: Failed to parse user data",
       nullptr},
      {L"Core.Firewall.SetIntrusionDetection",
       L"{\"enable_intrusion_detection\":true,\"intrusion_detection_level\":\"High\"}", 0x80000008,
       L"SetIntrusionDetection: Invalid parameter received in user data.",
       L"Set_intrusiondetection_payload::get_intrusiondetection_level: Invalid value of szIntrusionLevel "
       L"received."},
      {L"Core.Firewall.SetIntrusionDetection", L"[", 0x80000006,
       L"SetIntrusionDetection: Failed to parse user data", nullptr},
  };
  const std::string modelBefore = readStateFile();
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.payload));
    const LogWatch watch;
    deliver(c.name, c.payload);
    ASSERT_TRUE(watch.waitFor(failureLine(c.status, c.name)));
    EXPECT_EQ(1u, watch.count(c.handlerLine));
    if (c.getterLine) {
      EXPECT_EQ(1u, watch.count(c.getterLine));
    }
    EXPECT_FALSE(validates(catalogueEntry(narrow(c.name))["payload"], c.payload));
  }
  drain();
  EXPECT_EQ(0u, bus->publishedCount(kCud));
  EXPECT_EQ(modelBefore, readStateFile()) << "the component was changed";
}

TEST_F(SettingsHandlers, ARejectedChangeIsReportedUnsuccessfulAndTheHandlerSucceeds) {
  struct Case {
    const wchar_t* operation;
    const wchar_t* name;
    const wchar_t* payload;
    int feature;
    const wchar_t* failure;
  };
  const Case cases[] = {
      {L"SetSecurityLevel", L"Core.Firewall.UpdateTrafficController", L"{\"traffic_controller\":\"stealth\"}",
       1, L"Firewall SetSecurityLevel failed: hr 0x0 result 258"},
      {L"SetSmartRecomendations", L"Core.Firewall.UpdateSmartAdvice",
       L"{\"enable_smart_advice\":true,\"automatic_smart_advice\":true,\"enable_protection_at_startup\":true,"
       L"\"allow_icmp_ping\":true,\"enable_udp_tracking\":true}",
       2, L"Firewall SetSmartRecomendations failed: hr 0x0 result 258"},
      {L"SetEventLog", L"Core.Firewall.SetHistory",
       L"{\"log_events\":true,\"what_events_to_log\":{\"blocked_programs\":true,\"icmp_pings\":true,"
       L"\"banned_ips\":true,\"system_service_ports\":true,\"intrusion_detection\":true,\"unknown_events\":"
       L"true},"
       L"\"dont_log_events_on_ports\":false,\"what_ports_not_to_log\":\"\"}",
       3, L"set_firewallhistory_setting:SetEventLog failed: hr 0x0 result 258"},
      {L"SetHips", L"Core.Firewall.SetIntrusionDetection",
       L"{\"enable_intrusion_detection\":true,\"intrusion_detection_level\":\"basic\"}", 7,
       L"set_firewallintrusiondetection_setting:SetHips failed: hr 0x0 result 258"},
  };
  size_t reported = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.operation));
    setFault(c.operation, L".result", 0x102);
    const LogWatch watch;
    deliver(c.name, c.payload);
    EXPECT_EQ(cud(false, c.feature), published(kCud, ++reported));
    EXPECT_EQ(1u, watch.count(c.failure));
    drain();
    EXPECT_EQ(0u, watch.count(failureLine(0x80000002, c.name)));
  }
}

TEST_F(SettingsHandlers, AFailedReadPublishesNothingAndFailsTheRefresh) {
  struct Case {
    const wchar_t* operation;
    const wchar_t* name;
    const wchar_t* answer;
    const wchar_t* failure;
  };
  const Case cases[] = {
      {L"GetSmartRecomendations", L"Core.Firewall.RefreshSmartAdvice", L"Core.Firewall.SmartAdvice",
       L"get_firewallsmartadvice_settings: Firewall GetSmartRecomendations failed: hr 0x80004005 result 0"},
      {L"GetEventLog", L"Core.Firewall.RefreshHistory", L"Core.Firewall.History",
       L"get_firewallhistory_setting GetEventLog failed: hr 0x80004005 result 0"},
      {L"GetHips", L"Core.Firewall.RefreshIntrusionDetection", L"Core.Firewall.IntrusionDetection",
       L"get_intrusiondetection_settings: Firewall GetHips failed: hr 0x80004005 result 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.operation));
    setFault(c.operation, L".hr", 0x80004005);
    const LogWatch watch;
    deliver(c.name, L"");
    ASSERT_TRUE(watch.waitFor(failureLine(0x80000002, c.name)));
    EXPECT_EQ(1u, watch.count(c.failure));
    drain();
    EXPECT_EQ(0u, bus->publishedCount(c.answer));
  }
  // The security level's own read, last: the drain above uses it.
  setFault(L"GetSecurityLevel", L".result", 0x105);
  const LogWatch watch;
  deliver(L"Core.Firewall.RefreshTrafficController", L"");
  ASSERT_TRUE(watch.waitFor(failureLine(0x80000002, L"Core.Firewall.RefreshTrafficController")));
  EXPECT_EQ(1u, watch.count(L"get_firewallsecurity_level: GetSecurityLevel failed: hr 0x0 result 261"));
}

TEST_F(SettingsHandlers, ARefreshOfANumberWithoutAWordPublishesNothingAndAnswersDataError) {
  // The component holds a security level of 9 and an intrusion detection level of 7.
  writeStateFile("BxFWConfig model 1\nsecurity\t9\nhips\t1\t7\n");
  const LogWatch watch;
  deliver(L"Core.Firewall.RefreshTrafficController", L"");
  deliver(L"Core.Firewall.RefreshIntrusionDetection", L"");
  ASSERT_TRUE(watch.waitFor(failureLine(0x80000006, L"Core.Firewall.RefreshIntrusionDetection")));
  EXPECT_EQ(1u, watch.count(failureLine(0x80000006, L"Core.Firewall.RefreshTrafficController")));
  EXPECT_EQ(1u, watch.count(L"get_security_level: Invalid parameter received"));
  EXPECT_EQ(1u, watch.count(L"Invalid HIPS vLevel=7"));
  const std::wstring badData =
      L": Invalid data received from Cshim layer. Requested message will not be publish as payload is "
      L"incorrect.";
  EXPECT_EQ(1u, watch.count(L"RefreshSecurityLevel" + badData));
  EXPECT_EQ(1u, watch.count(L"RefreshIntrusionDetection" + badData));
  EXPECT_EQ(0u, bus->publishedCount(L"Core.Firewall.TrafficController"));
  EXPECT_EQ(0u, bus->publishedCount(L"Core.Firewall.IntrusionDetection"));
}

}  // namespace
}  // namespace feature_test
