// Answers of the settings groups' refresh requests, built from the result bag
// the component filled (desc, a VT_DISPATCH VARIANT) by the answer tables. A
// building operation stops at the first read that fails and answers false;
// members added before it stay, but the handler then publishes nothing.
#pragma once

#include <windows.h>

#include <string>

#include "firewall/features/AnswerTable.h"
#include "firewall/features/ModuleResponse.h"

namespace Brenix {

// "Core.Firewall.TrafficController": {"traffic_controller": word}.
class Refresh_trafficcontroller_response : public Module_response {
 public:
  Refresh_trafficcontroller_response() : Module_response(answers::kTrafficController.name) {}
  // Reads "Level" and gives its word; a number without a word empties the word
  // and answers false.
  bool get_security_level(const VARIANT& desc, std::wstring& word) const;
  bool build(const VARIANT& desc) { return answer::build(answers::kTrafficController, desc, *this); }
};

// "Core.Firewall.SmartAdvice": five booleans.
class Refresh_smartadvice_response : public Module_response {
 public:
  Refresh_smartadvice_response() : Module_response(answers::kSmartAdvice.name) {}
  bool build(const VARIANT& desc) { return answer::build(answers::kSmartAdvice, desc, *this); }
};

// "Core.Firewall.History": "log_events", the nested object
// "what_events_to_log", "dont_log_events_on_ports", "what_ports_not_to_log".
class Refresh_history_response : public Module_response {
 public:
  Refresh_history_response() : Module_response(answers::kHistory.name) {}
  bool build(const VARIANT& desc) { return answer::build(answers::kHistory, desc, *this); }
};

// "Core.Firewall.IntrusionDetection":
// {"enable_intrusion_detection": boolean, "intrusion_detection_level": word}.
class Refresh_intrudetection_response : public Module_response {
 public:
  Refresh_intrudetection_response() : Module_response(answers::kIntrusionDetection.name) {}
  bool build(const VARIANT& desc) { return answer::build(answers::kIntrusionDetection, desc, *this); }
  // Reads "iHipsLevel" and gives its word; 0 "basic", 1 "medium", 2 "high".
  bool extract_idlevel_settings(const VARIANT& desc, std::wstring& word) const {
    return answer::readWord(answers::kIntrusionDetection.members[1], desc, word);
  }
};

}  // namespace Brenix
