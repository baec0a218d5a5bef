// The list handlers through the module's worker against the kit's component:
// what was published, what the component's state file holds, and the status
// the worker logged.
#include "tests/firewall/features/ModuleWithKit.h"

namespace feature_test {
namespace {

constexpr wchar_t kCud[] = L"Core.Firewall.NotifyCUDResult";

std::wstring cud(bool ok, int err, int feature, int function, const std::wstring& ids) {
  return L"{\"Successful\":" + std::wstring(ok ? L"true" : L"false") + L",\"ErrCode\":" +
         std::to_wstring(err) + L",\"feature_id\":" + std::to_wstring(feature) + L",\"func_id\":" +
         std::to_wstring(function) + L",\"id_list\":\"" + ids + L"\"}";
}

class ListHandlers : public ModuleWithKit {
 protected:
  size_t changes() { return bus->publishedCount(kCud); }
  std::wstring lastChange() { return published(kCud, changes()); }
};

TEST_F(ListHandlers, ProgramPermissionsChangeTheComponentAndEditAndDeletePublishTheOutcome) {
  EXPECT_EQ(
      0u,
      statusOf(L"Core.Firewall.AddProgramInternetConnection",
               L"{\"program_filename\":\"tool.exe\",\"permission\":1,\"access\":2,\"net_guard\":\"on\"}"));
  EXPECT_EQ(0u, changes()) << "an add publishes nothing";
  ASSERT_TRUE(hasRecord("program", "\ttool.exe\t1\t2\t1")) << readStateFile();
  const std::wstring id = std::to_wstring(idOf("program", "\ttool.exe\t"));

  EXPECT_EQ(0u,
            statusOf(L"Core.Firewall.EditProgramInternetConnection",
                     L"{\"program_id\":" + id + L",\"permission\":0,\"access\":1,\"net_guard\":\"off\"}"));
  EXPECT_EQ(cud(true, -1, 4, 2, id), lastChange());
  EXPECT_TRUE(hasRecord("program", "\ttool.exe\t0\t1\t0"));

  EXPECT_EQ(
      0u, statusOf(L"Core.Firewall.DeleteProgramInternetConnection", L"{\"program_ids\":\"2," + id + L"\"}"));
  EXPECT_EQ(cud(true, -1, 4, 1, L"2," + id), lastChange());
  EXPECT_FALSE(hasRecord("program", "tool.exe"));
  EXPECT_FALSE(hasRecord("program", "iexplore.exe"));
}

TEST_F(ListHandlers, RefusedPayloadsReachNeitherTheComponentNorTheBusAndTheCatalogueRefusesThem) {
  struct Case {
    const wchar_t* name;
    const wchar_t* payload;
    uint32_t status;
  };
  const Case cases[] = {
      {L"AddProgramInternetConnection", L"not json", 0x80000006},
      {L"AddProgramInternetConnection", L"[]", 0x80000008},
      {L"AddProgramInternetConnection",
       L"{\"program_filename\":\"bad.exe\",\"permission\":\"1\",\"access\":0,\"net_guard\":\"on\"}",
       0x80000008},
      {L"AddProgramInternetConnection",
       L"{\"program_filename\":\"bad.exe\",\"permission\":1,\"access\":3,\"net_guard\":\"on\"}", 0x80000008},
      {L"AddProgramInternetConnection",
       L"{\"program_filename\":\"bad.exe\",\"permission\":1,\"access\":0,\"net_guard\":\"On\"}", 0x80000008},
      {L"EditProgramInternetConnection", L"{\"permission\":1,\"access\":0,\"net_guard\":\"on\"}", 0x80000008},
      {L"DeleteProgramInternetConnection", L"{\"program_ids\":\"1, 2\"}", 0x80000008},
      {L"AddPortsAndSystemServices", L"{", 0x80000006},
      {L"AddPortsAndSystemServices",
       L"{\"name\":\"bad\",\"enabled\":1,\"category\":\"c\",\"portinfo\":{\"tcp_local\":\"1\",\"udp_local\":"
       L"\"\"},"
       L"\"description\":\"d\",\"openportsto\":0,\"forwardactivity\":false}",
       0x80000008},
      {L"UpdatePortsAndSystemServices",
       L"{\"name\":\"bad\",\"portsysid\":\"1\",\"enabled\":true,\"category\":\"c\",\"portinfo\":{\"tcp_"
       L"local\":"
       L"\"1\",\"udp_local\":\"\"},\"description\":\"d\",\"openportsto\":0,\"forwardactivity\":false}",
       0x80000008},
      {L"DeletePortsAndSystemServices", L"{\"portsysid\":1}", 0x80000008},
      {L"SetNetGuard", L"{\"enable_net_guard\":1}", 0x80000008},
      {L"EditNetGuard", L"{\"SSID\":1,\"action\":2}", 0x80000008},
      {L"DeleteNetGuard", L"{\"SSIDs\":\"-1\"}", 0x80000008},
      {L"AddNetworkConnection",
       L"{\"notes\":\"bad\",\"IPType\":0,\"StartAddress\":\"10.1.1.1\",\"EndAddress\":\"\",\"network_type\":"
       L"0,"
       L"\"ExpiresIn\":0}",
       0x80000008},
      {L"EditNetworkConnection", L"no", 0x80000006},
      {L"DeleteNetworkConnection", L"{\"uniqueIDs\":\"2147483648\"}", 0x80000008},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.payload));
    EXPECT_EQ(c.status, statusOf(std::wstring(L"Core.Firewall.") + c.name, c.payload));
    EXPECT_FALSE(validates(catalogueEntry(narrow(c.name))["payload"], c.payload));
  }
  EXPECT_EQ(0u, changes());
  EXPECT_TRUE(readStateFile().empty()) << "the component saved a change";
}

