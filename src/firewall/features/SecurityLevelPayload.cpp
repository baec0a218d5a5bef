#include "firewall/features/SecurityLevelPayload.h"

#include <string>

#include "firewall/features/PayloadReading.h"
#include "firewall/features/WordTables.h"

namespace Brenix {
namespace {

constexpr wchar_t kFunction[] = L"Brenix::Security_level_payload::get_security_level";
constexpr wchar_t kKey[] = L"traffic_controller";
constexpr wchar_t kMissing[] = L"Attribute %s not found in json.";
constexpr wchar_t kInvalidWord[] =
    L"Security_level_payload::get_security_level(): Invalid value of szSecurityLevel received.";

}  // namespace

bool Security_level_payload::get_security_level(VARIANT* level) const {
  if (!isParsed()) return false;
  const payload::Site site{kFunction, __LINE__, kMissing};
  std::wstring word;
  if (!payload::readText(*this, kKey, site, word)) return false;
  long number = 0;
  if (!words::numberOf(words::kSecurityLevels, word, number)) {
    payload::logRefusal(site, kInvalidWord);
    return false;
  }
  VariantClear(level);
  V_VT(level) = VT_I4;
  V_I4(level) = number;
  return true;
}

}  // namespace Brenix
