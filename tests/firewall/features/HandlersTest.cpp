// The feature handlers through the module's worker against the kit's
// component: what they publish and what the component's state file holds
// afterwards, and the status and the lines they log when a request is refused
// or the component fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "firewall/TarnModuleImpl.h"
#include "message/Message.h"
#include "module/ModuleManagerShim.h"
#include "tests/firewall/FakeServices.h"
#include "tests/firewall/features/FeatureTests.h"
#include "wrappers/ScopedHandle.h"

namespace feature_test {
namespace {

constexpr wchar_t kCud[] = L"Core.Firewall.NotifyCUDResult";
constexpr wchar_t kTrust[] = L"Core.Firewall.TrustLevel";
constexpr wchar_t kFilePath[] = L"Core.Firewall.NotifyUploadedFilePath";
constexpr wchar_t kButton[] = L"Core.Firewall.RestoreDefaultsBtnStatus";
constexpr uint32_t kFailed = 0x80000002, kDataError = 0x80000006, kInvalid = 0x80000008;

constexpr wchar_t kSmartAdvice[] =
    LR"({"enable_smart_advice":false,"automatic_smart_advice":true,"enable_protection_at_startup":false,)"
    LR"("allow_icmp_ping":true,"enable_udp_tracking":false})";
constexpr wchar_t kHistory[] =
    LR"({"log_events":true,"what_events_to_log":{"blocked_programs":false,"icmp_pings":true,)"
    LR"("banned_ips":false,"system_service_ports":true,"intrusion_detection":false,"unknown_events":true},)"
    LR"("dont_log_events_on_ports":true,"what_ports_not_to_log":"80,1000-2000"})";
constexpr wchar_t kIntrusion[] =
    LR"({"enable_intrusion_detection":false,"intrusion_detection_level":"medium"})";
// A system service after its name, and a network connection after its notes.
constexpr wchar_t kService[] =
    LR"("enabled":true,"category":"Games","portinfo":"{\"tcp_local\":\"27015\",\"udp_local\":\"27016\"}",)"
    LR"("description":"Game server","openportsto":1,"forwardactivity":true})";
constexpr wchar_t kAddress[] =
    LR"("IPType":0,"IsIpV4":true,"StartAddress":"10.2.3.4","EndAddress":"","network_type":2,"ExpiresIn":7})";

std::wstring fw(const std::wstring& name) { return L"Core.Firewall." + name; }

std::wstring cud(bool ok, int feature, int function, const std::wstring& ids = L"-1", int err = -1) {
  return L"{\"Successful\":" + std::wstring(ok ? L"true" : L"false") + L",\"ErrCode\":" +
         std::to_wstring(err) + L",\"feature_id\":" + std::to_wstring(feature) + L",\"func_id\":" +
         std::to_wstring(function) + L",\"id_list\":\"" + ids + L"\"}";
}

// Rules: IPv4 and IPv6 with one MAC, and an IPv4 rule with another.
constexpr char kRules[] =
    "BxFWConfig model 1\n"
    "rule\t1\t192.168.1.10\t00-1A-2B-3C-4D-5E\t1\n"
    "rule\t2\tfe80::1\t00-1A-2B-3C-4D-5E\t1\n"
    "rule\t3\t172.16.5.4\tA4-5E-60-C2-11-09\t2\n";

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";

void setMachineText(const wchar_t* name, const std::wstring& value) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name, REG_SZ, value.c_str(),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}
void deleteMachineValue(const wchar_t* name) { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name); }

// Loads the kit's component from the bin folder and registers it, once; it stays loaded.
class KitEnvironment : public ::testing::Environment {
  void SetUp() override {
    kit_.reset(LoadLibraryW((binFolder() + L"\\BxFWConfig.dll").c_str()));
    const auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(kit_.get(), "DllRegisterServer")));
    ASSERT_TRUE(reg != nullptr && reg() == S_OK);
  }
  void TearDown() override { kit_.reset(); }
  Ledra::ScopedLibrary kit_;
};
const auto* const kKitEnvironment = ::testing::AddGlobalTestEnvironment(new KitEnvironment);

uint32_t unloadNothing(void*, const wchar_t*, void*) { return 0; }

