// Network connection requests:
//   add    {"notes": text, "IPType": number, "IsIpV4": bool, "StartAddress": text,
//           "EndAddress": text, "network_type": number, "ExpiresIn": number}
//   edit   the add's members and "uniqueID" (number)
//   delete {"uniqueIDs": "3,8"}
// The component judges every value; only presence and JSON type are checked here.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Add_netconnection_payload : public Request {
 public:
  using Request::Request;
  bool get_notes(Ledra::ScopedVariant& notes) const { return read(fields::kNotes, notes); }        // VT_BSTR
  bool get_iptype(Ledra::ScopedVariant& ipType) const { return read(fields::kIpType, ipType); }    // VT_I4
  bool is_ipv4_conn(Ledra::ScopedVariant& isIpv4) const { return read(fields::kIsIpv4, isIpv4); }  // VT_BOOL
  bool get_start_address(Ledra::ScopedVariant& start) const {
    return read(fields::kStartAddress, start);
  }                                                                                                 // VT_BSTR
  bool get_end_address(Ledra::ScopedVariant& end) const { return read(fields::kEndAddress, end); }  // VT_BSTR
  bool get_network_type(Ledra::ScopedVariant& networkType) const {
    return read(fields::kNetworkType, networkType);
  }  // VT_I4
  bool get_expiresin_days(Ledra::ScopedVariant& expiresIn) const {
    return read(fields::kExpiresIn, expiresIn);
  }  // VT_I4
};

class Edit_netconnection_payload : public Add_netconnection_payload {
 public:
  using Add_netconnection_payload::Add_netconnection_payload;
  // The entry to change (VT_I4).
  bool get_uniqueid(Ledra::ScopedVariant& uniqueId) const { return read(fields::kAddressId, uniqueId); }
};

class Delete_netconnection_payload : public Request {
 public:
  using Request::Request;
  // The ids to remove as an array of VT_I4.
  bool get_uniqueids(Ledra::ScopedVariant& uniqueIds) const { return read(fields::kAddressIds, uniqueIds); }
};

}  // namespace Brenix
