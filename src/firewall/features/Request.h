// The base of every request payload: the message's JSON text, parsed once.
// Every getter of a payload answers false at once, without a log line, when the
// text did not parse.
#pragma once

#include <string>

#include "message/JSONParser.h"

namespace Brenix {

class Request : public Ledra::JSONParser {
 public:
  explicit Request(const std::wstring& payload) : parsed_(parse(payload)) {}
  bool isParsed() const { return parsed_; }

 private:
  bool parsed_;
};

}  // namespace Brenix
