// The payload getters of the list features: what each writes for valid input,
// and which inputs each refuses with which log text.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "Logging/Log.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/NetConnectionPayloads.h"
#include "firewall/features/NetGuardPayloads.h"
#include "firewall/features/NotifyCudResult.h"
#include "firewall/features/PortsPayloads.h"
#include "firewall/features/ProgramPermissionPayloads.h"
#include "tests/support/LogFiles.h"

namespace {

using namespace Brenix;

const std::wstring kGroup = L"features-lists-payload-" + std::to_wstring(GetCurrentProcessId());

// The log lines written so far by this program.
std::vector<std::wstring> logLines() {
  return tarn_test::readLogFolder(tarn_test::logDirectory(kGroup, L"features_lists_payload_test"));
}

using Getter = bool (*)(const std::wstring& payload, VARIANT* out);

template <class Payload, auto Get>
bool call(const std::wstring& payload, VARIANT* out) {
  const Payload parsed(payload);
  return (parsed.*Get)(out);
}

// "EMPTY", "I4:n", "BOOL:n", "BSTR:text" or "IDS:a,b".
std::wstring describe(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_EMPTY:
      return L"EMPTY";
    case VT_I4:
      return L"I4:" + std::to_wstring(V_I4(&v));
    case VT_BOOL:
      return L"BOOL:" + std::to_wstring(V_BOOL(&v));
    case VT_BSTR:
      return L"BSTR:" + std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
    case VT_ARRAY | VT_VARIANT:
      return L"IDS:" + Notify_cud_result::idList(v);
    default:
      return L"VT:" + std::to_wstring(V_VT(&v));
  }
}

struct Case {
  const char* what;
  Getter get;
  const wchar_t* payload;
  bool accepted;
  const wchar_t* written;  // what the VARIANT (VT_EMPTY at first) holds afterwards
  const wchar_t* logged;   // a text the refusal logs, or null when nothing is logged
};

using AddProg = Add_proginternetconn_payload;
using EditProg = Edit_proginternetconn_payload;
using DelProg = Delete_proginternetconn_payload;
using AddPorts = Add_portsandsysserv_payload;
using AddNet = Add_netconnection_payload;

