// "Core.Firewall.SetIntrusionDetection":
// {"enable_intrusion_detection": boolean, "intrusion_detection_level": word}.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Set_intrusiondetection_payload : public Request {
 public:
  using Request::Request;
  // VT_BOOL: VARIANT_TRUE for true, 0 for false.
  bool get_intrusiondetection_setting(Ledra::ScopedVariant& enable) const {
    return read(fields::kIntrusionDetection, enable);
  }
  // "basic" 0, "medium" 1, "high" 2 as VT_I4; another word is refused and writes nothing.
  bool get_intrusiondetection_level(Ledra::ScopedVariant& level) const {
    return read(fields::kIntrusionLevel, level);
  }
};

}  // namespace Brenix
