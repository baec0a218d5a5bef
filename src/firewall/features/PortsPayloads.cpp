#include "firewall/features/PortsPayloads.h"

#include <cstdint>

#include "Logging/Log.h"
#include "firewall/features/PayloadReading.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";

constexpr wchar_t kNameKey[] = L"name";
constexpr wchar_t kEnabledKey[] = L"enabled";
constexpr wchar_t kCategoryKey[] = L"category";
constexpr wchar_t kPortInfoKey[] = L"portinfo";
constexpr wchar_t kTcpLocalKey[] = L"tcp_local";
constexpr wchar_t kUdpLocalKey[] = L"udp_local";
constexpr wchar_t kDescriptionKey[] = L"description";
constexpr wchar_t kNetworkTypeKey[] = L"openportsto";
constexpr wchar_t kForwardActivityKey[] = L"forwardactivity";
constexpr wchar_t kServiceIdKey[] = L"portsysid";

constexpr wchar_t kNetworkTypeInvalid[] = L"GetvNetworkTypeInvalid::Invalid parameter received";
constexpr wchar_t kIdsRefused[] = L"Failed to convert string based portsysid id to Variant array";

// One port list from inside "portinfo", which is parsed afresh for each read.
bool readPortList(const Ledra::JSONParser& json, const wchar_t* key, const payload::Site& site,
                  VARIANT* out) {
  Ledra::JSONParser portInfo;
  if (!payload::readNested(json, kPortInfoKey, site, portInfo)) return false;
  return payload::readText(portInfo, key, site, out);
}

}  // namespace

bool Add_portsandsysserv_payload::get_ssname(VARIANT* name) const {
  if (!isParsed()) return false;
  return payload::readText(*this, kNameKey, {L"Brenix::Add_portsandsysserv_payload::get_ssname", __LINE__},
                           name);
}

bool Add_portsandsysserv_payload::get_ssenable_setting(VARIANT* enabled) const {
  if (!isParsed()) return false;
  return payload::readBool(*this, kEnabledKey,
                           {L"Brenix::Add_portsandsysserv_payload::get_ssenable_setting", __LINE__}, enabled);
}

bool Add_portsandsysserv_payload::get_sscategory(VARIANT* category) const {
  if (!isParsed()) return false;
  return payload::readText(*this, kCategoryKey,
                           {L"Brenix::Add_portsandsysserv_payload::get_sscategory", __LINE__}, category);
}

bool Add_portsandsysserv_payload::get_tcp_localport(VARIANT* tcpLocal) const {
  if (!isParsed()) return false;
  return readPortList(*this, kTcpLocalKey,
                      {L"Brenix::Add_portsandsysserv_payload::get_tcp_localport", __LINE__}, tcpLocal);
}

bool Add_portsandsysserv_payload::get_udp_localport(VARIANT* udpLocal) const {
  if (!isParsed()) return false;
  return readPortList(*this, kUdpLocalKey,
                      {L"Brenix::Add_portsandsysserv_payload::get_udp_localport", __LINE__}, udpLocal);
}

bool Add_portsandsysserv_payload::get_ssdescription(VARIANT* description) const {
  if (!isParsed()) return false;
  return payload::readText(*this, kDescriptionKey,
                           {L"Brenix::Add_portsandsysserv_payload::get_ssdescription", __LINE__},
                           description);
}

bool Add_portsandsysserv_payload::get_networktype(VARIANT* networkType) const {
  if (!isParsed()) return false;
  constexpr wchar_t kFunction[] = L"Brenix::Add_portsandsysserv_payload::get_networktype";
  int32_t value = 0;
  if (!payload::readInt(*this, kNetworkTypeKey, {kFunction, __LINE__}, value)) return false;
  // Read as unsigned, so a negative number is out of range too.
  const bool inRange = static_cast<uint32_t>(value) < 2u;
  VariantClear(networkType);
  V_VT(networkType) = VT_I4;
  V_I4(networkType) = inRange ? value : -1;
  if (!inRange) payload::logRefusal({kFunction, __LINE__}, kNetworkTypeInvalid);
  return inRange;
}

bool Add_portsandsysserv_payload::get_fwdportactivity_setting(VARIANT* forwardActivity) const {
  if (!isParsed()) return false;
  return payload::readBool(*this, kForwardActivityKey,
                           {L"Brenix::Add_portsandsysserv_payload::get_fwdportactivity_setting", __LINE__},
                           forwardActivity);
}

bool Update_portsandsysserv_payload::get_portsysid(VARIANT* serviceId) const {
  if (!isParsed()) return false;
  return payload::readInt(*this, kServiceIdKey,
                          {L"Brenix::Update_portsandsysserv_payload::get_portsysid", __LINE__}, serviceId);
}

bool Delete_portsandsysserv_payload::get_portsysid(VARIANT* serviceIds) const {
  if (!isParsed()) return false;
  return payload::readIdList(*this, kServiceIdKey,
                             {L"Brenix::Delete_portsandsysserv_payload::get_portsysid", __LINE__},
                             kIdsRefused, serviceIds);
}

}  // namespace Brenix