// The firewall module with the kit's real component (created by verified
// creation) and a fake bus: each test gets its own state file, no fault
// switches and no file-dialog answer.
class Handlers : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    stateFile_ = std::wstring(temp) + L"features_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(stateFile_.c_str());
    setMachineText(L"StateFile", stateFile_);
    clearFaults();
    deleteMachineValue(L"OpenFilePath");
    module_ = std::make_unique<Ledra::TarnModuleImpl>(std::make_shared<Basalt::IOCContainer>(), nullptr);
    const auto manager = std::make_shared<Ledra::internal::ModuleManagerShim>(nullptr, &unloadNothing);
    ASSERT_EQ(0u, module_->baseInitialize(L"Tarn", L"second", {}, manager, bus));
    ASSERT_EQ(0u, module_->initialize());
  }
  void TearDown() override {
    module_->stop();
    module_->uninitialize();
    module_.reset();
    clearFaults();
    deleteMachineValue(L"OpenFilePath");
    deleteMachineValue(L"StateFile");
    DeleteFileW(stateFile_.c_str());
  }

  // Hands the message to the module as the bus would.
  void deliver(const std::wstring& name, const std::wstring& payload, bool expectsReply = false) {
    auto message = Ledra::Message::create(name, L"ui", payload);
    if (expectsReply) message->getHeader()->flags |= Ledra::kMessageFlagExpectsReply;
    bus->deliver(message);
  }
  // The payload of the count-th publication of name ("<none>" after the deadline).
  std::wstring published(const std::wstring& name, size_t count = 1) {
    const auto message = bus->waitForPublished(name, count);
    return message ? message->getPayload() : L"<none>";
  }
  size_t changes() { return bus->publishedCount(kCud); }
  std::wstring lastChange() { return published(kCud, changes()); }

  // Delivers a request, waits until the worker has handled it and answers the
  // status the worker logged for it (0 when it logged none).
  uint32_t statusOf(const std::wstring& name, const std::wstring& payload, bool expectsReply = false) {
    const LogScope log;
    deliver(name, payload, expectsReply);
    // Then one whose answer is always published (the user state, or the security
    // level while the user state fails): once it is, the first was handled.
    const bool user = faults_.count(L"IsAdmin") == 0;
    const std::wstring answer = user ? L"Core.Firewall.UserState" : L"Core.Firewall.TrafficController";
    const size_t seen = bus->publishedCount(answer);
    deliver(user ? L"Core.Firewall.RequestUserState" : L"Core.Firewall.RefreshTrafficController", L"");
    EXPECT_NE(nullptr, bus->waitForPublished(answer, seen + 1));
    // The worker's format is "%ul": the decimal status followed by a letter l.
    const std::wregex failed(L"Encountered error (\\d+)l processing message " + name);
    std::wsmatch match;
    for (const auto& line : log.lines()) {
      if (std::regex_match(line.message, match, failed)) return std::stoul(match[1].str());
    }
    return 0;
  }

  // The component's operation answers value as its HRESULT (suffix ".hr") or
  // result code (".result") until the faults are cleared.
  void setFault(const std::wstring& operation, const wchar_t* suffix, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFaultsKey, (operation + suffix).c_str(),
                                             REG_DWORD, &value, sizeof(value)));
    faults_.insert(operation);
  }
  void clearFaults() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
    faults_.clear();
  }

  // The component's model as its state file holds it.
  void writeStateFile(const std::string& text) {
    std::ofstream(stateFile_.c_str(), std::ios::binary) << text;
  }
  std::string readStateFile() const {
    std::stringstream text;
    text << std::ifstream(stateFile_.c_str(), std::ios::binary).rdbuf();
    return text.str();
  }
  // The id (second field) of the first record with this tag holding text, or -1.
  long idOf(const std::string& tag, const std::string& text) const {
    std::istringstream file(readStateFile());
    for (std::string r; std::getline(file, r);) {
      if (r.compare(0, tag.size() + 1, tag + "\t") == 0 && r.find(text) != std::string::npos)
        return std::stol(r.substr(tag.size() + 1));
    }
    return -1;
  }
  bool hasRecord(const std::string& tag, const std::string& text) const { return idOf(tag, text) != -1; }

  std::shared_ptr<tarn_test::FakeBus> bus = std::make_shared<tarn_test::FakeBus>();

 private:
  std::unique_ptr<Ledra::TarnModuleImpl> module_;
  std::wstring stateFile_;
  std::set<std::wstring> faults_;
};