TEST_F(ListHandlers, PortsAddPublishesTheNewIdAndUpdateAndDeleteFollowIt) {
  const std::wstring body =
      L"\"enabled\":true,\"category\":\"Games\",\"portinfo\":\"{\\\"tcp_local\\\":\\\"27015\\\",\\\"udp_"
      L"local\\\":"
      L"\\\"27016\\\"}\",\"description\":\"Game server\",\"openportsto\":1,\"forwardactivity\":true}";
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.AddPortsAndSystemServices", L"{\"name\":\"Game\"," + body));
  const long id = idOf("service", "\tGame\t");
  ASSERT_NE(-1, id);
  EXPECT_EQ(cud(true, -1, 6, 3, std::to_wstring(id)), lastChange());
  // The third and fourth port lists go over empty.
  EXPECT_TRUE(hasRecord("service", "\tGame\t1\tGames\t27015\t27016\t\t\tGame server\t1\t1"));

  EXPECT_EQ(0u, statusOf(L"Core.Firewall.UpdatePortsAndSystemServices",
                         L"{\"name\":\"Game2\",\"portsysid\":" + std::to_wstring(id) + L"," + body));
  EXPECT_EQ(cud(true, -1, 6, 2, std::to_wstring(id)), lastChange());
  EXPECT_TRUE(hasRecord("service", "\tGame2\t"));

  // One unknown id removes nothing: the outcome is published as a failure.
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.DeletePortsAndSystemServices", L"{\"portsysid\":\"7,12\"}"));
  EXPECT_EQ(cud(false, -1, 6, 1, L"7,12"), lastChange());
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.DeletePortsAndSystemServices",
                         L"{\"portsysid\":\"" + std::to_wstring(id) + L"\"}"));
  EXPECT_EQ(cud(true, -1, 6, 1, std::to_wstring(id)), lastChange());
  EXPECT_FALSE(hasRecord("service", "Game2"));

  // A failed add still publishes, with the id it never got.
  setFault(L"AddSystemService", L".result", 5);
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.AddPortsAndSystemServices", L"{\"name\":\"Game\"," + body));
  EXPECT_EQ(cud(false, -1, 6, 3, L"-1"), lastChange());
}

