// Answers of the small services: the restore-defaults button, the user's
// administrator state, the file chosen in the file dialog and a network's
// trust level.
#pragma once

#include <windows.h>

#include "firewall/features/AnswerTable.h"
#include "firewall/features/ModuleResponse.h"

namespace Brenix {

// "Core.Firewall.RestoreDefaultsBtnStatus": {"Enable": boolean}.
class Notify_defaultsettings_response : public Module_response {
 public:
  Notify_defaultsettings_response() : Module_response(answers::kRestoreDefaultsButton.name) {}
  void set_enable(bool enable) { setBool(answers::kRestoreDefaultsButton.members[0].key, enable); }
};

// "Core.Firewall.UserState": {"admin": boolean}.
class Notify_getisadmin_response : public Module_response {
 public:
  Notify_getisadmin_response() : Module_response(answers::kUserState.name) {}
  void set_admin(bool admin) { setBool(answers::kUserState.members[0].key, admin); }
};

// "Core.Firewall.NotifyUploadedFilePath": {"FilePath": text}, or {} when the
// dialog's answer has an unexpected form.
class Notify_getuploaded_filepath_response : public Module_response {
 public:
  Notify_getuploaded_filepath_response() : Module_response(answers::kUploadedFilePath.name) {}
  // VT_EMPTY gives ""; an array of VARIANTs gives its first element's text ("" when
  // empty). A first element that is not text, or any other type, adds nothing
  // and answers false.
  bool prepare_getuploadedfilepath_payload(const VARIANT& path);
};

// "Core.Firewall.TrustLevel": {"trust_level": integer, "mac_address": text}.
class Notify_network_trust_level : public Module_response {
 public:
  Notify_network_trust_level() : Module_response(answers::kTrustLevel.name) {}
  // The level if it is VT_I4, else -1; the MAC's text if it is VT_BSTR, else "".
  void build(const VARIANT& level, const VARIANT& mac);
};

}  // namespace Brenix
