// The base of every answer the module publishes for a feature: a JSON object
// and the name of the message it goes out under.
#pragma once

#include <string>

#include "message/JSONParser.h"

namespace Brenix {

class Module_response : public Ledra::JSONParser {
 public:
  // The document starts as an empty JSON object.
  explicit Module_response(std::wstring messageName) : messageName_(std::move(messageName)) { parse(L"{}"); }
  const std::wstring& getMessageName() const { return messageName_; }

 private:
  std::wstring messageName_;
};

}  // namespace Brenix