TEST_F(Handlers, SettingsGroupsReportTheirChangeAndReadItBack) {
  const struct {
    const wchar_t* change;
    const wchar_t* payload;
    int feature;
    const wchar_t* refresh;
    const wchar_t* answer;
  } cases[] = {
      {L"UpdateTrafficController", LR"({"traffic_controller":"stealth"})", 1, L"RefreshTrafficController",
       L"TrafficController"},
      {L"UpdateSmartAdvice", kSmartAdvice, 2, L"RefreshSmartAdvice", L"SmartAdvice"},
      {L"SetHistory", kHistory, 3, L"RefreshHistory", L"History"},
      {L"SetIntrusionDetection", kIntrusion, 7, L"RefreshIntrusionDetection", L"IntrusionDetection"},
  };
  size_t reported = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.change));
    deliver(fw(c.change), c.payload);
    EXPECT_EQ(cud(true, c.feature, 2), published(kCud, ++reported));
    deliver(fw(c.refresh), L"");
    EXPECT_EQ(c.payload, published(fw(c.answer)));
  }
}

TEST_F(Handlers, RefusedRequestsLogTheirLineAnswerTheirStatusAndChangeNothing) {
  struct Case {
    const wchar_t* name;
    const wchar_t* payload;
    uint32_t status;
    int line;  // the handler's line, file TarnModuleImpl
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"UpdateTrafficController", L"not json", kDataError, 77,
       L"SetSecurityLevelSetting : Failed to parse user data"},
      {L"UpdateTrafficController", LR"({"traffic_controller":"high"})", kInvalid, 81,
       L"SetSecurityLevelSetting: Invalid parameter received in user data."},
      {L"UpdateSmartAdvice", L"{", kDataError, 118, L"SetSmartAdviceSetting : Failed to parse user data"},
      {L"UpdateSmartAdvice", LR"({"enable_smart_advice":true})", kInvalid, 126,
       L"SetSmartAdviceSetting : Invalid parameter received in user data."},
      {L"SetHistory", L"", kDataError, 81, L"SetHistorySetting: Failed to parse user data"},
      {L"SetHistory", LR"({"log_events":true,"what_events_to_log":{}})", kInvalid, 93,
       L"SetHistorySetting : Invalid parameter received in user data."},
      {L"SetIntrusionDetection", L"[", kDataError, 132, L"SetIntrusionDetection: Failed to parse user data"},
      {L"SetIntrusionDetection", LR"({"enable_intrusion_detection":true,"intrusion_detection_level":"High"})",
       kInvalid, 137, L"SetIntrusionDetection: Invalid parameter received in user data."},
      // A list's handler refuses alike (the values' own refusals are the payload table's).
      {L"AddProgramInternetConnection", L"not json", kDataError, 36,
       L"AddProgInternetConn: Failed to parse user data"},
      {L"EditProgramInternetConnection", LR"({"permission":1,"access":0,"net_guard":"on"})", kInvalid, 64,
       L"EditProgInternetConn:Invalid parameter received in user data."},
      // The file dialog answers its two refusals with the other codes.
      {L"GetUploadedFilePath", L"session 1", kInvalid, 128, L"GetUploadedFilePath:Failed to parse user data"},
      {L"GetUploadedFilePath", LR"({"session_ID":0})", kDataError, 132,
       L"GetUploadedFilePath:Failed to get window id from payload"},
      {L"GetTrustLevel", LR"({"mac":"00-1A-2B-3C-4D-5E"})", kInvalid, 155,
       L"TarnModuleImpl::get_network_trust_level: Invalid parameter received in user data."},
      {L"SetTrustLevel", LR"({"mac_address":)", kDataError, 174,
       L"TarnModuleImpl::set_network_trust_level: Failed to parse user data"},
      {L"SetTrustLevel", LR"({"mac_address":"00-1A-2B-3C-4D-5E"})", kInvalid, 178,
       L"TarnModuleImpl::set_network_trust_level: Invalid parameter received in user data."},
  };
  setMachineText(L"OpenFilePath", L"C:\\Tools\\app.exe");
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.name) + " " + narrow(c.payload));
    const LogScope log;
    EXPECT_EQ(c.status, statusOf(fw(c.name), c.payload));
    EXPECT_EQ(1u, log.count({L"Error", c.text, L"TarnModuleImpl", L"", c.line}));
    EXPECT_FALSE(validates(catalogueEntry(narrow(c.name))["payload"], c.payload));
  }
  for (const wchar_t* answer : {kCud, kFilePath, kTrust}) EXPECT_EQ(0u, bus->publishedCount(answer));
  EXPECT_TRUE(readStateFile().empty()) << "the component saved a change";
}

