#include "firewall/features/SetIntrusionDetectionPayload.h"

#include <string>

#include "firewall/features/PayloadReading.h"
#include "firewall/features/WordTables.h"

namespace Brenix {
namespace {

constexpr wchar_t kInvalidWord[] =
    L"Set_intrusiondetection_payload::get_intrusiondetection_level: Invalid value of szIntrusionLevel "
    L"received.";

}  // namespace

bool Set_intrusiondetection_payload::get_intrusiondetection_setting(VARIANT* enable) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Set_intrusiondetection_payload::get_intrusiondetection_setting",
                           __LINE__};
  return payload::readBool(*this, L"enable_intrusion_detection", site, enable);
}

bool Set_intrusiondetection_payload::get_intrusiondetection_level(VARIANT* level) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Set_intrusiondetection_payload::get_intrusiondetection_level", __LINE__};
  std::wstring word;
  if (!payload::readText(*this, L"intrusion_detection_level", site, word)) return false;
  long number = 0;
  if (!words::numberOf(words::kIntrusionLevels, word, number)) {
    payload::logRefusal(site, kInvalidWord);
    return false;
  }
  VariantClear(level);
  V_VT(level) = VT_I4;
  V_I4(level) = number;
  return true;
}

}  // namespace Brenix
