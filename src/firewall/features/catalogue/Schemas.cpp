#include "firewall/features/catalogue/Schemas.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace catalogue {
namespace {

using Brenix::payload::Field;
using Brenix::payload::HandedOn;
using Brenix::payload::JsonType;
using Brenix::payload::Written;

// Decimal ids separated by ',' (empty parts allowed), each at most 2147483647.
std::string idListPattern() {
  const std::string id =
      "0*([0-9]{1,9}|1[0-9]{9}|20[0-9]{8}|21[0-3][0-9]{7}|214[0-6][0-9]{6}|2147[0-3][0-9]{5}|21474[0-7][0-9]{"
      "4}|"
      "214748[0-2][0-9]{3}|2147483[0-5][0-9]{2}|21474836[0-3][0-9]|214748364[0-7])";
  return "^,*(" + id + "(,+" + id + ")*,*)?$";
}
// Signed ids in decimal joined by ','.
constexpr char kAnswerIdListPattern[] = "^(-?[0-9]+(,-?[0-9]+)*)?$";

Json words(const Brenix::words::WordSet& set, Allocator& allocator) {
  Json list(rapidjson::kArrayType);
  for (size_t i = 0; i < set.count; ++i) list.PushBack(text(set.words[i].text, allocator), allocator);
  return list;
}

Json typed(const char* type, Allocator& allocator) {
  Json schema(rapidjson::kObjectType);
  schema.AddMember("type", Json(type, allocator), allocator);
  return schema;
}

// A schema of one JSON type, with its word set, range (when minimum <= maximum) and pattern where given.
Json scalar(const char* type, Allocator& allocator, const Brenix::words::WordSet& set, int64_t minimum,
            int64_t maximum, const std::string& pattern) {
  Json schema = typed(type, allocator);
  if (set.count != 0) schema.AddMember("enum", words(set, allocator), allocator);
  if (minimum <= maximum) {
    schema.AddMember("minimum", Json(minimum), allocator);
    schema.AddMember("maximum", Json(maximum), allocator);
  }
  if (!pattern.empty()) schema.AddMember("pattern", Json(pattern.c_str(), allocator), allocator);
  return schema;
}

// What the module hands the component, for a reader of the catalogue.
std::string handedOn(const Field& field) {
  if (field.handedOn == HandedOn::NotHandedOn) return "";
  if (field.handedOn == HandedOn::AsUnsigned) return "Handed to the component as VT_UI4.";
  std::string words;
  for (size_t i = 0; i < field.words.count; ++i) {
    words += (i == 0 ? " " : ", ") + utf8(field.words.words[i].text) + " " +
             std::to_string(field.words.words[i].number);
  }
  switch (field.written) {
    case Written::Bool:
      return "Handed to the component as VT_BOOL (VARIANT_TRUE or 0).";
    case Written::BoolAsNumber:
      return "Handed to the component as VT_I4: 1 for true, 0 for false.";
    case Written::Number:
      return "Handed to the component as VT_I4.";
    case Written::NumberAsBool:
      return "Handed to the component as VT_BOOL: 0 as 0, 1 as VARIANT_TRUE.";
    case Written::Text:
      return "Handed to the component as VT_BSTR.";
    case Written::Word:
      return "Handed to the component as VT_I4:" + words + ".";
    case Written::OnAsTrue:
      return "Handed to the component as VT_BOOL: \"on\" as VARIANT_TRUE, any other text as 0.";
    case Written::IdList:
      return "Decimal ids separated by ','; handed to the component as an array of VT_I4.";
  }
  return "";
}

Json fieldSchema(const Field& field, Allocator& allocator) {
  const bool number = field.type == JsonType::Integer || field.type == JsonType::Unsigned;
  Json schema =
      scalar(field.type == JsonType::Boolean ? "boolean"
             : number                        ? "integer"
                                             : "string",
             allocator, field.written == Written::Word ? field.words : Brenix::words::WordSet{nullptr, 0},
             number ? field.minimum : 0, number ? field.maximum : -1,
             field.written == Written::IdList ? idListPattern() : "");
  std::string description = field.note ? utf8(field.note) : "";
  const std::string how = handedOn(field);
  if (!how.empty()) description += (description.empty() ? "" : " ") + how;
  if (!description.empty()) schema.AddMember("description", Json(description.c_str(), allocator), allocator);
  return schema;
}

Json* member(Json& object, const std::string& key) {
  auto found = object.FindMember(key.c_str());
  return found == object.MemberEnd() ? nullptr : &found->value;
}

void require(Json& schema, const std::string& key, Allocator& allocator) {
  if (!schema.HasMember("required")) schema.AddMember("required", Json(rapidjson::kArrayType), allocator);
  schema["required"].PushBack(Json(key.c_str(), allocator), allocator);
}

Json objectSchema(Allocator& allocator) {
  Json schema = typed("object", allocator);
  schema.AddMember("properties", Json(rapidjson::kObjectType), allocator);
  return schema;
}

}  // namespace

