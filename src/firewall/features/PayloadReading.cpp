#include "firewall/features/PayloadReading.h"

#include <oleauto.h>

#include "Logging/Log.h"
#include "firewall/adapter/TarnModuleUtil.h"

namespace Brenix {
namespace payload {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";
constexpr wchar_t kNotFound[] = L"%s not found in JSON";

}  // namespace

void logMissing(const Site& site, const wchar_t* key) {
  LEDRA_LOG(Ledra::logging::Error, site.function, site.line,
            site.missingFormat != nullptr ? site.missingFormat : kNotFound, key);
}

void logRefusal(const Site& site, const wchar_t* text) {
  LEDRA_LOG(Ledra::logging::Error, site.function, site.line, L"%s", text);
}

bool readBool(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, VARIANT* out) {
  bool value = false;
  if (!json.getBool(key, value)) {
    logMissing(site, key);
    return false;
  }
  VariantClear(out);
  V_VT(out) = VT_BOOL;
  V_BOOL(out) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return true;
}

bool readInt(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, int32_t& out) {
  if (!json.getInt(key, out)) {
    logMissing(site, key);
    return false;
  }
  return true;
}

bool readInt(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, VARIANT* out) {
  int32_t value = 0;
  if (!readInt(json, key, site, value)) return false;
  VariantClear(out);
  V_VT(out) = VT_I4;
  V_I4(out) = value;
  return true;
}

bool readText(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, std::wstring& out) {
  if (!json.getString(key, out)) {
    logMissing(site, key);
    return false;
  }
  return true;
}

bool readText(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, VARIANT* out) {
  std::wstring value;
  if (!readText(json, key, site, value)) return false;
  BSTR copy = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  if (copy == nullptr) return false;
  VariantClear(out);
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = copy;
  return true;
}

bool readIdList(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, const wchar_t* refusedText,
                VARIANT* out) {
  std::wstring ids;
  if (!readText(json, key, site, ids)) return false;
  if (!tarn_moduleutil::convert_strnumtovariant_safearray(ids, out)) {
    logRefusal(site, refusedText);
    return false;
  }
  return true;
}

bool readNested(const Ledra::JSONParser& json, const wchar_t* outerKey, const Site& site,
                Ledra::JSONParser& inner) {
  std::wstring text;
  if (!json.getValueText(outerKey, text)) {
    logMissing(site, outerKey);
    return false;
  }
  return inner.parse(text);
}

}  // namespace payload
}  // namespace Brenix
