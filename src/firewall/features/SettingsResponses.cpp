#include "firewall/features/SettingsResponses.h"

namespace Brenix {

bool Refresh_trafficcontroller_response::get_security_level(const VARIANT& desc, std::wstring& word) const {
  if (answer::readWord(answers::kTrafficController.members[0], desc, word)) return true;
  word.clear();
  return false;
}

}  // namespace Brenix
