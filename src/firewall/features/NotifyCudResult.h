// "Core.Firewall.NotifyCUDResult": the outcome of a change request.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "firewall/features/AnswerTable.h"
#include "firewall/features/ModuleResponse.h"

namespace Brenix {

// Feature ids of a change result.
constexpr int32_t kFeatureSecurityLevel = 1;
constexpr int32_t kFeatureSmartAdvice = 2;
constexpr int32_t kFeatureHistory = 3;
constexpr int32_t kFeatureProgramPermissions = 4;
constexpr int32_t kFeatureNetworkConnections = 5;
constexpr int32_t kFeaturePortsAndSystemServices = 6;
constexpr int32_t kFeatureIntrusionDetection = 7;
constexpr int32_t kFeatureNetGuard = 8;
// Function ids of a change result.
constexpr int32_t kFunctionDelete = 1;
constexpr int32_t kFunctionEdit = 2;  // edit, update or set
constexpr int32_t kFunctionAdd = 3;

class Notify_cud_result : public Module_response {
 public:
  Notify_cud_result() : Module_response(answers::kChangeResult.name) {}
  // Members in order: "Successful", "ErrCode", "feature_id", "func_id", "id_list".
  void build(int32_t featureId, int32_t functionId, const VARIANT& id, bool successful, int32_t errorCode);

  // The ids of the VARIANT as decimal text joined by ",": a VT_I4 alone; an
  // array of VARIANTs, directly or by reference; or an object whose "length"
  // gives the count and whose properties "0", "1", ... the elements. Any other
  // type gives "".
  static std::wstring idList(const VARIANT& id);
};

}  // namespace Brenix
