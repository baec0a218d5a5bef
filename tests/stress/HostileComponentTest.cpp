// A hostile component: for each kind of fault the kit's component can be
// switched to, every request is sent once; those whose contract makes the
// fault a failure must log one while the worker handles them, none may bring
// the module down, and it answers again once the component behaves.
#include <windows.h>
#include <oaidl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "kit/Kiln/Text.h"
#include "tests/stress/StressRun.h"
#include "tests/support/KilnRun.h"
#include "tests/support/RequestTable.h"

namespace tarn_test {
namespace {

constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";
constexpr wchar_t kWorkerTook[] = L"TARN Module worker is processing ";

// Every operation of the component's objects (the class factories apart).
const std::vector<std::wstring> kOperations = {L"SetFirewallState",
                                               L"GetSecurityLevel",
                                               L"SetSecurityLevel",
                                               L"GetSmartRecomendations",
                                               L"SetSmartRecomendations",
                                               L"GetEventLog",
                                               L"SetEventLog",
                                               L"as_GetProgramPermissions",
                                               L"AddProgramPermission",
                                               L"EditProgramPermission",
                                               L"RemoveProgramPermissions",
                                               L"as_GetIPAddresses",
                                               L"AddIPAddress",
                                               L"EditIPAddress",
                                               L"RemoveIPAddresses",
                                               L"as_GetSystemServices",
                                               L"AddSystemService",
                                               L"EditSystemService",
                                               L"RemoveSystemServices",
                                               L"ResetToDefaults",
                                               L"IsResetToDefaults",
                                               L"as_GetIPReputation",
                                               L"EditIPReputation",
                                               L"RemoveIPReputation",
                                               L"EnableIPReputation",
                                               L"GetHips",
                                               L"SetHips",
                                               L"GetConfig",
                                               L"Enable",
                                               L"Disable",
                                               L"GetProperty",
                                               L"SetProperty",
                                               L"ApplyProperties",
                                               L"GetEnumerator",
                                               L"Next",
                                               L"IsAdmin",
                                               L"OpenFile"};

// Requests that read the firewall's configuration objects, and those that create a component object.
const std::set<std::wstring> kConfigReaders = {
    L"Core.Firewall.RefreshState", L"Core.Firewall.ProtectionStatusChange", L"Core.Firewall.HIPS.State",
    L"Core.Firewall.GetTrustLevel", L"Core.Firewall.SetTrustLevel"};
const std::set<std::wstring> kCreators = {L"Core.Firewall.ChangeState",
                                          L"Core.Firewall.RefreshState",
                                          L"Core.Firewall.ProtectionStatusChange",
                                          L"Core.Firewall.HIPS.State",
                                          L"Core.Firewall.GetTrustLevel",
                                          L"Core.Firewall.SetTrustLevel",
                                          L"Core.Firewall.RequestUserState",
                                          L"Core.Firewall.GetUploadedFilePath"};
const std::set<std::wstring> kStateReaders = {
    L"Core.Firewall.RefreshState", L"Core.Firewall.ProtectionStatusChange", L"Core.Firewall.HIPS.State"};
const std::set<std::wstring> kRuleWalkers = {L"Core.Firewall.GetTrustLevel", L"Core.Firewall.SetTrustLevel"};
const std::set<std::wstring> kNone;

enum class Fails { EveryComponentCall, Only };

struct FaultKind {
  const char* what;
  std::vector<std::wstring> operations;  // empty: every operation
  const wchar_t* suffix;
  DWORD value;
  Fails fails;
  const std::set<std::wstring>* failing;  // for Fails::Only: the requests whose contract makes it a failure
};

const FaultKind kKinds[] = {
    {"failed HRESULT", {}, L".hr", static_cast<DWORD>(E_FAIL), Fails::EveryComponentCall, nullptr},
    {"result code of bit 16 only", {}, L".result", 0x10000, Fails::EveryComponentCall, nullptr},
    {"result code -1 with S_OK", {}, L".result", 0xFFFFFFFF, Fails::EveryComponentCall, nullptr},
    {"texts where numbers and objects belong", {}, L".type", VT_BSTR, Fails::Only, &kConfigReaders},
    {"numbers where texts and objects belong", {}, L".type", VT_I4, Fails::Only, &kConfigReaders},
    {"empty values", {}, L".type", VT_EMPTY, Fails::Only, &kConfigReaders},
    {"texts for property values and rules",
     {L"GetProperty", L"Next"},
     L".type",
     VT_BSTR,
     Fails::Only,
     &kStateReaders},
    {"null objects", {}, L".null", 1, Fails::Only, &kConfigReaders},
    {"no enumerator", {L"GetEnumerator"}, L".null", 1, Fails::Only, &kRuleWalkers},
    {"null rules", {L"Next"}, L".null", 1, Fails::Only, &kNone},
    {"no new objects",
     {L"CreateInstance"},
     L".hr",
     static_cast<DWORD>(E_ACCESSDENIED),
     Fails::Only,
     &kCreators},
    {"null new objects", {L"CreateInstance"}, L".null", 1, Fails::Only, &kCreators},
};

void switchOn(const FaultKind& kind) {
  for (const std::wstring& operation : kind.operations.empty() ? kOperations : kind.operations) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFaultsKey, (operation + kind.suffix).c_str(), REG_DWORD, &kind.value,
                    sizeof(kind.value));
  }
}

