// Owner of one BSTR: ScopedHandleT's members, freed with SysFreeString. A copy
// of a text is ScopedBstr(::SysAllocString(text)).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "wrappers/ScopedHandle.h"

namespace Ledra {

struct BstrTraits {
  using Handle = BSTR;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::SysFreeString(h); }
};

using ScopedBstr = ScopedHandleT<BstrTraits>;

static_assert(sizeof(ScopedBstr) == sizeof(BSTR), "an owner is the size of what it owns");

}  // namespace Ledra
