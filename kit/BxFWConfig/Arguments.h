// Reading the VARIANT arguments callers pass by value. Each reader answers
// kResultOk or the result code that refuses the argument.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace BxKit {

// VT_BOOL holding exactly VARIANT_TRUE or VARIANT_FALSE.
long ReadBool(const VARIANT& value, bool& out);
// A signed or unsigned integer VARIANT whose value fits a long.
long ReadInt(const VARIANT& value, long& out);
// An integer as ReadInt, also within [low, high].
long ReadIntIn(const VARIANT& value, long low, long high, long& out);
// VT_BSTR; a null BSTR reads as the empty text.
long ReadText(const VARIANT& value, std::wstring& out);
// A one-dimensional array of integers: VT_ARRAY|VT_VARIANT (also by reference)
// whose elements are integers, or VT_ARRAY|VT_I4.
long ReadIdList(const VARIANT& value, std::vector<long>& out);

// "80,443,1000-2000": ports 1..65535, ranges low-high, blanks around items
// allowed; the empty text is an empty list.
bool IsPortList(const std::wstring& text);
bool IsIpv4Address(const std::wstring& text);
bool IsIpv6Address(const std::wstring& text);

}  // namespace BxKit
