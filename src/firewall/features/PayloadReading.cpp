#include "firewall/features/PayloadReading.h"

#include <oleauto.h>

#include <cwchar>
#include <string>

#include "Logging/Log.h"
#include "firewall/adapter/TarnModuleUtil.h"

namespace Brenix {
namespace payload {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";

using Ledra::json::Value;

const Value* member(const Value& object, const wchar_t* key) {
  return Ledra::json::findMember(object, key, std::wcslen(key));
}

void logMissing(const Field& field, const wchar_t* key) {
  LEDRA_LOG(Ledra::logging::Error, field.function, field.line, field.missingFormat, key);
}

void logRefusal(const Field& field, long value) {
  LEDRA_LOG(Ledra::logging::Error, field.function, field.refusalLine, field.refusalFormat,
            static_cast<int>(value));
}

// Replaces what the handler's VARIANT held.
void put(Ledra::ScopedVariant& out, VARTYPE type, LONG value) {
  if (type == VT_BOOL) {
    out.setBool(value != 0);
  } else {
    out.setLong(value);
  }
}

bool hasType(const Value& value, JsonType type) {
  switch (type) {
    case JsonType::Boolean:
      return value.IsBool();
    case JsonType::Integer:
      return value.IsInt();
    case JsonType::Unsigned:
      return value.IsUint();
    case JsonType::Text:
      return value.IsString();
  }
  return false;
}

bool readNumber(const Field& field, const Value& value, Ledra::ScopedVariant& out) {
  const int64_t number =
      field.type == JsonType::Unsigned ? int64_t{value.GetUint()} : int64_t{value.GetInt()};
  if (number < field.minimum || number > field.maximum) {
    if (field.minusOneWhenRefused) put(out, VT_I4, -1);
    logRefusal(field, static_cast<long>(number));
    return false;
  }
  if (field.written == Written::NumberAsBool) {
    put(out, VT_BOOL, static_cast<LONG>(number));
  } else {
    put(out, VT_I4, static_cast<LONG>(number));
  }
  return true;
}

// Texts are taken up to their first NUL unit, as the parser's getString gives them.
bool readText(const Field& field, const wchar_t* text, Ledra::ScopedVariant& out) {
  long number = 0;
  switch (field.written) {
    case Written::Word:
      if (!words::numberOf(field.words, text, number)) {
        logRefusal(field, 0);
        return false;
      }
      put(out, VT_I4, number);
      return true;
    case Written::OnAsTrue:
      put(out, VT_BOOL, std::wcscmp(text, L"on") == 0 ? 1 : 0);
      return true;
    case Written::IdList:
      if (!tarn_moduleutil::convert_strnumtovariant_safearray(text, out)) {
        logRefusal(field, 0);
        return false;
      }
      return true;
    default:
      return SUCCEEDED(out.setText(text));
  }
}

// The value of field.key in container.
bool readMember(const Field& field, const Value& container, Ledra::ScopedVariant& out) {
  const Value* value = member(container, field.key);
  if (value == nullptr || !hasType(*value, field.type)) {
    logMissing(field, field.key);
    return false;
  }
  switch (field.type) {
    case JsonType::Boolean:
      put(out, field.written == Written::BoolAsNumber ? VT_I4 : VT_BOOL, value->GetBool() ? 1 : 0);
      return true;
    case JsonType::Integer:
    case JsonType::Unsigned:
      return readNumber(field, *value, out);
    case JsonType::Text:
      return readText(field, value->GetString(), out);
  }
  return false;
}

}  // namespace

bool read(const Ledra::JSONParser& payload, const Field& field, Ledra::ScopedVariant& out) {
  if (field.container == nullptr) return readMember(field, payload.root(), out);
  const Value* outer = member(payload.root(), field.container);
  if (outer == nullptr) {
    logMissing(field, field.container);
    return false;
  }
  if (!outer->IsString()) {
    // Null reads as an empty text, which does not parse.
    return !outer->IsNull() && readMember(field, *outer, out);
  }
  Ledra::JSONParser nested;
  return nested.parse(outer->GetString()) && readMember(field, nested.root(), out);
}

bool prepare(const Field& field, Ledra::ScopedVariant& out) {
  switch (field.prepared) {
    case Prepared::MinusOne:
      put(out, VT_I4, -1);
      return true;
    case Prepared::Zero:
      put(out, VT_I4, 0);
      return true;
    case Prepared::False:
      put(out, VT_BOOL, 0);
      return true;
    case Prepared::EmptyText:
      return SUCCEEDED(out.setText(L""));
    case Prepared::Empty:
      out.reset();
      return true;
  }
  return true;
}

}  // namespace payload
}  // namespace Brenix
