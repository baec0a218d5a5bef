#include "bench/e2e/Targets.h"

#include "bench/e2e/Floor.h"

namespace Bench {

std::vector<BenchedRequest> benchedRequests() {
  const std::wstring cud = L"Core.Firewall.NotifyCUDResult";
  return {
      {"set",
       {L"Core.Firewall.UpdateTrafficController",
        {L"{\"traffic_controller\":\"stealth\"}", L"{\"traffic_controller\":\"smart_access\"}"},
        false,
        cud},
       cud,
       L"{\"Successful\":true,\"ErrCode\":-1,\"feature_id\":1,\"func_id\":2,\"id_list\":\"-1\"}",
       ""},
      {"refresh",
       {L"Core.Firewall.RefreshTrafficController", {L"{}"}, false, L"Core.Firewall.TrafficController"},
       L"Core.Firewall.TrafficController",
       L"{\"traffic_controller\":\"stealth\"}",
       ""},
      {"list",
       {L"Core.Firewall.DeleteProgramInternetConnection", {L"{\"program_ids\":\"9000,9001\"}"}, false, cud},
       cud,
       L"{\"Successful\":true,\"ErrCode\":-1,\"feature_id\":4,\"func_id\":1,\"id_list\":\"9000,9001\"}",
       "list refreshes publish nothing from the module, so the list request measured is a delete, "
       "answered by its change result; the kit's component knows neither id, refuses and the answer "
       "says Successful false"},
      {"state",
       {L"Core.Firewall.RefreshState", {L"{}"}, true, L""},
       L"Core.Firewall.State",
       L"{\"state\":\"on\",\"off_by_user\":false,\"error\":false}",
       "sent as a bus request: the module's reply completes it"},
      {"hips",
       {L"Core.Firewall.HIPS.State", {L"{}"}, true, L""},
       L"HIPS.STATUS",
       L"{\"hips.enabled\":true}",
       "sent as a bus request: the module's reply completes it"},
  };
}

Target floorTarget(const Target& moduleTarget) {
  return {kFloorRequest, moduleTarget.payloads, moduleTarget.asRequest, kFloorAnswer};
}

std::string narrow(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace Bench
