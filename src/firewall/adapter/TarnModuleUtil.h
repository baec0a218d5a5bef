// Helpers that turn request text into component arguments and component
// results back into plain values.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace tarn_moduleutil {

// Turns a list of decimal ids separated by ',' (empty parts dropped) into a
// VT_ARRAY | VT_VARIANT of VT_I4 ids in their order. A part that is not all
// decimal digits, or an id that does not fit a signed 32-bit number, refuses
// the whole list and leaves out untouched. An empty list gives an empty array.
bool convert_strnumtovariant_safearray(std::wstring text, Ledra::ScopedVariant& out);

// Reads a property of a result bag (desc, VT_DISPATCH) by name.
// Boolean form: true exactly when the answer is VARIANT_TRUE.
bool get_property_byname(const VARIANT& desc, const wchar_t* name, bool& value);
// Text form: a non-null text replaces value; anything else leaves it as it was.
bool get_property_byname(const VARIANT& desc, const wchar_t* name, std::wstring& value);
// Number form: the low 32 bits of the answer, read into a VARIANT prepared as
// VT_INT holding -1 (so -1 when the bag answers nothing, or on failure).
bool get_property_byname(const VARIANT& desc, const wchar_t* name, long& value);

}  // namespace tarn_moduleutil
}  // namespace Brenix