const Case kCases[] = {
    // Program permissions.
    {"file name", call<AddProg, &AddProg::get_program_filepath>, L"{\"program_filename\":\"C:\\\\a.exe\"}",
     true, L"BSTR:C:\\a.exe", nullptr},
    {"file name missing", call<AddProg, &AddProg::get_program_filepath>, L"{\"program_id\":3}", false,
     L"EMPTY", L"program_filename not found in JSON"},
    {"permission 2", call<AddProg, &AddProg::get_program_permission>, L"{\"permission\":2}", true, L"I4:2",
     nullptr},
    {"permission 3", call<AddProg, &AddProg::get_program_permission>, L"{\"permission\":3}", false, L"I4:-1",
     L"get_program_permission::Invalid parameter received"},
    {"permission -1", call<AddProg, &AddProg::get_program_permission>, L"{\"permission\":-1}", false,
     L"I4:-1", L"get_program_permission::Invalid parameter received"},
    {"permission as text", call<AddProg, &AddProg::get_program_permission>, L"{\"permission\":\"1\"}", false,
     L"EMPTY", L"permission not found in JSON"},
    {"scope 0", call<AddProg, &AddProg::get_program_scope>, L"{\"access\":0}", true, L"I4:0", nullptr},
    {"scope -5", call<AddProg, &AddProg::get_program_scope>, L"{\"access\":-5}", false, L"I4:-1",
     L"Add_proginternetconn_payload::get_program_scope::Invalid parameter received"},
    {"net guard on", call<AddProg, &AddProg::get_program_ipreputationn>, L"{\"net_guard\":\"on\"}", true,
     L"I4:1", nullptr},
    {"net guard off", call<AddProg, &AddProg::get_program_ipreputationn>, L"{\"net_guard\":\"off\"}", true,
     L"I4:0", nullptr},
    {"net guard ON", call<AddProg, &AddProg::get_program_ipreputationn>, L"{\"net_guard\":\"ON\"}", false,
     L"EMPTY",
     L"Add_proginternetconn_payload::get_program_ipreputationn: Invalid value of szNetGuard received."},
    {"net guard missing", call<AddProg, &AddProg::get_program_ipreputationn>, L"{}", false, L"EMPTY",
     L"Attribute net_guard not found in json."},
    {"program id", call<EditProg, &EditProg::get_programid>, L"{\"program_id\":-7}", true, L"I4:-7", nullptr},
    {"edit inherits permission", call<EditProg, &EditProg::get_program_permission>, L"{\"permission\":1}",
     true, L"I4:1", nullptr},
    {"ids with empty part", call<DelProg, &DelProg::get_programids>, L"{\"program_ids\":\"4,,9\"}", true,
     L"IDS:4,9", nullptr},
    {"ids with ;", call<DelProg, &DelProg::get_programids>, L"{\"program_ids\":\"4;9\"}", false, L"EMPTY",
     L"Failed to convert string based program_ids to Variant SafeArray."},
    {"ids with blank", call<DelProg, &DelProg::get_programids>, L"{\"program_ids\":\"1 2\"}", false, L"EMPTY",
     nullptr},
    {"negative id", call<DelProg, &DelProg::get_programids>, L"{\"program_ids\":\"-3\"}", false, L"EMPTY",
     nullptr},
    {"id beyond int32", call<DelProg, &DelProg::get_programids>, L"{\"program_ids\":\"2147483648\"}", false,
     L"EMPTY", nullptr},
    {"ids as number", call<DelProg, &DelProg::get_programids>, L"{\"program_ids\":4}", false, L"EMPTY",
     L"program_ids not found in JSON"},
    // Ports and system services.
    {"enabled", call<AddPorts, &AddPorts::get_ssenable_setting>, L"{\"enabled\":true}", true, L"BOOL:-1",
     nullptr},
    {"enabled as number", call<AddPorts, &AddPorts::get_ssenable_setting>, L"{\"enabled\":1}", false,
     L"EMPTY", L"enabled not found in JSON"},
    {"tcp from object", call<AddPorts, &AddPorts::get_tcp_localport>,
     L"{\"portinfo\":{\"tcp_local\":\"80,443\",\"udp_local\":\"\"}}", true, L"BSTR:80,443", nullptr},
    {"udp from string holding JSON", call<AddPorts, &AddPorts::get_udp_localport>,
     L"{\"portinfo\":\"{\\\"tcp_local\\\":\\\"1\\\",\\\"udp_local\\\":\\\"53\\\"}\"}", true, L"BSTR:53",
     nullptr},
    {"udp missing inside", call<AddPorts, &AddPorts::get_udp_localport>,
     L"{\"portinfo\":{\"tcp_local\":\"1\"}}", false, L"EMPTY", L"udp_local not found in JSON"},
    {"port info missing", call<AddPorts, &AddPorts::get_tcp_localport>, L"{}", false, L"EMPTY",
     L"portinfo not found in JSON"},
    {"port info not JSON", call<AddPorts, &AddPorts::get_tcp_localport>, L"{\"portinfo\":\"80\"}", false,
     L"EMPTY", nullptr},
    {"open ports to 1", call<AddPorts, &AddPorts::get_networktype>, L"{\"openportsto\":1}", true, L"I4:1",
     nullptr},
    {"open ports to 2", call<AddPorts, &AddPorts::get_networktype>, L"{\"openportsto\":2}", false, L"I4:-1",
     L"GetvNetworkTypeInvalid::Invalid parameter received"},
    {"update id as text",
     call<Update_portsandsysserv_payload, &Update_portsandsysserv_payload::get_portsysid>,
     L"{\"portsysid\":\"7\"}", false, L"EMPTY", L"portsysid not found in JSON"},
    {"delete ids", call<Delete_portsandsysserv_payload, &Delete_portsandsysserv_payload::get_portsysid>,
     L"{\"portsysid\":\"7,12\"}", true, L"IDS:7,12", nullptr},
    {"delete ids refused",
     call<Delete_portsandsysserv_payload, &Delete_portsandsysserv_payload::get_portsysid>,
     L"{\"portsysid\":\"7;12\"}", false, L"EMPTY",
     L"Failed to convert string based portsysid id to Variant array"},
    // Net guard.
    {"switch on", call<Set_netguard_payload, &Set_netguard_payload::is_netguard_enable>,
     L"{\"enable_net_guard\":true}", true, L"I4:1", nullptr},
    {"switch off", call<Set_netguard_payload, &Set_netguard_payload::is_netguard_enable>,
     L"{\"enable_net_guard\":false}", true, L"I4:0", nullptr},
    {"switch as number", call<Set_netguard_payload, &Set_netguard_payload::is_netguard_enable>,
     L"{\"enable_net_guard\":1}", false, L"EMPTY", L"enable_net_guard not found in JSON"},
    {"action 1", call<Edit_netguard_payload, &Edit_netguard_payload::get_netguard_action>, L"{\"action\":1}",
     true, L"BOOL:-1", nullptr},
    {"action 0", call<Edit_netguard_payload, &Edit_netguard_payload::get_netguard_action>, L"{\"action\":0}",
     true, L"BOOL:0", nullptr},
    {"action 2", call<Edit_netguard_payload, &Edit_netguard_payload::get_netguard_action>, L"{\"action\":2}",
     false, L"EMPTY", L"Invalid value received in payload."},
    {"ssid as text", call<Edit_netguard_payload, &Edit_netguard_payload::get_netssid>, L"{\"SSID\":\"3\"}",
     false, L"EMPTY", L"SSID not found in JSON"},
    {"empty ssid list", call<Delete_netguard_payload, &Delete_netguard_payload::get_netssids>,
     L"{\"SSIDs\":\"\"}", true, L"IDS:", nullptr},
    {"ssid list refused", call<Delete_netguard_payload, &Delete_netguard_payload::get_netssids>,
     L"{\"SSIDs\":\"a\"}", false, L"EMPTY",
     L"Failed to convert string based SSID list id to Variant SafeArray."},
    // Network connections.
    {"is IPv4 false", call<AddNet, &AddNet::is_ipv4_conn>, L"{\"IsIpV4\":false}", true, L"BOOL:0", nullptr},
    {"is IPv4 missing", call<AddNet, &AddNet::is_ipv4_conn>, L"{}", false, L"EMPTY",
     L"IsIpV4 not found in JSON"},
    {"expires negative", call<AddNet, &AddNet::get_expiresin_days>, L"{\"ExpiresIn\":-4}", true, L"I4:-4",
     nullptr},
    {"expires as text", call<AddNet, &AddNet::get_expiresin_days>, L"{\"ExpiresIn\":\"4\"}", false, L"EMPTY",
     L"ExpiresIn not found in JSON"},
    {"unique id", call<Edit_netconnection_payload, &Edit_netconnection_payload::get_uniqueid>,
     L"{\"uniqueID\":12}", true, L"I4:12", nullptr},
    {"unique ids", call<Delete_netconnection_payload, &Delete_netconnection_payload::get_uniqueids>,
     L"{\"uniqueIDs\":\"3,8\"}", true, L"IDS:3,8", nullptr},
    // A parsed payload that is not an object holds no member.
    {"array payload", call<AddProg, &AddProg::get_program_filepath>, L"[]", false, L"EMPTY",
     L"program_filename not found in JSON"},
};