TEST_F(ListHandlers, NetGuardSwitchAndEntriesFollowTheirRequests) {
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.SetNetGuard", L"{\"enable_net_guard\":false}"));
  EXPECT_EQ(std::vector<std::string>{"reputation\t0"}, records("reputation"));
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.SetNetGuard", L"{\"enable_net_guard\":true}"));
  EXPECT_EQ(std::vector<std::string>{"reputation\t1"}, records("reputation"));
  EXPECT_EQ(0u, changes()) << "a set publishes nothing";

  EXPECT_EQ(0u, statusOf(L"Core.Firewall.EditNetGuard", L"{\"SSID\":2,\"action\":1}"));
  EXPECT_EQ(cud(true, -1, 8, 2, L"2"), lastChange());
  EXPECT_TRUE(hasRecord("repentry", "repentry\t2\t1"));

  EXPECT_EQ(0u, statusOf(L"Core.Firewall.DeleteNetGuard", L"{\"SSIDs\":\"1\"}"));
  EXPECT_EQ(cud(true, -1, 8, 1, L"1"), lastChange());
  EXPECT_FALSE(hasRecord("repentry", "repentry\t1\t"));

  setFault(L"EnableIPReputation", L".hr", 0x80004005);
  EXPECT_EQ(0x80000002u, statusOf(L"Core.Firewall.SetNetGuard", L"{\"enable_net_guard\":false}"));
  setFault(L"EditIPReputation", L".result", 0x103);
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.EditNetGuard", L"{\"SSID\":2,\"action\":0}"));
  EXPECT_EQ(cud(false, -1, 8, 2, L"2"), lastChange());
}

TEST_F(ListHandlers, NetworkAddAndEditCarryTheComponentsResultCode) {
  const std::wstring rest =
      L"\"IPType\":0,\"IsIpV4\":true,\"StartAddress\":\"10.2.3.4\",\"EndAddress\":\"\",\"network_type\":2,"
      L"\"ExpiresIn\":7}";
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.AddNetworkConnection", L"{\"notes\":\"Lab\"," + rest));
  const std::wstring id = std::to_wstring(idOf("address", "\tLab\t"));
  ASSERT_NE(L"-1", id);
  EXPECT_EQ(cud(true, 0, 5, 3, id), lastChange());

  // The component refuses network type 5 with 0x102.
  EXPECT_EQ(0u,
            statusOf(L"Core.Firewall.EditNetworkConnection",
                     L"{\"uniqueID\":" + id +
                         L",\"notes\":\"Lab\",\"IPType\":0,\"IsIpV4\":false,\"StartAddress\":\"10.2.3.4\","
                         L"\"EndAddress\":\"\",\"network_type\":5,\"ExpiresIn\":7}"));
  EXPECT_EQ(cud(false, 0x102, 5, 2, id), lastChange());

  EXPECT_EQ(0u, statusOf(L"Core.Firewall.DeleteNetworkConnection", L"{\"uniqueIDs\":\"1," + id + L"\"}"));
  EXPECT_EQ(cud(true, -1, 5, 1, L"1," + id), lastChange());
  EXPECT_TRUE(records("address").empty());

  // High result bits alone are success; the fault writes no id into the bag.
  setFault(L"AddIPAddress", L".result", 0x20000);
  EXPECT_EQ(0u, statusOf(L"Core.Firewall.AddNetworkConnection", L"{\"notes\":\"Lab\"," + rest));
  EXPECT_EQ(cud(true, 131072, 5, 3, L"-1"), lastChange());
}

TEST_F(ListHandlers, RefreshesReachTheComponentWhateverThePayload) {
  const std::pair<const wchar_t*, const wchar_t*> refreshes[] = {
      {L"Core.Firewall.RefreshProgramInternetConnection", L"as_GetProgramPermissions"},
      {L"Core.Firewall.RefreshPortsAndSystemServices", L"as_GetSystemServices"},
      {L"Core.Firewall.RefreshNetGuard", L"as_GetIPReputation"},
      {L"Core.Firewall.RefreshNetworkConnection", L"as_GetIPAddresses"},
  };
  for (const auto& refresh : refreshes) {
    EXPECT_EQ(0u, statusOf(refresh.first, L"not json at all"));
    setFault(refresh.second, L".hr", 0x80004005);
    EXPECT_EQ(0x80000002u, statusOf(refresh.first, L"not json at all"));
  }
  EXPECT_EQ(0u, changes());
}

}  // namespace
}  // namespace feature_test
