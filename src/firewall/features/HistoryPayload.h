// "Core.Firewall.SetHistory": whether and which events the firewall logs.
// The six event kinds sit in the nested object "what_events_to_log", which may
// also arrive as a string holding that object's JSON.
#pragma once

#include <windows.h>

#include "firewall/features/Request.h"

namespace Brenix {

class History_payload : public Request {
 public:
  using Request::Request;
  // Booleans write VT_BOOL: VARIANT_TRUE for true, 0 for false.
  bool get_logevent_setting(VARIANT* value) const;            // "log_events"
  bool get_blockedprogram_setting(VARIANT* value) const;      // "what_events_to_log" / "blocked_programs"
  bool get_icmpping_setting(VARIANT* value) const;            // "what_events_to_log" / "icmp_pings"
  bool get_bannedips_setting(VARIANT* value) const;           // "what_events_to_log" / "banned_ips"
  bool get_systemserviceports_setting(VARIANT* value) const;  // "what_events_to_log" / "system_service_ports"
  bool get_intrusiondetection_setting(VARIANT* value) const;  // "what_events_to_log" / "intrusion_detection"
  bool get_unknownevents_setting(VARIANT* value) const;       // "what_events_to_log" / "unknown_events"
  bool get_dontlogevents_onports(VARIANT* value) const;       // "dont_log_events_on_ports"
  // The component's own port list text, unchanged, as VT_BSTR.
  bool get_whatports_nottolog(VARIANT* value) const;  // "what_ports_not_to_log"

 private:
  // One boolean of "what_events_to_log", parsed anew for every read.
  bool readEventKind(const wchar_t* function, int line, const wchar_t* key, VARIANT* value) const;
};

}  // namespace Brenix