TEST_F(Handlers, ComponentFailuresAndBadDataAreLoggedAndAnsweredAsEachRequestSays) {
  struct Case {
    const wchar_t* operation;
    const wchar_t* suffix;
    DWORD value;
    const wchar_t* name;
    std::wstring payload;
    uint32_t status;
    const wchar_t* line;  // the failure's line, or nullptr
    const wchar_t* answer;
    std::wstring published;       // empty: nothing is published
    const char* model = nullptr;  // the component's model instead of a fault
  };
  const wchar_t* const kNothing = L"";
  const std::wstring trustMac = LR"({"mac_address":"00-1A-2B-3C-4D-5E")";
  const Case cases[] = {
      // A refused change is reported unsuccessful and the handler succeeds.
      {L"SetSecurityLevel", L".result", 0x102, L"UpdateTrafficController",
       LR"({"traffic_controller":"stealth"})", 0, L"Firewall SetSecurityLevel failed: hr 0x0 result 258",
       kCud, cud(false, 1, 2)},
      {L"SetSmartRecomendations", L".result", 0x102, L"UpdateSmartAdvice", kSmartAdvice, 0,
       L"Firewall SetSmartRecomendations failed: hr 0x0 result 258", kCud, cud(false, 2, 2)},
      {L"SetEventLog", L".result", 0x102, L"SetHistory", kHistory, 0,
       L"set_firewallhistory_setting:SetEventLog failed: hr 0x0 result 258", kCud, cud(false, 3, 2)},
      {L"SetHips", L".result", 0x102, L"SetIntrusionDetection", kIntrusion, 0,
       L"set_firewallintrusiondetection_setting:SetHips failed: hr 0x0 result 258", kCud, cud(false, 7, 2)},
      // A failed add still publishes, with the id it never got.
      {L"AddSystemService", L".result", 5, L"AddPortsAndSystemServices",
       LR"({"name":"Game",)" + std::wstring(kService), 0,
       L"FirewallAddPortsAndSystemServices failed: hr 0x0 result 5", kCud, cud(false, 6, 3)},
      {L"EditIPReputation", L".result", 0x103, L"EditNetGuard", LR"({"SSID":2,"action":0})", 0,
       L"edit_firewall_netguard:EditIPReputation call failed: hr 0x0 result 259", kCud,
       cud(false, 8, 2, L"2")},
      // A failed read fails its request, which publishes nothing; a list's
      // refresh reaches the component whatever its payload.
      {L"GetSecurityLevel", L".result", 0x105, L"RefreshTrafficController", kNothing, kFailed,
       L"get_firewallsecurity_level: GetSecurityLevel failed: hr 0x0 result 261",
       L"Core.Firewall.TrafficController", kNothing},
      {L"GetSmartRecomendations", L".hr", 0x80004005, L"RefreshSmartAdvice", kNothing, kFailed,
       L"get_firewallsmartadvice_settings: Firewall GetSmartRecomendations failed: hr 0x80004005 result 0",
       L"Core.Firewall.SmartAdvice", kNothing},
      {L"GetEventLog", L".hr", 0x80004005, L"RefreshHistory", kNothing, kFailed,
       L"get_firewallhistory_setting GetEventLog failed: hr 0x80004005 result 0", L"Core.Firewall.History",
       kNothing},
      {L"GetHips", L".hr", 0x80004005, L"RefreshIntrusionDetection", kNothing, kFailed,
       L"get_intrusiondetection_settings: Firewall GetHips failed: hr 0x80004005 result 0",
       L"Core.Firewall.IntrusionDetection", kNothing},
      {L"as_GetProgramPermissions", L".hr", 0x80004005, L"RefreshProgramInternetConnection", L"not json",
       kFailed, L"Firewall as_GetProgramPermissions failed: hr 0x80004005 result 0", kCud, kNothing},
      {L"as_GetSystemServices", L".hr", 0x80004005, L"RefreshPortsAndSystemServices", L"not json", kFailed,
       L"get_portsandsystemservice_settings: Firewall as_GetSystemServices failed: hr 0x80004005 result 0",
       kCud, kNothing},
      {L"as_GetIPReputation", L".hr", 0x80004005, L"RefreshNetGuard", L"not json", kFailed,
       L"get_netguard_settings:Firewall as_GetIPReputation failed: hr 0x80004005 result 0", kCud, kNothing},
      {L"as_GetIPAddresses", L".hr", 0x80004005, L"RefreshNetworkConnection", L"not json", kFailed,
       L"get_my_netconnsettings:Firewall as_GetIPAddresses failed: hr 0x80004005 result 0", kCud, kNothing},
      {L"EnableIPReputation", L".hr", 0x80004005, L"SetNetGuard", LR"({"enable_net_guard":false})", kFailed,
       L"set_firewall_netguard:EnableIPReputation call failed: hr 0x80004005 result 0", kCud, kNothing},
      {L"ResetToDefaults", L".result", 0x105, L"RestoreDefaults", kNothing, kFailed,
       L"restore_firewalldefault_settings:ResetToDefaults call failed: hr 0x0 result 261", kButton, kNothing},
      {L"IsResetToDefaults", L".hr", 0x80004005, L"RefreshRestoreDefaultsBtnStatus", kNothing, kFailed,
       L"IsResetToDefaults call failed: hr 0x80004005.", kButton, kNothing},
      {L"IsAdmin", L".hr", 0x80004005, L"RequestUserState", kNothing, kFailed,
       L"GetUserState - BxHubHelper IsAdmin failed: (0x80004005)", L"Core.Firewall.UserState", kNothing},
      // The file dialog and the trust level read answer whatever happened.
      {L"OpenFile", L".hr", 0x80004005, L"GetUploadedFilePath", LR"({"session_ID":1})", kFailed,
       L"SelectProgramFile - BxHubHelper OpenFile failed: (0x80004005)", kFilePath, LR"({"FilePath":""})"},
      {L"GetEnumerator", L".hr", 0x80004005, L"GetTrustLevel", trustMac + L"}", kFailed,
       L"TarnIf::get_network_trust_level failed: 2147483650", kTrust,
       LR"({"trust_level":-1,"mac_address":"00-1A-2B-3C-4D-5E"})"},
      // A refused apply, and an S_FALSE one: neither is a success, and the walk stops.
      {L"ApplyProperties", L".result", 0x105, L"SetTrustLevel", trustMac + LR"(,"trust_level":0})", kFailed,
       L"Unable to apply property: '11' due to error: '0x0' lResult = '0x105'.", kTrust, kNothing},
      {L"ApplyProperties", L".hr", S_FALSE, L"SetTrustLevel", trustMac + LR"(,"trust_level":0})", kFailed,
       L"Unable to apply property: '11' due to error: '0x1' lResult = '0x0'.", kTrust, kNothing},
      // A security level of 9 and an intrusion detection level of 7 have no word.
      {nullptr, nullptr, 0, L"RefreshTrafficController", kNothing, kDataError,
       L"RefreshSecurityLevel: Invalid data received from Cshim layer. Requested message will not be publish "
       L"as payload is incorrect.",
       L"Core.Firewall.TrafficController", kNothing, "BxFWConfig model 1\nsecurity\t9\nhips\t1\t7\n"},
      {nullptr, nullptr, 0, L"RefreshIntrusionDetection", kNothing, kDataError,
       L"RefreshIntrusionDetection: Invalid data received from Cshim layer. Requested message will not be "
       L"publish as payload is incorrect.",
       L"Core.Firewall.IntrusionDetection", kNothing},
  };
  writeStateFile(kRules);
  setMachineText(L"OpenFilePath", L"C:\\Tools\\app.exe");
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.name) + " " + std::to_string(c.value));
    clearFaults();
    if (c.model) writeStateFile(c.model);
    if (c.operation) setFault(c.operation, c.suffix, c.value);
    const std::string model = readStateFile();
    const size_t answers = bus->publishedCount(c.answer);
    const LogScope log;
    EXPECT_EQ(c.status, statusOf(fw(c.name), c.payload));
    EXPECT_EQ(c.line ? 1u : 0u, log.countMessage(c.line ? c.line : L""));
    if (c.published.empty()) {
      EXPECT_EQ(answers, bus->publishedCount(c.answer));
    } else {
      EXPECT_EQ(c.published, published(c.answer, answers + 1));
    }
    EXPECT_EQ(model, readStateFile());
  }
}

