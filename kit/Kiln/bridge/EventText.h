// The JSON texts the bridge sends to the page: bus messages and module states
// on the event stream, and the answers of its POST routes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kit/Kiln/Traffic.h"

namespace Kiln {

struct ModuleState {
  std::wstring name;
  bool running = false;
  std::wstring reason;  // why it runs or not: "started", "asked by the module", a failure
};

// {"time":"hh:mm:ss.mmm","name":..,"sender":..,"kind":"plain"|"request"|"reply","payload":"text"}
std::string busMessageJson(const SeenMessage& message, const std::string& time);
// {"name":..,"running":bool,"reason":..}
std::string moduleJson(const ModuleState& module);
// {"modules":[...]}
std::string modulesJson(const std::vector<ModuleState>& modules);
// The answer to /api/request: {"answered":true,"reply":{message}} or
// {"answered":false,"status":"NAME (0x...)"}.
std::string replyJson(uint32_t status, const SeenMessage* reply, const std::string& time);
// One server-sent event: "event: NAME\ndata: JSON\n\n".
std::string serverSentEvent(const char* name, const std::string& json);

// The local time as hh:mm:ss.mmm.
std::string clockText();

}  // namespace Kiln