TEST(ListPayloads, GettersWriteAcceptedValuesAndLogEachRefusal) {
  for (const Case& c : kCases) {
    const size_t before = logLines().size();
    ScopedVariant out;
    EXPECT_EQ(c.accepted, c.get(c.payload, out.AsInOut())) << c.what;
    EXPECT_EQ(std::wstring(c.written), describe(out.get())) << c.what;
    const auto lines = logLines();
    if (c.accepted) {
      EXPECT_EQ(before, lines.size()) << c.what << ": an accepted value was logged";
    } else if (c.logged != nullptr) {
      bool found = false;
      for (size_t i = before; i < lines.size(); ++i) {
        found = found || (lines[i].find(c.logged) != std::wstring::npos &&
                          lines[i].find(L"(Error)$ [Requests:") != std::wstring::npos);
      }
      EXPECT_TRUE(found) << c.what << ": the refusal text was not logged";
    }
  }
}

TEST(ListPayloads, TextThatIsNotJsonFailsEveryGetterWithoutALog) {
  const size_t before = logLines().size();
  for (const Case& c : kCases) {
    ScopedVariant out;
    EXPECT_FALSE(c.get(L"{not json", out.AsInOut())) << c.what;
    EXPECT_EQ(VT_EMPTY, out.type()) << c.what;
  }
  EXPECT_EQ(before, logLines().size());
}

}  // namespace

int main(int argc, char** argv) {
  // Lines carry the file tag, function and line, so a test can tell who logged.
  tarn_test::writeLogIni(tarn_test::logDirectory(kGroup, L"features_lists_payload_test"), L"Options=40\n");
  Ledra::logging::setLoggingIdentity(0, kGroup.c_str(), nullptr, nullptr, 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
