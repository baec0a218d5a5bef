// Reading a list entry from the VARIANT arguments of an add or edit call; each
// answers kResultOk or the code that refuses the first bad argument. The id of
// the entry is not touched.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>

#include "kit/BxFWConfig/Model.h"

namespace BxKit {

// The first nonzero code, kResultOk when there is none.
long FirstFailure(std::initializer_list<long> codes);

// file, permission, scope, net guard
long ReadProgramPermission(const VARIANT& file, const VARIANT& permission, const VARIANT& scope,
                           const VARIANT& netGuard, ProgramPermission& out);
// notes, ip type, start, end, network type, expires in
long ReadIpAddress(const VARIANT& notes, const VARIANT& ipType, const VARIANT& start, const VARIANT& end,
                   const VARIANT& networkType, const VARIANT& expiresIn, IpAddress& out);
// name, enabled, category, tcp, udp, list3, list4, description, network type, forward activity
long ReadSystemService(const VARIANT* const (&arguments)[10], SystemService& out);

}  // namespace BxKit
