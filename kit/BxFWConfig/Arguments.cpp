#include "kit/BxFWConfig/Arguments.h"

#include <oleauto.h>

#include <climits>
#include <cwctype>

#include "kit/BxFWConfig/ResultCodes.h"
#include "wrappers/ScopedSafeArray.h"

namespace BxKit {
namespace {

bool ParseDecimal(const std::wstring& text, long low, long high, long& out) {
  if (text.empty() || text.size() > 9) return false;
  long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
  }
  if (value < low || value > high) return false;
  out = value;
  return true;
}

std::wstring Trim(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::vector<std::wstring> SplitAt(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
    if (at == std::wstring::npos) return parts;
    start = at + 1;
  }
}

long ReadIdElements(SAFEARRAY* array, VARTYPE elementType, std::vector<long>& out) {
  if (array == nullptr || ::SafeArrayGetDim(array) != 1) return kResultWrongType;
  LONG low = 0;
  LONG high = -1;
  if (FAILED(::SafeArrayGetLBound(array, 1, &low)) || FAILED(::SafeArrayGetUBound(array, 1, &high))) {
    return kResultWrongType;
  }
  Ledra::ScopedSafeArrayLock lock(array);
  if (!lock.locked()) return kResultInternal;
  std::vector<long> ids;
  for (LONG i = 0; i <= high - low; ++i) {
    long id = 0;
    if (elementType == VT_VARIANT) {
      const long code = ReadInt(static_cast<const VARIANT*>(array->pvData)[i], id);
      if (code != kResultOk) return code;
    } else {
      id = static_cast<const LONG*>(array->pvData)[i];
    }
    ids.push_back(id);
  }
  out = std::move(ids);
  return kResultOk;
}

}  // namespace

long ReadBool(const VARIANT& value, bool& out) {
  if (value.vt != VT_BOOL) return kResultWrongType;
  if (value.boolVal != VARIANT_TRUE && value.boolVal != VARIANT_FALSE) return kResultOutOfRange;
  out = value.boolVal == VARIANT_TRUE;
  return kResultOk;
}

long ReadInt(const VARIANT& value, long& out) {
  switch (value.vt) {
    case VT_I1:
      out = value.cVal;
      return kResultOk;
    case VT_UI1:
      out = value.bVal;
      return kResultOk;
    case VT_I2:
      out = value.iVal;
      return kResultOk;
    case VT_UI2:
      out = value.uiVal;
      return kResultOk;
    case VT_I4:
      out = value.lVal;
      return kResultOk;
    case VT_INT:
      out = value.intVal;
      return kResultOk;
    case VT_UI4:
      if (value.ulVal > static_cast<ULONG>(LONG_MAX)) return kResultOutOfRange;
      out = static_cast<long>(value.ulVal);
      return kResultOk;
    case VT_UINT:
      if (value.uintVal > static_cast<UINT>(LONG_MAX)) return kResultOutOfRange;
      out = static_cast<long>(value.uintVal);
      return kResultOk;
    default:
      return kResultWrongType;
  }
}

long ReadIntIn(const VARIANT& value, long low, long high, long& out) {
  long read = 0;
  const long code = ReadInt(value, read);
  if (code != kResultOk) return code;
  if (read < low || read > high) return kResultOutOfRange;
  out = read;
  return kResultOk;
}

long ReadText(const VARIANT& value, std::wstring& out) {
  if (value.vt != VT_BSTR) return kResultWrongType;
  out = value.bstrVal ? std::wstring(value.bstrVal, ::SysStringLen(value.bstrVal)) : std::wstring();
  return kResultOk;
}

long ReadIdList(const VARIANT& value, std::vector<long>& out) {
  switch (value.vt) {
    case VT_ARRAY | VT_VARIANT:
      return ReadIdElements(value.parray, VT_VARIANT, out);
    case VT_BYREF | VT_ARRAY | VT_VARIANT:
      return value.pparray ? ReadIdElements(*value.pparray, VT_VARIANT, out) : kResultWrongType;
    case VT_ARRAY | VT_I4:
      return ReadIdElements(value.parray, VT_I4, out);
    default:
      return kResultWrongType;
  }
}

bool IsPortList(const std::wstring& text) {
  if (Trim(text).empty()) return true;
  for (const std::wstring& raw : SplitAt(text, L',')) {
    const std::wstring item = Trim(raw);
    const size_t dash = item.find(L'-');
    long low = 0;
    long high = 0;
    if (dash == std::wstring::npos) {
      if (!ParseDecimal(item, 1, 65535, low)) return false;
    } else if (!ParseDecimal(item.substr(0, dash), 1, 65535, low) ||
               !ParseDecimal(item.substr(dash + 1), 1, 65535, high) || high < low) {
      return false;
    }
  }
  return true;
}

bool IsIpv4Address(const std::wstring& text) {
  const std::vector<std::wstring> parts = SplitAt(text, L'.');
  if (parts.size() != 4) return false;
  for (const std::wstring& part : parts) {
    long octet = 0;
    if (part.size() > 3 || !ParseDecimal(part, 0, 255, octet)) return false;
  }
  return true;
}

bool IsIpv6Address(const std::wstring& text) {
  const size_t gap = text.find(L"::");
  if (gap != std::wstring::npos && text.find(L"::", gap + 1) != std::wstring::npos) return false;
  std::vector<std::wstring> groups = SplitAt(text, L':');
  size_t empty = 0;
  for (const std::wstring& group : groups) {
    if (group.empty()) {
      ++empty;
      continue;
    }
    if (group.size() > 4) return false;
    for (wchar_t c : group) {
      if (!std::iswxdigit(c)) return false;
    }
  }
  // "::" gives one empty group inside, two at an end, three for "::" alone.
  if (gap == std::wstring::npos) return groups.size() == 8 && empty == 0;
  return groups.size() <= 9 && empty <= 3 && text.size() >= 2;
}

}  // namespace BxKit