TEST_F(Handlers, TheRestoreButtonIsEnabledExactlyWhileSettingsDifferFromTheDefaults) {
  deliver(fw(L"UpdateTrafficController"), L"{\"traffic_controller\":\"lockdown\"}");
  deliver(fw(L"RefreshRestoreDefaultsBtnStatus"), L"");
  EXPECT_EQ(L"{\"Enable\":true}", published(kButton));

  EXPECT_EQ(0u, statusOf(fw(L"RestoreDefaults"), L""));
  deliver(fw(L"RefreshRestoreDefaultsBtnStatus"), L"");
  EXPECT_EQ(L"{\"Enable\":false}", published(kButton, 2));
  deliver(fw(L"RefreshTrafficController"), L"");
  EXPECT_EQ(L"{\"traffic_controller\":\"smart_access\"}", published(fw(L"TrafficController")))
      << "the defaults were not restored";
}

TEST_F(Handlers, UserStateTellsWhetherTheUserIsAnAdministrator) {
  // The component answers from the process token's membership of BUILTIN\Administrators.
  const bool member = IsUserAnAdmin();
  deliver(fw(L"RequestUserState"), L"");
  EXPECT_EQ(member ? L"{\"admin\":true}" : L"{\"admin\":false}", published(fw(L"UserState")));
}

