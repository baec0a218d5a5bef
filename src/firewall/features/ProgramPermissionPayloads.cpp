#include "firewall/features/ProgramPermissionPayloads.h"

#include <cstdint>
#include <string>

#include "Logging/Log.h"
#include "firewall/features/PayloadReading.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";

constexpr wchar_t kFileNameKey[] = L"program_filename";
constexpr wchar_t kPermissionKey[] = L"permission";
constexpr wchar_t kScopeKey[] = L"access";
constexpr wchar_t kNetGuardKey[] = L"net_guard";
constexpr wchar_t kProgramIdKey[] = L"program_id";
constexpr wchar_t kProgramIdsKey[] = L"program_ids";

constexpr wchar_t kPermissionInvalid[] = L"get_program_permission::Invalid parameter received";
constexpr wchar_t kScopeInvalid[] =
    L"Add_proginternetconn_payload::get_program_scope::Invalid parameter received";
constexpr wchar_t kNetGuardMissing[] = L"Attribute %s not found in json.";
constexpr wchar_t kNetGuardInvalid[] =
    L"Add_proginternetconn_payload::get_program_ipreputationn: Invalid value of szNetGuard received.";
constexpr wchar_t kIdsRefused[] = L"Failed to convert string based program_ids to Variant SafeArray.";

void setI4(VARIANT* out, LONG value) {
  VariantClear(out);
  V_VT(out) = VT_I4;
  V_I4(out) = value;
}

// A number of 0..2. Read as unsigned, so a negative number is out of range too;
// out of range writes -1.
bool readUpToTwo(const Ledra::JSONParser& json, const wchar_t* key, const payload::Site& read,
                 const payload::Site& refusal, const wchar_t* refusalText, VARIANT* out) {
  int32_t value = 0;
  if (!payload::readInt(json, key, read, value)) return false;
  if (static_cast<uint32_t>(value) > 2u) {
    setI4(out, -1);
    payload::logRefusal(refusal, refusalText);
    return false;
  }
  setI4(out, value);
  return true;
}

}  // namespace

bool Add_proginternetconn_payload::get_program_filepath(VARIANT* fileName) const {
  if (!isParsed()) return false;
  return payload::readText(*this, kFileNameKey,
                           {L"Brenix::Add_proginternetconn_payload::get_program_filepath", __LINE__},
                           fileName);
}

bool Add_proginternetconn_payload::get_program_permission(VARIANT* permission) const {
  if (!isParsed()) return false;
  constexpr wchar_t kFunction[] = L"Brenix::Add_proginternetconn_payload::get_program_permission";
  return readUpToTwo(*this, kPermissionKey, {kFunction, __LINE__}, {kFunction, __LINE__}, kPermissionInvalid,
                     permission);
}

bool Add_proginternetconn_payload::get_program_scope(VARIANT* scope) const {
  if (!isParsed()) return false;
  constexpr wchar_t kFunction[] = L"Brenix::Add_proginternetconn_payload::get_program_scope";
  return readUpToTwo(*this, kScopeKey, {kFunction, __LINE__}, {kFunction, __LINE__}, kScopeInvalid, scope);
}

bool Add_proginternetconn_payload::get_program_ipreputationn(VARIANT* netGuard) const {
  if (!isParsed()) return false;
  constexpr wchar_t kFunction[] = L"Brenix::Add_proginternetconn_payload::get_program_ipreputationn";
  std::wstring word;
  if (!payload::readText(*this, kNetGuardKey, {kFunction, __LINE__, kNetGuardMissing}, word)) return false;
  if (word == L"on") {
    setI4(netGuard, 1);
  } else if (word == L"off") {
    setI4(netGuard, 0);
  } else {
    payload::logRefusal({kFunction, __LINE__}, kNetGuardInvalid);
    return false;
  }
  return true;
}

bool Edit_proginternetconn_payload::get_programid(VARIANT* programId) const {
  if (!isParsed()) return false;
  return payload::readInt(*this, kProgramIdKey,
                          {L"Brenix::Edit_proginternetconn_payload::get_programid", __LINE__}, programId);
}

bool Delete_proginternetconn_payload::get_programids(VARIANT* programIds) const {
  if (!isParsed()) return false;
  return payload::readIdList(*this, kProgramIdsKey,
                             {L"Brenix::Delete_proginternetconn_payload::get_programids", __LINE__},
                             kIdsRefused, programIds);
}

}  // namespace Brenix
