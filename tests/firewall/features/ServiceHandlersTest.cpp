// Defaults, user state, the file dialog and the trust level of networks
// through the module's worker against the kit's component.
#include "tests/firewall/features/ModuleWithKit.h"

namespace feature_test {
namespace {

using ServiceHandlers = ModuleWithKit;

constexpr wchar_t kButton[] = L"Core.Firewall.RestoreDefaultsBtnStatus";
constexpr wchar_t kFilePath[] = L"Core.Firewall.NotifyUploadedFilePath";
constexpr wchar_t kTrust[] = L"Core.Firewall.TrustLevel";

// Rules: IPv4 and IPv6 with one MAC, an IPv4 rule with another, and (only
// where asked) an IPv4 rule without MAC, which matches every MAC.
std::string rules(bool withRuleWithoutMac) {
  std::string text =
      "BxFWConfig model 1\n"
      "rule\t1\t192.168.1.10\t00-1A-2B-3C-4D-5E\t1\n"
      "rule\t2\tfe80::1\t00-1A-2B-3C-4D-5E\t1\n"
      "rule\t3\t172.16.5.4\tA4-5E-60-C2-11-09\t2\n";
  if (withRuleWithoutMac) text += "rule\t4\t10.0.0.1\t\\0\t0\n";
  return text;
}

TEST_F(ServiceHandlers, TheRestoreButtonIsEnabledExactlyWhileSettingsDifferFromTheDefaults) {
  deliver(L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", L"");
  EXPECT_EQ(L"{\"Enable\":false}", published(kButton));
  deliver(L"Core.Firewall.UpdateTrafficController", L"{\"traffic_controller\":\"lockdown\"}");
  deliver(L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", L"");
  EXPECT_EQ(L"{\"Enable\":true}", published(kButton, 2));

  const LogWatch watch;
  deliver(L"Core.Firewall.RestoreDefaults", L"");
  deliver(L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", L"");
  EXPECT_EQ(L"{\"Enable\":false}", published(kButton, 3));
  EXPECT_EQ(0u, watch.count(failureLine(0x80000002, L"Core.Firewall.RestoreDefaults")));
  deliver(L"Core.Firewall.RefreshTrafficController", L"");
  EXPECT_EQ(L"{\"traffic_controller\":\"smart_access\"}", published(L"Core.Firewall.TrafficController"))
      << "the defaults were not restored";
}

TEST_F(ServiceHandlers, DefaultsFailuresAreLoggedAndPublishNothing) {
  setFault(L"ResetToDefaults", L".result", 0x105);
  setFault(L"IsResetToDefaults", L".hr", 0x80004005);
  const LogWatch watch;
  deliver(L"Core.Firewall.RestoreDefaults", L"");
  deliver(L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", L"");
  ASSERT_TRUE(watch.waitFor(failureLine(0x80000002, L"Core.Firewall.RefreshRestoreDefaultsBtnStatus")));
  EXPECT_EQ(1u, watch.count(failureLine(0x80000002, L"Core.Firewall.RestoreDefaults")));
  EXPECT_EQ(1u,
            watch.count(L"restore_firewalldefault_settings:ResetToDefaults call failed: hr 0x0 result 261"));
  EXPECT_EQ(1u, watch.count(L"IsResetToDefaults call failed: hr 0x80004005."));
  drain();
  EXPECT_EQ(0u, bus->publishedCount(kButton));
}

TEST_F(ServiceHandlers, UserStateTellsWhetherTheUserIsAnAdministrator) {
  // The component answers from the process token's membership of BUILTIN\Administrators.
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                       0, 0, 0, &administrators));
  BOOL member = FALSE;
  CheckTokenMembership(nullptr, administrators, &member);
  FreeSid(administrators);
  deliver(L"Core.Firewall.RequestUserState", L"");
  EXPECT_EQ(member ? L"{\"admin\":true}" : L"{\"admin\":false}", published(L"Core.Firewall.UserState"));

  setFault(L"IsAdmin", L".hr", 0x80004005);
  const LogWatch watch;
  deliver(L"Core.Firewall.RequestUserState", L"");
  ASSERT_TRUE(watch.waitFor(failureLine(0x80000002, L"Core.Firewall.RequestUserState")));
  EXPECT_EQ(1u, watch.count(L"GetUserState - BxHubHelper IsAdmin failed: (0x80004005)"));
  drain();
  EXPECT_EQ(1u, bus->publishedCount(L"Core.Firewall.UserState"));
}

TEST_F(ServiceHandlers, TheChosenFileIsPublishedAndACancelledOrFailedDialogGivesAnEmptyPath) {
  setOpenFilePath(L"C:\\Tools\\app.exe");
  deliver(L"Core.Firewall.GetUploadedFilePath", L"{\"session_ID\":1}");
  EXPECT_EQ(L"{\"FilePath\":\"C:\\\\Tools\\\\app.exe\"}", published(kFilePath));

  setOpenFilePath(L"");  // cancelled
  deliver(L"Core.Firewall.GetUploadedFilePath", L"{\"session_ID\":1}");
  EXPECT_EQ(L"{\"FilePath\":\"\"}", published(kFilePath, 2));

  setOpenFilePath(L"C:\\Tools\\app.exe");
  setFault(L"OpenFile", L".hr", 0x80004005);
  const LogWatch watch;
  deliver(L"Core.Firewall.GetUploadedFilePath", L"{\"session_ID\":1}");
  EXPECT_EQ(L"{\"FilePath\":\"\"}", published(kFilePath, 3));
  ASSERT_TRUE(watch.waitFor(failureLine(0x80000002, L"Core.Firewall.GetUploadedFilePath")));
  EXPECT_EQ(1u, watch.count(L"SelectProgramFile - BxHubHelper OpenFile failed: (0x80004005)"));
}

TEST_F(ServiceHandlers, AFilePathRequestWithoutAUsableSessionIsRefusedWithItsOwnCodes) {
  struct Case {
    const wchar_t* payload;
    uint32_t status;
    const wchar_t* line;
  };
  const Case cases[] = {
      {L"{\"session_ID\":0}", 0x80000006, L"GetUploadedFilePath:Failed to get window id from payload"},
      {L"{}", 0x80000006, L"GetUploadedFilePath:Failed to get window id from payload"},
      {L"session 1", 0x80000008, L"GetUploadedFilePath:Failed to parse user data"},
  };
  setOpenFilePath(L"C:\\Tools\\app.exe");
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.payload));
    const LogWatch watch;
    deliver(L"Core.Firewall.GetUploadedFilePath", c.payload);
    ASSERT_TRUE(watch.waitFor(failureLine(c.status, L"Core.Firewall.GetUploadedFilePath")));
    EXPECT_EQ(1u, watch.count(c.line));
  }
  drain();
  EXPECT_EQ(0u, bus->publishedCount(kFilePath));
}

TEST_F(ServiceHandlers, TrustLevelReadMatchesMacsWithoutRegardToCaseAndAnswersTheRequester) {
  writeStateFile(rules(false));
  struct Case {
    const wchar_t* mac;
    const wchar_t* answer;
  };
  const Case cases[] = {
      {L"00-1a-2b-3c-4d-5e", L"{\"trust_level\":1,\"mac_address\":\"00-1a-2b-3c-4d-5e\"}"},
      {L"a4-5e-60-c2-11-09", L"{\"trust_level\":2,\"mac_address\":\"a4-5e-60-c2-11-09\"}"},
      {L"FF-FF-FF-FF-FF-FF", L"{\"trust_level\":-1,\"mac_address\":\"FF-FF-FF-FF-FF-FF\"}"},
  };
  size_t answered = 0;
  const LogWatch watch;
  for (const Case& c : cases) {
    deliver(L"Core.Firewall.GetTrustLevel", std::wstring(L"{\"mac_address\":\"") + c.mac + L"\"}", true);
    const auto reply = bus->waitForPublished(kTrust, ++answered);
    ASSERT_NE(nullptr, reply);
    EXPECT_EQ(c.answer, reply->getPayload());
    EXPECT_NE(0u, reply->getHeader()->flags & Ledra::kMessageFlagReply) << "not sent as a reply";
  }
  drain();
  EXPECT_EQ(0u, watch.count(failureLine(0x80000002, L"Core.Firewall.GetTrustLevel")));

  // A rule without MAC matches every address.
  writeStateFile(rules(true));
  deliver(L"Core.Firewall.GetTrustLevel", L"{\"mac_address\":\"FF-FF-FF-FF-FF-FF\"}", true);
  EXPECT_EQ(L"{\"trust_level\":0,\"mac_address\":\"FF-FF-FF-FF-FF-FF\"}", published(kTrust, ++answered));
}

TEST_F(ServiceHandlers, TrustLevelReadAnswersEvenWhenTheRulesCannotBeRead) {
  setFault(L"GetEnumerator", L".hr", 0x80004005);
  const LogWatch watch;
  deliver(L"Core.Firewall.GetTrustLevel", L"{\"mac_address\":\"00-1A-2B-3C-4D-5E\"}", true);
  EXPECT_EQ(L"{\"trust_level\":-1,\"mac_address\":\"00-1A-2B-3C-4D-5E\"}", published(kTrust));
  ASSERT_TRUE(watch.waitFor(failureLine(0x80000002, L"Core.Firewall.GetTrustLevel")));
  EXPECT_EQ(1u, watch.count(L"TarnIf::get_network_trust_level failed: 2147483650"));

  deliver(L"Core.Firewall.GetTrustLevel", L"{\"mac\":\"00-1A-2B-3C-4D-5E\"}", true);
  ASSERT_TRUE(watch.waitFor(failureLine(0x80000008, L"Core.Firewall.GetTrustLevel")));
  EXPECT_EQ(
      1u, watch.count(L"TarnModuleImpl::get_network_trust_level: Invalid parameter received in user data."));
  drain();
  EXPECT_EQ(1u, bus->publishedCount(kTrust));
}

TEST_F(ServiceHandlers, TrustLevelWriteReachesEveryMatchingIpv4RuleAndPublishesNothing) {
  writeStateFile(rules(true));
  const LogWatch watch;
  deliver(L"Core.Firewall.SetTrustLevel", L"{\"mac_address\":\"00-1a-2b-3c-4d-5e\",\"trust_level\":2}");
  drain();
  EXPECT_EQ(0u, watch.count(failureLine(0x80000002, L"Core.Firewall.SetTrustLevel")));
  const std::string model = readStateFile();
  EXPECT_NE(std::string::npos, model.find("rule\t1\t192.168.1.10\t00-1A-2B-3C-4D-5E\t2\n")) << model;
  EXPECT_NE(std::string::npos, model.find("rule\t2\tfe80::1\t00-1A-2B-3C-4D-5E\t1\n")) << "IPv6 rule changed";
  EXPECT_NE(std::string::npos, model.find("rule\t3\t172.16.5.4\tA4-5E-60-C2-11-09\t2\n")) << model;
  EXPECT_NE(std::string::npos, model.find("rule\t4\t10.0.0.1\t\\0\t2\n")) << "the rule without MAC";
  EXPECT_EQ(0u, bus->publishedCount(kTrust));
}

TEST_F(ServiceHandlers, TrustLevelWriteFailuresAndRefusalsAreLoggedWithTheirCodes) {
  writeStateFile(rules(false));
  const std::string before = readStateFile();
  struct Case {
    const wchar_t* payload;
    uint32_t status;
    const wchar_t* line;
  };
  const Case cases[] = {
      {L"{\"mac_address\":\"00-1A-2B-3C-4D-5E\"}", 0x80000008,
       L"Network_trust_level_payload::get_trust_level:- Attribute trust_level not found in JSON"},
      {L"{\"trust_level\":1}", 0x80000008,
       L"TarnModuleImpl::set_network_trust_level: Invalid parameter received in user data."},
      {L"{\"mac_address\":", 0x80000006,
       L"TarnModuleImpl::set_network_trust_level: Failed to parse user data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.payload));
    const LogWatch watch;
    deliver(L"Core.Firewall.SetTrustLevel", c.payload);
    ASSERT_TRUE(watch.waitFor(failureLine(c.status, L"Core.Firewall.SetTrustLevel")));
    EXPECT_EQ(1u, watch.count(c.line));
  }
  // A refused apply, and an S_FALSE one: neither is a success, and the walk stops.
  const struct {
    DWORD hr, result;
    const wchar_t* line;
  } applyFaults[] = {{0, 0x105, L"Unable to apply property: '11' due to error: '0x0' lResult = '0x105'."},
                     {1, 0, L"Unable to apply property: '11' due to error: '0x1' lResult = '0x0'."}};
  for (const auto& fault : applyFaults) {
    setFault(L"ApplyProperties", L".hr", fault.hr);
    setFault(L"ApplyProperties", L".result", fault.result);
    const LogWatch watch;
    deliver(L"Core.Firewall.SetTrustLevel", L"{\"mac_address\":\"00-1A-2B-3C-4D-5E\",\"trust_level\":0}");
    ASSERT_TRUE(watch.waitFor(failureLine(0x80000002, L"Core.Firewall.SetTrustLevel")));
    EXPECT_EQ(1u, watch.count(fault.line));
    EXPECT_EQ(before, readStateFile());
  }
}

}  // namespace
}  // namespace feature_test
