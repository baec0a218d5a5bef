// Security level, smart advice, history and intrusion detection through the
// module's worker against the kit's component.
#include "tests/firewall/features/SettingsHandlerFixture.h"

#include <fstream>
#include <sstream>
#include <thread>

#include "module/ModuleManagerShim.h"

namespace settings_test {
namespace {

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";

std::wstring binFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

void setMachineText(const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKitKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &key, nullptr));
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void deleteMachineValue(const wchar_t* name) { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name); }

// Loads the kit's component from the bin folder and registers it, once.
class KitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    component_ = LoadLibraryW((binFolder() + L"\\BxFWConfig.dll").c_str());
    ASSERT_NE(nullptr, component_);
    using Register = HRESULT(STDAPICALLTYPE*)();
    const auto reg = reinterpret_cast<Register>(
        reinterpret_cast<void (*)()>(GetProcAddress(component_, "DllRegisterServer")));
    ASSERT_NE(nullptr, reg);
    ASSERT_EQ(S_OK, reg());
  }
  void TearDown() override {
    if (component_) FreeLibrary(component_);
  }

 private:
  HMODULE component_ = nullptr;
};

const auto* const kKitEnvironment = ::testing::AddGlobalTestEnvironment(new KitEnvironment);

uint32_t unloadNothing(void*, const wchar_t*, void*) { return 0; }

}  // namespace

void ModuleWithKit::SetUp() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  stateFile = std::wstring(temp) + L"featset_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::wstring(name.begin(), name.end()) + L".txt";
  DeleteFileW(stateFile.c_str());
  wchar_t previous[MAX_PATH] = {};
  DWORD size = sizeof(previous);
  hadStateFile_ = RegGetValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile", RRF_RT_REG_SZ, nullptr, previous,
                               &size) == ERROR_SUCCESS;
  previousStateFile_ = previous;
  setMachineText(L"StateFile", stateFile);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  deleteMachineValue(L"OpenFilePath");

  auto container = std::make_shared<Basalt::IOCContainer>();
  module = std::make_unique<Ledra::TarnModuleImpl>(container, nullptr);
  const auto manager = std::make_shared<Ledra::internal::ModuleManagerShim>(nullptr, &unloadNothing);
  ASSERT_EQ(0u, module->baseInitialize(L"Tarn", L"second", {}, manager, bus));
  ASSERT_EQ(0u, module->initialize());
}

void ModuleWithKit::TearDown() {
  if (module) {
    module->stop();
    module->uninitialize();
    module.reset();
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  deleteMachineValue(L"OpenFilePath");
  if (hadStateFile_) {
    setMachineText(L"StateFile", previousStateFile_);
  } else {
    deleteMachineValue(L"StateFile");
  }
  DeleteFileW(stateFile.c_str());
}

void ModuleWithKit::deliver(const std::wstring& name, const std::wstring& payload, bool expectsReply) {
  auto message = Ledra::Message::create(name, L"ui", payload);
  if (expectsReply) message->getHeader()->flags |= Ledra::kMessageFlagExpectsReply;
  bus->deliver(message);
}

std::wstring ModuleWithKit::published(const std::wstring& name, size_t count) {
  const auto message = bus->waitForPublished(name, count);
  return message ? message->getPayload() : L"<none>";
}

void ModuleWithKit::drain() {
  deliver(L"Core.Firewall.RefreshTrafficController", L"");
  ASSERT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.TrafficController", ++drains_));
}

std::wstring ModuleWithKit::failureLine(uint32_t status, const std::wstring& name) {
  // The worker's format is "%ul": the decimal status followed by a letter l.
  return L"Encountered error " + std::to_wstring(status) + L"l processing message " + name;
}

void ModuleWithKit::setFault(const std::wstring& operation, const wchar_t* suffix, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kFaultsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                           nullptr, &key, nullptr));
  RegSetValueExW(key, (operation + suffix).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof(value));
  RegCloseKey(key);
}

void ModuleWithKit::setOpenFilePath(const std::wstring& path) { setMachineText(L"OpenFilePath", path); }

void ModuleWithKit::writeStateFile(const std::string& text) {
  std::ofstream(stateFile.c_str(), std::ios::binary) << text;
}

std::string ModuleWithKit::readStateFile() const {
  std::ifstream file(stateFile.c_str(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

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

TEST_F(SettingsHandlers, RefusedPayloadsFailWithoutCallingTheComponentOrPublishing) {
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

}  // namespace
}  // namespace settings_test
