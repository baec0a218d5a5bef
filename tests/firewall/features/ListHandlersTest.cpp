// The list handlers through the module, against the kit's real component:
// requests go in through the bus, the worker runs them, and the test looks at
// what was published, at the component's state file and at the worker's log.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "message/Message.h"
#include "tests/firewall/FakeServices.h"
#include "tests/support/LogFiles.h"

namespace {

using namespace Ledra;

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";
constexpr wchar_t kCud[] = L"Core.Firewall.NotifyCUDResult";
const std::wstring kGroup = L"features-lists-handler-" + std::to_wstring(GetCurrentProcessId());

std::wstring binFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

// Registers the kit's component from the bin folder once for the program.
class KitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    kit_ = LoadLibraryW((binFolder() + L"\\BxFWConfig.dll").c_str());
    ASSERT_NE(nullptr, kit_);
    using Export = HRESULT(STDAPICALLTYPE*)();
    const auto registerServer =
        reinterpret_cast<Export>(reinterpret_cast<void (*)()>(GetProcAddress(kit_, "DllRegisterServer")));
    ASSERT_NE(nullptr, registerServer);
    ASSERT_HRESULT_SUCCEEDED(registerServer());
  }
  void TearDown() override {
    if (kit_) FreeLibrary(kit_);
    CoUninitialize();
  }

 private:
  HMODULE kit_ = nullptr;
};

uint32_t unloadNothing(void*, const wchar_t*, void*) { return 0; }

class ListHandlers : public ::testing::Test {
 protected:
  std::shared_ptr<tarn_test::FakeBus> bus = std::make_shared<tarn_test::FakeBus>();
  std::unique_ptr<TarnModuleImpl> module;
  std::wstring stateFile;
  size_t markers = 0;

  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    stateFile = std::wstring(temp) + L"featB_lists_" + std::wstring(name.begin(), name.end()) + L".txt";
    DeleteFileW(stateFile.c_str());
    setKitText(L"StateFile", stateFile);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);

    auto container = std::make_shared<Basalt::IOCContainer>();
    container->registerInstance<SettingsManager>(std::make_shared<tarn_test::FakeSettingsManager>());
    module = std::make_unique<TarnModuleImpl>(container, nullptr);
    const auto manager = std::make_shared<internal::ModuleManagerShim>(nullptr, &unloadNothing);
    ASSERT_EQ(0u, module->baseInitialize(L"Tarn", L"second", {}, manager, bus));
    ASSERT_EQ(0u, module->initialize());
  }

  void TearDown() override {
    if (module) {
      module->stop();
      module.reset();
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile");
    DeleteFileW(stateFile.c_str());
  }

  static void setKitText(const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name, REG_SZ, value.c_str(),
                                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
  }
  static void setFault(const std::wstring& name, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFaultsKey, name.c_str(), REG_DWORD, &value,
                                             sizeof(value)));
  }

  // Delivers a request, waits until the worker has handled it (a state request
  // queued behind it has been answered) and answers the status the worker
  // logged for it (0 when it logged none).
  uint32_t run(const std::wstring& name, const std::wstring& payload) {
    const auto lines = [] {
      return tarn_test::readLogFolder(tarn_test::logDirectory(kGroup, L"features_lists_handler_test"));
    };
    const size_t before = lines().size();
    bus->deliver(Message::create(name, L"ui", payload));
    bus->deliver(Message::create(L"Core.Firewall.RefreshState", L"ui", L""));
    EXPECT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.State", ++markers))
        << "the worker did not answer";
    const std::wstring tail = L"l processing message " + name;
    const auto after = lines();
    for (size_t i = before; i < after.size(); ++i) {
      const size_t at = after[i].find(L"Encountered error ");
      if (at != std::wstring::npos && after[i].size() >= tail.size() &&
          after[i].compare(after[i].size() - tail.size(), tail.size(), tail) == 0) {
        return static_cast<uint32_t>(std::wcstoul(after[i].c_str() + at + 18, nullptr, 10));
      }
    }
    return 0;
  }

  size_t published() { return bus->publishedCount(kCud); }
  std::wstring lastPublished() {
    const auto last = bus->waitForPublished(kCud, published());
    return last ? last->getPayload() : L"";
  }

  // For failure messages: the state file the kit uses now (other processes in
  // the same prefix may have redirected it) and its text.
  std::string stateText() {
    wchar_t current[MAX_PATH] = {};
    DWORD size = sizeof(current);
    RegGetValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile", RRF_RT_REG_SZ, nullptr, current, &size);
    std::ifstream file(stateFile.c_str(), std::ios::binary);
    std::stringstream text;
    text << "kit state file " << std::string(current, current + wcslen(current)) << ":\n" << file.rdbuf();
    return text.str();
  }

  // The component's state file, one record a line.
  std::vector<std::string> records(const std::string& tag) {
    std::ifstream file(stateFile.c_str(), std::ios::binary);
    std::vector<std::string> found;
    for (std::string line; std::getline(file, line);) {
      if (line.compare(0, tag.size() + 1, tag + "\t") == 0) found.push_back(line);
    }
    return found;
  }
  bool hasRecord(const std::string& tag, const std::string& text) {
    for (const auto& r : records(tag))
      if (r.find(text) != std::string::npos) return true;
    return false;
  }
  // The id of the record holding text (its second field), or -1.
  long idOf(const std::string& tag, const std::string& text) {
    for (const auto& r : records(tag))
      if (r.find(text) != std::string::npos) return std::stol(r.substr(tag.size() + 1));
    return -1;
  }
};