TEST_F(Handlers, TheChosenFileIsPublished) {
  setMachineText(L"OpenFilePath", L"C:\\Tools\\app.exe");
  deliver(fw(L"GetUploadedFilePath"), L"{\"session_ID\":1}");
  EXPECT_EQ(L"{\"FilePath\":\"C:\\\\Tools\\\\app.exe\"}", published(kFilePath));
}

TEST_F(Handlers, TrustLevelReadMatchesMacsWithoutRegardToCaseAndAnswersTheRequester) {
  writeStateFile(kRules);
  const struct {
    const wchar_t* mac;
    int level;
  } cases[] = {{L"a4-5e-60-c2-11-09", 2}, {L"FF-FF-FF-FF-FF-FF", -1}};
  size_t answered = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.mac));
    EXPECT_EQ(0u,
              statusOf(fw(L"GetTrustLevel"), L"{\"mac_address\":\"" + std::wstring(c.mac) + L"\"}", true));
    const auto reply = bus->waitForPublished(kTrust, ++answered);
    ASSERT_NE(nullptr, reply);
    EXPECT_EQ(L"{\"trust_level\":" + std::to_wstring(c.level) + L",\"mac_address\":\"" + c.mac + L"\"}",
              reply->getPayload());
    EXPECT_NE(0u, reply->getHeader()->flags & Ledra::kMessageFlagReply) << "not sent as a reply";
  }
}

TEST_F(Handlers, TrustLevelWriteReachesEveryMatchingIpv4RuleAndPublishesNothing) {
  // A rule without MAC matches every MAC.
  writeStateFile(kRules + std::string("rule\t4\t10.0.0.1\t\\0\t0\n"));
  EXPECT_EQ(0u, statusOf(fw(L"SetTrustLevel"), LR"({"mac_address":"00-1a-2b-3c-4d-5e","trust_level":2})"));
  const std::string model = readStateFile();
  EXPECT_NE(std::string::npos, model.find("rule\t1\t192.168.1.10\t00-1A-2B-3C-4D-5E\t2\n")) << model;
  EXPECT_NE(std::string::npos, model.find("rule\t2\tfe80::1\t00-1A-2B-3C-4D-5E\t1\n")) << "IPv6 rule changed";
  EXPECT_NE(std::string::npos, model.find("rule\t3\t172.16.5.4\tA4-5E-60-C2-11-09\t2\n")) << model;
  EXPECT_NE(std::string::npos, model.find("rule\t4\t10.0.0.1\t\\0\t2\n")) << "the rule without MAC";
  EXPECT_EQ(0u, bus->publishedCount(kTrust));
}