std::string utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? static_cast<size_t>(size) : 1, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

Json text(const wchar_t* value, Allocator& allocator) { return Json(utf8(value).c_str(), allocator); }

Json payloadSchema(const Brenix::payload::RequestPayload* payload, Allocator& allocator) {
  Json schema(rapidjson::kObjectType);
  schema.AddMember("$schema", Json(rapidjson::StringRef(kSchemaDialect)), allocator);
  if (payload == nullptr) {
    schema.AddMember("$comment", "The module does not read this request's payload.", allocator);
    return schema;
  }
  Json object = objectSchema(allocator);
  for (size_t i = 0; i < payload->count; ++i) {
    const Field& field = *payload->fields[i];
    Json* into = &object;
    if (field.container != nullptr) {
      const std::string container = utf8(field.container);
      if (member(object["properties"], container) == nullptr) {
        Json nested = objectSchema(allocator);
        // A string holding the object's JSON is read like the object; a schema
        // cannot look inside the string.
        nested["type"].SetArray().PushBack("object", allocator).PushBack("string", allocator);
        nested.AddMember("$comment", "May also be a string holding this object's JSON text.", allocator);
        object["properties"].AddMember(Json(container.c_str(), allocator), nested, allocator);
        require(object, container, allocator);
      }
      into = member(object["properties"], container);
    }
    const std::string key = utf8(field.key);
    (*into)["properties"].AddMember(Json(key.c_str(), allocator), fieldSchema(field, allocator), allocator);
    if (&field != payload->waived) require(*into, key, allocator);
  }
  for (auto property = object.MemberBegin(); property != object.MemberEnd(); ++property) {
    schema.AddMember(property->name, property->value, allocator);
  }
  if (payload->waived != nullptr) {
    // The waived value is required unless the waiving value holds its word.
    Json needed(rapidjson::kObjectType);
    Json list(rapidjson::kArrayType);
    list.PushBack(text(payload->waived->key, allocator), allocator);
    needed.AddMember("required", list, allocator);
    Json word(rapidjson::kArrayType);
    word.PushBack(text(payload->waivingWord, allocator), allocator);
    Json waiving(rapidjson::kObjectType);
    waiving.AddMember("enum", word, allocator);
    Json properties(rapidjson::kObjectType);
    properties.AddMember(text(payload->waivedBy->key, allocator), waiving, allocator);
    Json waived(rapidjson::kObjectType);
    waived.AddMember("properties", properties, allocator);
    Json anyOf(rapidjson::kArrayType);
    anyOf.PushBack(needed, allocator).PushBack(waived, allocator);
    schema.AddMember("anyOf", anyOf, allocator);
  }
  return schema;
}

namespace {

Json membersSchema(const Brenix::answer::Member* members, size_t count, Allocator& allocator) {
  using Brenix::answer::Kind;
  Json object = objectSchema(allocator);
  for (size_t i = 0; i < count; ++i) {
    const Brenix::answer::Member& m = members[i];
    const bool number = m.kind == Kind::Integer;
    const char* type = m.kind == Kind::Boolean ? "boolean" : number ? "integer" : "string";
    Json schema =
        m.kind == Kind::Object
            ? membersSchema(m.members, m.memberCount, allocator)
            : scalar(type, allocator, m.kind == Kind::Word ? m.words : Brenix::words::WordSet{nullptr, 0},
                     number ? m.minimum : 0, number ? m.maximum : -1,
                     m.kind == Kind::IdList ? kAnswerIdListPattern : "");
    const std::string key = utf8(m.key);
    object["properties"].AddMember(Json(key.c_str(), allocator), schema, allocator);
    if (!m.optional) require(object, key, allocator);
  }
  return object;
}

}  // namespace

Json answerSchema(const Brenix::answer::Answer& answer, Allocator& allocator) {
  Json schema(rapidjson::kObjectType);
  schema.AddMember("$schema", Json(rapidjson::StringRef(kSchemaDialect)), allocator);
  if (answer.note != nullptr) schema.AddMember("$comment", text(answer.note, allocator), allocator);
  Json object = membersSchema(answer.members, answer.count, allocator);
  // An answer sent with an empty payload text reads as an empty object.
  if (answer.count == 0) object.AddMember("maxProperties", 0, allocator);
  for (auto property = object.MemberBegin(); property != object.MemberEnd(); ++property) {
    schema.AddMember(property->name, property->value, allocator);
  }
  return schema;
}

}  // namespace catalogue
