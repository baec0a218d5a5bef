#include "firewall/features/HistoryPayload.h"

#include "firewall/features/PayloadReading.h"

namespace Brenix {
namespace {

constexpr wchar_t kEventsKey[] = L"what_events_to_log";

}  // namespace

bool History_payload::readEventKind(const wchar_t* function, int line, const wchar_t* key,
                                    VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{function, line};
  Ledra::JSONParser events;
  if (!payload::readNested(*this, kEventsKey, site, events)) return false;
  return payload::readBool(events, key, site, value);
}

bool History_payload::get_logevent_setting(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::History_payload::get_logevent_setting", __LINE__};
  return payload::readBool(*this, L"log_events", site, value);
}

bool History_payload::get_blockedprogram_setting(VARIANT* value) const {
  return readEventKind(L"Brenix::History_payload::get_blockedprogram_setting", __LINE__, L"blocked_programs",
                       value);
}

bool History_payload::get_icmpping_setting(VARIANT* value) const {
  return readEventKind(L"Brenix::History_payload::get_icmpping_setting", __LINE__, L"icmp_pings", value);
}

bool History_payload::get_bannedips_setting(VARIANT* value) const {
  return readEventKind(L"Brenix::History_payload::get_bannedips_setting", __LINE__, L"banned_ips", value);
}

bool History_payload::get_systemserviceports_setting(VARIANT* value) const {
  return readEventKind(L"Brenix::History_payload::get_systemserviceports_setting", __LINE__,
                       L"system_service_ports", value);
}

bool History_payload::get_intrusiondetection_setting(VARIANT* value) const {
  return readEventKind(L"Brenix::History_payload::get_intrusiondetection_setting", __LINE__,
                       L"intrusion_detection", value);
}

bool History_payload::get_unknownevents_setting(VARIANT* value) const {
  return readEventKind(L"Brenix::History_payload::get_unknownevents_setting", __LINE__, L"unknown_events",
                       value);
}

bool History_payload::get_dontlogevents_onports(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::History_payload::get_dontlogevents_onports", __LINE__};
  return payload::readBool(*this, L"dont_log_events_on_ports", site, value);
}

bool History_payload::get_whatports_nottolog(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::History_payload::get_whatports_nottolog", __LINE__};
  return payload::readText(*this, L"what_ports_not_to_log", site, value);
}

}  // namespace Brenix
