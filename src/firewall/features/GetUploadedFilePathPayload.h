// "Core.Firewall.GetUploadedFilePath": {"session_ID": the terminal session of
// the user interface whose window owns the file dialog}.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Get_uploadedfilepath_payload : public Request {
 public:
  using Request::Request;
  // An unsigned 32-bit number other than 0, written as VT_I4.
  bool get_windowid(Ledra::ScopedVariant& session) const { return read(fields::kSessionId, session); }
};

}  // namespace Brenix
