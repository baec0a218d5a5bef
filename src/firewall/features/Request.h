// The base of every request payload: the message's JSON text, parsed once.
// Every getter of a payload reads one row of the payload tables; it answers
// false at once, without a log line, when the text did not parse.
#pragma once

#include <windows.h>

#include <string>

#include "firewall/features/PayloadFields.h"
#include "firewall/features/PayloadReading.h"
#include "message/JSONParser.h"

namespace Brenix {

class Request : public Ledra::JSONParser {
 public:
  explicit Request(const std::wstring& payload) : parsed_(parse(payload)) {}
  bool isParsed() const { return parsed_; }
  bool read(const payload::Field& field, Ledra::ScopedVariant& out) const {
    return parsed_ && payload::read(*this, field, out);
  }

 private:
  bool parsed_;
};

}  // namespace Brenix