TEST_F(Handlers, ProgramPermissionsChangeTheComponentAndEditAndDeletePublishTheOutcome) {
  EXPECT_EQ(0u, statusOf(fw(L"AddProgramInternetConnection"),
                         LR"({"program_filename":"tool.exe","permission":1,"access":2,"net_guard":"on"})"));
  EXPECT_EQ(0u, changes()) << "an add publishes nothing";
  ASSERT_TRUE(hasRecord("program", "\ttool.exe\t1\t2\t1")) << readStateFile();
  const std::wstring id = std::to_wstring(idOf("program", "\ttool.exe\t"));

  EXPECT_EQ(0u, statusOf(fw(L"EditProgramInternetConnection"),
                         L"{\"program_id\":" + id + LR"(,"permission":0,"access":1,"net_guard":"off"})"));
  EXPECT_EQ(cud(true, 4, 2, id), lastChange());
  EXPECT_TRUE(hasRecord("program", "\ttool.exe\t0\t1\t0"));

  EXPECT_EQ(0u, statusOf(fw(L"DeleteProgramInternetConnection"), L"{\"program_ids\":\"2," + id + L"\"}"));
  EXPECT_EQ(cud(true, 4, 1, L"2," + id), lastChange());
  EXPECT_FALSE(hasRecord("program", "tool.exe"));
  EXPECT_FALSE(hasRecord("program", "iexplore.exe"));
}

TEST_F(Handlers, PortsAddPublishesTheNewIdAndUpdateAndDeleteFollowIt) {
  EXPECT_EQ(0u, statusOf(fw(L"AddPortsAndSystemServices"), LR"({"name":"Game",)" + std::wstring(kService)));
  const std::wstring id = std::to_wstring(idOf("service", "\tGame\t"));
  ASSERT_NE(L"-1", id);
  EXPECT_EQ(cud(true, 6, 3, id), lastChange());
  // The third and fourth port lists go over empty.
  EXPECT_TRUE(hasRecord("service", "\tGame\t1\tGames\t27015\t27016\t\t\tGame server\t1\t1"));

  EXPECT_EQ(0u, statusOf(fw(L"UpdatePortsAndSystemServices"),
                         LR"({"name":"Game2","portsysid":)" + id + L"," + kService));
  EXPECT_EQ(cud(true, 6, 2, id), lastChange());
  EXPECT_TRUE(hasRecord("service", "\tGame2\t"));

  EXPECT_EQ(0u, statusOf(fw(L"DeletePortsAndSystemServices"), L"{\"portsysid\":\"" + id + L"\"}"));
  EXPECT_EQ(cud(true, 6, 1, id), lastChange());
  EXPECT_FALSE(hasRecord("service", "Game2"));
}

TEST_F(Handlers, NetGuardSwitchAndEntriesFollowTheirRequests) {
  EXPECT_EQ(0u, statusOf(fw(L"SetNetGuard"), LR"({"enable_net_guard":false})"));
  EXPECT_TRUE(hasRecord("reputation", "reputation\t0")) << readStateFile();
  EXPECT_EQ(0u, changes()) << "a set publishes nothing";

  EXPECT_EQ(0u, statusOf(fw(L"EditNetGuard"), LR"({"SSID":2,"action":1})"));
  EXPECT_EQ(cud(true, 8, 2, L"2"), lastChange());
  EXPECT_TRUE(hasRecord("repentry", "repentry\t2\t1"));

  EXPECT_EQ(0u, statusOf(fw(L"DeleteNetGuard"), LR"({"SSIDs":"1"})"));
  EXPECT_EQ(cud(true, 8, 1, L"1"), lastChange());
  EXPECT_FALSE(hasRecord("repentry", "repentry\t1\t"));
}

TEST_F(Handlers, NetworkAddAndEditCarryTheComponentsResultCode) {
  EXPECT_EQ(0u, statusOf(fw(L"AddNetworkConnection"), LR"({"notes":"Lab",)" + std::wstring(kAddress)));
  const std::wstring id = std::to_wstring(idOf("address", "\tLab\t"));
  ASSERT_NE(L"-1", id);
  EXPECT_EQ(cud(true, 5, 3, id, 0), lastChange());

  // The component refuses network type 5 with 0x102.
  EXPECT_EQ(0u, statusOf(fw(L"EditNetworkConnection"),
                         L"{\"uniqueID\":" + id +
                             LR"(,"notes":"Lab","IPType":0,"IsIpV4":false,"StartAddress":"10.2.3.4",)"
                             LR"("EndAddress":"","network_type":5,"ExpiresIn":7})"));
  EXPECT_EQ(cud(false, 5, 2, id, 0x102), lastChange());

  EXPECT_EQ(0u, statusOf(fw(L"DeleteNetworkConnection"), L"{\"uniqueIDs\":\"1," + id + L"\"}"));
  EXPECT_EQ(cud(true, 5, 1, L"1," + id), lastChange());
  EXPECT_FALSE(hasRecord("address", "")) << readStateFile();
}

}  // namespace
}  // namespace feature_test