std::wstring cud(bool ok, int err, int feature, int function, const std::wstring& ids) {
  return L"{\"Successful\":" + std::wstring(ok ? L"true" : L"false") + L",\"ErrCode\":" +
         std::to_wstring(err) + L",\"feature_id\":" + std::to_wstring(feature) + L",\"func_id\":" +
         std::to_wstring(function) + L",\"id_list\":\"" + ids + L"\"}";
}

TEST_F(ListHandlers, ProgramPermissionsChangeTheComponentAndEditAndDeletePublishTheOutcome) {
  EXPECT_EQ(0u,
            run(L"Core.Firewall.AddProgramInternetConnection",
                L"{\"program_filename\":\"tool.exe\",\"permission\":1,\"access\":2,\"net_guard\":\"on\"}"));
  EXPECT_EQ(0u, published()) << "an add publishes nothing";
  ASSERT_TRUE(hasRecord("program", "\ttool.exe\t1\t2\t1")) << stateText();
  const long id = idOf("program", "\ttool.exe\t");

  EXPECT_EQ(0u, run(L"Core.Firewall.EditProgramInternetConnection",
                    L"{\"program_id\":" + std::to_wstring(id) +
                        L",\"permission\":0,\"access\":1,\"net_guard\":\"off\"}"));
  EXPECT_EQ(cud(true, -1, 4, 2, std::to_wstring(id)), lastPublished());
  EXPECT_TRUE(hasRecord("program", "\ttool.exe\t0\t1\t0"));

  EXPECT_EQ(0u, run(L"Core.Firewall.DeleteProgramInternetConnection",
                    L"{\"program_ids\":\"2," + std::to_wstring(id) + L"\"}"));
  EXPECT_EQ(cud(true, -1, 4, 1, L"2," + std::to_wstring(id)), lastPublished());
  EXPECT_FALSE(hasRecord("program", "tool.exe"));
  EXPECT_FALSE(hasRecord("program", "iexplore.exe"));
}

