// "Core.Firewall.SetHistory": whether and which events the firewall logs.
// The six event kinds sit in the nested object "what_events_to_log", which may
// also arrive as a string holding that object's JSON.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class History_payload : public Request {
 public:
  using Request::Request;
  // Booleans write VT_BOOL: VARIANT_TRUE for true, 0 for false.
  bool get_logevent_setting(Ledra::ScopedVariant& value) const { return read(fields::kLogEvents, value); }
  bool get_blockedprogram_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kBlockedPrograms, value);
  }
  bool get_icmpping_setting(Ledra::ScopedVariant& value) const { return read(fields::kIcmpPings, value); }
  bool get_bannedips_setting(Ledra::ScopedVariant& value) const { return read(fields::kBannedIps, value); }
  bool get_systemserviceports_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kSystemServicePorts, value);
  }
  bool get_intrusiondetection_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kIntrusionEvents, value);
  }
  bool get_unknownevents_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kUnknownEvents, value);
  }
  bool get_dontlogevents_onports(Ledra::ScopedVariant& value) const {
    return read(fields::kDontLogOnPorts, value);
  }
  // The component's own port list text, unchanged, as VT_BSTR.
  bool get_whatports_nottolog(Ledra::ScopedVariant& value) const {
    return read(fields::kPortsNotToLog, value);
  }
};

}  // namespace Brenix
