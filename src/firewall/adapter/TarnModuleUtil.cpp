#include "firewall/adapter/TarnModuleUtil.h"

#include <cstdint>
#include <vector>

#include "Logging/Log.h"
#include "wrappers/ScopedSafeArray.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace tarn_moduleutil {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";

using Ledra::logging::Error;

constexpr wchar_t kInvalidString[] = L"convert_strnumtovariant_safearray::Invalid string received.";
constexpr wchar_t kIdOutOfRange[] = L"convert_strnumtovariant_safearray::Id out of range: %s";
constexpr wchar_t kArrayFailed[] = L"convert_strnumtovariant_safearray::Array could not be made: hr 0x%x";
constexpr wchar_t kDescNotDispatch[] = L"tarn_moduleutil::get_property_byname:- Incorrect type of vtDesp.";
constexpr wchar_t kReadFailed[] = L" tarn_moduleutil::get_property_byname failed for %s atribute: hr 0x%x";

constexpr wchar_t kConvertFunction[] = L"Brenix::tarn_moduleutil::convert_strnumtovariant_safearray";
constexpr wchar_t kReadFunction[] = L"Brenix::tarn_moduleutil::get_property_byname";
constexpr LCID kReadLocale = 1024;

// The non-empty parts of a text split at every ','.
std::vector<std::wstring> splitIds(const std::wstring& text) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(L',', start);
    if (comma == std::wstring::npos) comma = text.size();
    if (comma > start) parts.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

enum class IdParse { Ok, NotDigits, OutOfRange };

// Base 10, digits only, into a signed 32-bit number.
IdParse parseId(const std::wstring& part, LONG& id) {
  int64_t value = 0;
  for (wchar_t c : part) {
    if (c < L'0' || c > L'9') return IdParse::NotDigits;
  }
  for (wchar_t c : part) {
    value = value * 10 + (c - L'0');
    if (value > INT32_MAX) return IdParse::OutOfRange;
  }
  id = static_cast<LONG>(value);
  return IdParse::Ok;
}

// Asks desc for the named property into result, which the caller prepared.
bool readProperty(const VARIANT& desc, const wchar_t* name, Ledra::ScopedVariant& result) {
  if (V_VT(&desc) != VT_DISPATCH) {
    LEDRA_LOG(Error, kReadFunction, __LINE__, kDescNotDispatch);
    return false;
  }
  IDispatch* bag = V_DISPATCH(&desc);
  HRESULT hr = E_POINTER;
  if (bag && name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    hr = bag->GetIDsOfNames(IID_NULL, names, 1, kReadLocale, &id);
    if (hr == S_OK) {
      DISPPARAMS none = {nullptr, nullptr, 0, 0};
      hr = bag->Invoke(id, IID_NULL, kReadLocale, DISPATCH_PROPERTYGET, &none, result.asInOut(), nullptr,
                       nullptr);
    }
  }
  if (hr != S_OK) {
    LEDRA_LOG(Error, kReadFunction, __LINE__, kReadFailed, name ? name : L"", static_cast<unsigned>(hr));
    return false;
  }
  return true;
}

}  // namespace

bool convert_strnumtovariant_safearray(std::wstring text, Ledra::ScopedVariant& out) {
  // Built apart from out, which changes only when the whole list is good.
  std::vector<std::wstring> parts = splitIds(text);

  Ledra::ScopedSafeArray array(::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(parts.size())));
  if (!array.get()) {
    LEDRA_LOG(Error, kConvertFunction, __LINE__, kArrayFailed, static_cast<unsigned>(E_OUTOFMEMORY));
    return false;
  }
  {
    Ledra::ScopedSafeArrayLock lock;
    HRESULT hr = lock.lock(array.get());
    if (FAILED(hr)) {
      LEDRA_LOG(Error, kConvertFunction, __LINE__, kArrayFailed, static_cast<unsigned>(hr));
      return false;
    }
    VARIANT* elements = static_cast<VARIANT*>(lock.data());
    for (size_t index = 0; index < parts.size(); ++index) {
      LONG id = 0;
      switch (parseId(parts[index], id)) {
        case IdParse::NotDigits:
          LEDRA_LOG(Error, kConvertFunction, __LINE__, kInvalidString);
          return false;
        case IdParse::OutOfRange:
          // Ids beyond a signed 32-bit number refuse the list like any bad text.
          LEDRA_LOG(Error, kConvertFunction, __LINE__, kIdOutOfRange, parts[index].c_str());
          return false;
        case IdParse::Ok:
          break;
      }
      V_VT(&elements[index]) = VT_I4;
      V_I4(&elements[index]) = id;
    }
  }

  Ledra::ScopedSafeArray copy;
  HRESULT hr = ::SafeArrayCopy(array.get(), copy.receive());
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kConvertFunction, __LINE__, kArrayFailed, static_cast<unsigned>(hr));
    return false;
  }
  out.setArray(std::move(copy));
  return true;
}

bool get_property_byname(const VARIANT& desc, const wchar_t* name, bool& value) {
  Ledra::ScopedVariant answer;
  answer.setBool(false);
  if (!readProperty(desc, name, answer)) return false;
  value = V_BOOL(&answer.get()) == VARIANT_TRUE;
  return true;
}

bool get_property_byname(const VARIANT& desc, const wchar_t* name, std::wstring& value) {
  Ledra::ScopedVariant answer;
  answer.setText(nullptr);
  if (!readProperty(desc, name, answer)) return false;
  // Only a string answer carries a text to copy.
  if (answer.type() == VT_BSTR && V_BSTR(&answer.get())) {
    value.assign(V_BSTR(&answer.get()), ::SysStringLen(V_BSTR(&answer.get())));
  }
  return true;
}

bool get_property_byname(const VARIANT& desc, const wchar_t* name, long& value) {
  Ledra::ScopedVariant answer(-1, VT_INT);
  bool read = readProperty(desc, name, answer);
  // The low 32 bits of whatever came back, as a signed number.
  value = read ? static_cast<long>(V_I4(&answer.get())) : -1;
  return read;
}

}  // namespace tarn_moduleutil
}  // namespace Brenix
