#include "firewall/features/NetConnectionPayloads.h"

#include "Logging/Log.h"
#include "firewall/features/PayloadReading.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";

constexpr wchar_t kNotesKey[] = L"notes";
constexpr wchar_t kIpTypeKey[] = L"IPType";
constexpr wchar_t kIsIpv4Key[] = L"IsIpV4";
constexpr wchar_t kStartKey[] = L"StartAddress";
constexpr wchar_t kEndKey[] = L"EndAddress";
constexpr wchar_t kNetworkTypeKey[] = L"network_type";
constexpr wchar_t kExpiresKey[] = L"ExpiresIn";
constexpr wchar_t kUniqueIdKey[] = L"uniqueID";
constexpr wchar_t kUniqueIdsKey[] = L"uniqueIDs";

constexpr wchar_t kIdsRefused[] = L"Failed to convert string based uniqueIDs to Variant SafeArray.";

}  // namespace

bool Add_netconnection_payload::get_notes(VARIANT* notes) const {
  if (!isParsed()) return false;
  return payload::readText(*this, kNotesKey, {L"Brenix::Add_netconnection_payload::get_notes", __LINE__},
                           notes);
}

bool Add_netconnection_payload::get_iptype(VARIANT* ipType) const {
  if (!isParsed()) return false;
  return payload::readInt(*this, kIpTypeKey, {L"Brenix::Add_netconnection_payload::get_iptype", __LINE__},
                          ipType);
}

bool Add_netconnection_payload::is_ipv4_conn(VARIANT* isIpv4) const {
  if (!isParsed()) return false;
  return payload::readBool(*this, kIsIpv4Key, {L"Brenix::Add_netconnection_payload::is_ipv4_conn", __LINE__},
                           isIpv4);
}

bool Add_netconnection_payload::get_start_address(VARIANT* startAddress) const {
  if (!isParsed()) return false;
  return payload::readText(*this, kStartKey,
                           {L"Brenix::Add_netconnection_payload::get_start_address", __LINE__}, startAddress);
}

bool Add_netconnection_payload::get_end_address(VARIANT* endAddress) const {
  if (!isParsed()) return false;
  return payload::readText(*this, kEndKey, {L"Brenix::Add_netconnection_payload::get_end_address", __LINE__},
                           endAddress);
}

bool Add_netconnection_payload::get_network_type(VARIANT* networkType) const {
  if (!isParsed()) return false;
  return payload::readInt(*this, kNetworkTypeKey,
                          {L"Brenix::Add_netconnection_payload::get_network_type", __LINE__}, networkType);
}

bool Add_netconnection_payload::get_expiresin_days(VARIANT* expiresIn) const {
  if (!isParsed()) return false;
  return payload::readInt(*this, kExpiresKey,
                          {L"Brenix::Add_netconnection_payload::get_expiresin_days", __LINE__}, expiresIn);
}

bool Edit_netconnection_payload::get_uniqueid(VARIANT* uniqueId) const {
  if (!isParsed()) return false;
  return payload::readInt(*this, kUniqueIdKey,
                          {L"Brenix::Edit_netconnection_payload::get_uniqueid", __LINE__}, uniqueId);
}

bool Delete_netconnection_payload::get_uniqueids(VARIANT* uniqueIds) const {
  if (!isParsed()) return false;
  return payload::readIdList(*this, kUniqueIdsKey,
                             {L"Brenix::Delete_netconnection_payload::get_uniqueids", __LINE__}, kIdsRefused,
                             uniqueIds);
}

}  // namespace Brenix