TEST_F(ListHandlers, RefusedPayloadsReachNeitherTheComponentNorTheBus) {
  struct Case {
    const wchar_t* name;
    const wchar_t* payload;
    uint32_t status;
  };
  const Case cases[] = {
      {L"Core.Firewall.AddProgramInternetConnection", L"not json", 0x80000006},
      {L"Core.Firewall.AddProgramInternetConnection", L"[]", 0x80000008},
      {L"Core.Firewall.AddProgramInternetConnection",
       L"{\"program_filename\":\"bad.exe\",\"permission\":\"1\",\"access\":0,\"net_guard\":\"on\"}",
       0x80000008},
      {L"Core.Firewall.AddProgramInternetConnection",
       L"{\"program_filename\":\"bad.exe\",\"permission\":1,\"access\":3,\"net_guard\":\"on\"}", 0x80000008},
      {L"Core.Firewall.AddProgramInternetConnection",
       L"{\"program_filename\":\"bad.exe\",\"permission\":1,\"access\":0,\"net_guard\":\"On\"}", 0x80000008},
      {L"Core.Firewall.EditProgramInternetConnection",
       L"{\"permission\":1,\"access\":0,\"net_guard\":\"on\"}", 0x80000008},
      {L"Core.Firewall.DeleteProgramInternetConnection", L"{\"program_ids\":\"1;2\"}", 0x80000008},
      {L"Core.Firewall.DeleteProgramInternetConnection", L"{\"program_ids\":\"1, 2\"}", 0x80000008},
      {L"Core.Firewall.AddPortsAndSystemServices", L"{", 0x80000006},
      {L"Core.Firewall.AddPortsAndSystemServices",
       L"{\"name\":\"bad\",\"enabled\":1,\"category\":\"c\",\"portinfo\":{\"tcp_local\":\"1\",\"udp_local\":"
       L"\"\"},"
       L"\"description\":\"d\",\"openportsto\":0,\"forwardactivity\":false}",
       0x80000008},
      {L"Core.Firewall.UpdatePortsAndSystemServices",
       L"{\"name\":\"bad\",\"portsysid\":\"1\",\"enabled\":true,\"category\":\"c\",\"portinfo\":{\"tcp_"
       L"local\":\"1\","
       L"\"udp_local\":\"\"},\"description\":\"d\",\"openportsto\":0,\"forwardactivity\":false}",
       0x80000008},
      {L"Core.Firewall.DeletePortsAndSystemServices", L"{\"portsysid\":1}", 0x80000008},
      {L"Core.Firewall.SetNetGuard", L"{\"enable_net_guard\":1}", 0x80000008},
      {L"Core.Firewall.EditNetGuard", L"{\"SSID\":1,\"action\":2}", 0x80000008},
      {L"Core.Firewall.DeleteNetGuard", L"{\"SSIDs\":\"-1\"}", 0x80000008},
      {L"Core.Firewall.AddNetworkConnection",
       L"{\"notes\":\"bad\",\"IPType\":0,\"StartAddress\":\"10.1.1.1\",\"EndAddress\":\"\",\"network_type\":"
       L"0,"
       L"\"ExpiresIn\":0}",
       0x80000008},
      {L"Core.Firewall.EditNetworkConnection", L"no", 0x80000006},
      {L"Core.Firewall.DeleteNetworkConnection", L"{\"uniqueIDs\":\"2147483648\"}", 0x80000008},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(cases[i].status, run(cases[i].name, cases[i].payload)) << "case " << i;
  }
  EXPECT_EQ(0u, published());
  // Nothing was written: the component never saved a state file.
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(stateFile.c_str()));
}

TEST_F(ListHandlers, PortsAddPublishesTheNewIdAndUpdateAndDeleteFollowIt) {
  const std::wstring body =
      L"\"enabled\":true,\"category\":\"Games\",\"portinfo\":\"{\\\"tcp_local\\\":\\\"27015\\\",\\\"udp_"
      L"local\\\":"
      L"\\\"27016\\\"}\",\"description\":\"Game server\",\"openportsto\":1,\"forwardactivity\":true}";
  EXPECT_EQ(0u, run(L"Core.Firewall.AddPortsAndSystemServices", L"{\"name\":\"Game\"," + body));
  const long id = idOf("service", "\tGame\t");
  ASSERT_NE(-1, id);
  EXPECT_EQ(cud(true, -1, 6, 3, std::to_wstring(id)), lastPublished());
  // The third and fourth port lists go over empty.
  EXPECT_TRUE(hasRecord("service", "\tGame\t1\tGames\t27015\t27016\t\t\tGame server\t1\t1"));

  EXPECT_EQ(0u, run(L"Core.Firewall.UpdatePortsAndSystemServices",
                    L"{\"name\":\"Game2\",\"portsysid\":" + std::to_wstring(id) + L"," + body));
  EXPECT_EQ(cud(true, -1, 6, 2, std::to_wstring(id)), lastPublished());
  EXPECT_TRUE(hasRecord("service", "\tGame2\t"));

  // One unknown id removes nothing: the outcome is published as a failure.
  EXPECT_EQ(0u, run(L"Core.Firewall.DeletePortsAndSystemServices", L"{\"portsysid\":\"7,12\"}"));
  EXPECT_EQ(cud(false, -1, 6, 1, L"7,12"), lastPublished());
  EXPECT_EQ(0u, run(L"Core.Firewall.DeletePortsAndSystemServices",
                    L"{\"portsysid\":\"" + std::to_wstring(id) + L"\"}"));
  EXPECT_EQ(cud(true, -1, 6, 1, std::to_wstring(id)), lastPublished());
  EXPECT_FALSE(hasRecord("service", "Game2"));

  // A failed add still publishes, with the id it never got.
  setFault(L"AddSystemService.result", 5);
  EXPECT_EQ(0u, run(L"Core.Firewall.AddPortsAndSystemServices", L"{\"name\":\"Game\"," + body));
  EXPECT_EQ(cud(false, -1, 6, 3, L"-1"), lastPublished());
}