// The worker's lines for the payload holding the marker: from its "processing" line to the next one.
std::vector<std::wstring> handling(const std::vector<std::wstring>& log, const std::wstring& marker) {
  std::vector<std::wstring> lines;
  for (const std::wstring& line : log) {
    const bool took = line.find(kWorkerTook) != std::wstring::npos;
    if (!lines.empty() && took) break;
    if (!lines.empty() || (took && line.find(marker) != std::wstring::npos)) lines.push_back(line);
  }
  return lines;
}

TEST(HostileComponent, EveryRequestFailsCleanlyUnderEachFaultAndTheModuleAnswersAfterwards) {
  // One log file for the whole run: read in name order, rotated files would not be in time order.
  KilnRun run({L"stress_component", Kiln::InitializeEntry::V2, L"", L"Severity=1\nMaxSize=67108864\n"});
  ASSERT_TRUE(run.ready());
  size_t sent = 0;
  for (const FaultKind& kind : kKinds) {
    SCOPED_TRACE(kind.what);
    switchOn(kind);
    std::vector<std::wstring> markers;
    for (const RequestRow& row : kRequests) {
      markers.push_back(uniqueMarker(L"fault"));
      const std::wstring payload(row.payload);
      ASSERT_EQ(0u, run.probe().publish(row.name, payload.substr(0, payload.size() - 1) +
                                                      (payload.size() > 2 ? L"," : L"") + L"\"probe\":\"" +
                                                      markers.back() + L"\"}"));
      ++sent;
    }
    // Each name has its own delivery thread, so the requests may reach the queue in any order; once all
    // are taken up, one more message queued behind them is taken up when the last handler has returned.
    for (size_t i = 0; i < std::size(kRequests); ++i) {
      ASSERT_TRUE(run.waitForWorker(kRequests[i].name, markers[i])) << "the worker stopped";
    }
    const std::wstring last = uniqueMarker(L"last");
    ASSERT_EQ(0u, run.probe().publish(L"Core.Protection.IgnoreFirewall", L"{\"probe\":\"" + last + L"\"}"));
    ASSERT_TRUE(run.waitForWorker(L"Core.Protection.IgnoreFirewall", last)) << "the worker stopped";
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
    Kiln::SeenMessage state;
    EXPECT_TRUE(run.probe().ask(L"Core.Firewall.RefreshState", L"", kPatienceMs, &state))
        << "no state answer once the component behaves again";

    const std::vector<std::wstring> log = run.logLines();
    for (size_t i = 0; i < std::size(kRequests); ++i) {
      const std::wstring name = kRequests[i].name;
      const bool mustFail = kind.fails == Fails::EveryComponentCall
                                ? name != L"Core.Protection.IgnoreFirewall"
                                : kind.failing->count(name) != 0;
      const std::vector<std::wstring> lines = handling(log, markers[i]);
      EXPECT_FALSE(lines.empty()) << Kiln::toUtf8(name) << " was never handled";
      bool logged = false;
      for (const std::wstring& line : lines) logged = logged || line.find(L"(Error)") != std::wstring::npos;
      EXPECT_TRUE(logged || !mustFail) << Kiln::toUtf8(name) << " logged no failure";
    }
    run.probe().forget();
  }
  stressSummary("hostile component: " + std::to_string(std::size(kKinds)) + " fault kinds, sent " +
                std::to_string(sent) + " requests, the module answered after each kind");
}

}  // namespace
}  // namespace tarn_test