TEST_F(ListHandlers, NetGuardSwitchAndEntriesFollowTheirRequests) {
  EXPECT_EQ(0u, run(L"Core.Firewall.SetNetGuard", L"{\"enable_net_guard\":false}"));
  EXPECT_EQ(std::vector<std::string>{"reputation\t0"}, records("reputation"));
  EXPECT_EQ(0u, run(L"Core.Firewall.SetNetGuard", L"{\"enable_net_guard\":true}"));
  EXPECT_EQ(std::vector<std::string>{"reputation\t1"}, records("reputation"));
  EXPECT_EQ(0u, published()) << "a set publishes nothing";

  EXPECT_EQ(0u, run(L"Core.Firewall.EditNetGuard", L"{\"SSID\":2,\"action\":1}"));
  EXPECT_EQ(cud(true, -1, 8, 2, L"2"), lastPublished());
  EXPECT_TRUE(hasRecord("repentry", "repentry\t2\t1"));

  EXPECT_EQ(0u, run(L"Core.Firewall.DeleteNetGuard", L"{\"SSIDs\":\"1\"}"));
  EXPECT_EQ(cud(true, -1, 8, 1, L"1"), lastPublished());
  EXPECT_FALSE(hasRecord("repentry", "repentry\t1\t"));

  setFault(L"EnableIPReputation.hr", 0x80004005);
  EXPECT_EQ(0x80000002u, run(L"Core.Firewall.SetNetGuard", L"{\"enable_net_guard\":false}"));
  setFault(L"EditIPReputation.result", 0x103);
  EXPECT_EQ(0u, run(L"Core.Firewall.EditNetGuard", L"{\"SSID\":2,\"action\":0}"));
  EXPECT_EQ(cud(false, -1, 8, 2, L"2"), lastPublished());
}

TEST_F(ListHandlers, NetworkAddAndEditCarryTheComponentsResultCode) {
  const std::wstring rest =
      L"\"IPType\":0,\"IsIpV4\":true,\"StartAddress\":\"10.2.3.4\",\"EndAddress\":\"\","
      L"\"network_type\":2,\"ExpiresIn\":7}";
  EXPECT_EQ(0u, run(L"Core.Firewall.AddNetworkConnection", L"{\"notes\":\"Lab\"," + rest));
  const long id = idOf("address", "\tLab\t");
  ASSERT_NE(-1, id);
  EXPECT_EQ(cud(true, 0, 5, 3, std::to_wstring(id)), lastPublished());

  // The component refuses network type 5 with 0x102.
  EXPECT_EQ(0u, run(L"Core.Firewall.EditNetworkConnection",
                    L"{\"uniqueID\":" + std::to_wstring(id) +
                        L",\"notes\":\"Lab\",\"IPType\":0,\"IsIpV4\":false,\"StartAddress\":\"10.2.3.4\","
                        L"\"EndAddress\":\"\",\"network_type\":5,\"ExpiresIn\":7}"));
  EXPECT_EQ(cud(false, 0x102, 5, 2, std::to_wstring(id)), lastPublished());

  EXPECT_EQ(0u, run(L"Core.Firewall.DeleteNetworkConnection",
                    L"{\"uniqueIDs\":\"1," + std::to_wstring(id) + L"\"}"));
  EXPECT_EQ(cud(true, -1, 5, 1, L"1," + std::to_wstring(id)), lastPublished());
  EXPECT_TRUE(records("address").empty());

  // High result bits alone are success; the fault writes no id into the bag.
  setFault(L"AddIPAddress.result", 0x20000);
  EXPECT_EQ(0u, run(L"Core.Firewall.AddNetworkConnection", L"{\"notes\":\"Lab\"," + rest));
  EXPECT_EQ(cud(true, 131072, 5, 3, L"-1"), lastPublished());
}

TEST_F(ListHandlers, RefreshesReachTheComponentWhateverThePayload) {
  const std::pair<const wchar_t*, const wchar_t*> refreshes[] = {
      {L"Core.Firewall.RefreshProgramInternetConnection", L"as_GetProgramPermissions.hr"},
      {L"Core.Firewall.RefreshPortsAndSystemServices", L"as_GetSystemServices.hr"},
      {L"Core.Firewall.RefreshNetGuard", L"as_GetIPReputation.hr"},
      {L"Core.Firewall.RefreshNetworkConnection", L"as_GetIPAddresses.hr"},
  };
  for (const auto& refresh : refreshes) {
    EXPECT_EQ(0u, run(refresh.first, L"not json at all"));
    setFault(refresh.second, 0x80004005);
    EXPECT_EQ(0x80000002u, run(refresh.first, L"not json at all"));
  }
  EXPECT_EQ(0u, published());
}

}  // namespace

int main(int argc, char** argv) {
  Ledra::logging::setLoggingIdentity(0, kGroup.c_str(), nullptr, nullptr, 1);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new KitEnvironment);
  return RUN_ALL_TESTS();
}
