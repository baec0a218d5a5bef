// JSON payloads read and written by key over a shared RapidJSON document.
#include "message/JSONParser.h"

#include <cwchar>
#include <utility>

namespace Ledra {

using json::Value;

namespace {

bool hasSubKey(const wchar_t* subKey) { return subKey != nullptr && subKey[0] != L'\0'; }

// A string value whose units are copied into the allocator.
Value makeString(const wchar_t* text, json::Allocator& allocator) {
  return Value(text, static_cast<rapidjson::SizeType>(std::wcslen(text)), allocator);
}

// Parses text into a value living in allocator; false if it does not parse or
// nests deeper than maxDepth.
bool parseValue(const wchar_t* text, json::Allocator& allocator, unsigned maxDepth, Value& value) {
  json::Document scratch(&allocator);
  if (!json::parseText(scratch, text, maxDepth)) {
    return false;
  }
  value = static_cast<Value&>(scratch);
  return true;
}

}  // namespace

JSONParser::JSONParser() : m_document(json::makeDocument()) {}

JSONParser::~JSONParser() = default;

bool JSONParser::parse(const std::wstring& text) { return parse(text.c_str()); }

bool JSONParser::parse(const wchar_t* text) {
  return json::parseText(*m_document, text, json::kMaxJsonDepth);
}

bool JSONParser::parseFile(FILE* file) { return json::parseFile(*m_document, file, json::kMaxJsonDepth); }

std::wstring JSONParser::toString() const { return json::writeCompact(*m_document); }

bool JSONParser::writeFile(FILE* file) const { return json::writeFile(*m_document, file); }

const Value* JSONParser::find(const wchar_t* key) const {
  return key == nullptr ? nullptr : json::findMember(*m_document, key, std::wcslen(key));
}

template <typename T, typename Check, typename Read>
bool JSONParser::getScalar(const wchar_t* key, T& value, Check check, Read read) const {
  const Value* member = find(key);
  if (member == nullptr || !check(*member)) {
    return false;
  }
  value = read(*member);
  return true;
}

bool JSONParser::getBool(const std::wstring& key, bool& value) const { return getBool(key.c_str(), value); }

bool JSONParser::getBool(const wchar_t* key, bool& value) const {
  return getScalar(
      key, value, [](const Value& v) { return v.IsBool(); }, [](const Value& v) { return v.GetBool(); });
}

bool JSONParser::getString(const std::wstring& key, std::wstring& value) const {
  return getString(key.c_str(), value);
}

bool JSONParser::getString(const wchar_t* key, std::wstring& value) const {
  return getScalar(
      key, value, [](const Value& v) { return v.IsString(); },
      [](const Value& v) { return std::wstring(v.GetString()); });
}

bool JSONParser::getInt(const std::wstring& key, int32_t& value) const { return getInt(key.c_str(), value); }

bool JSONParser::getInt(const wchar_t* key, int32_t& value) const {
  return getScalar(
      key, value, [](const Value& v) { return v.IsInt(); }, [](const Value& v) { return v.GetInt(); });
}

bool JSONParser::getInt64(const std::wstring& key, int64_t& value) const {
  return getInt64(key.c_str(), value);
}

bool JSONParser::getInt64(const wchar_t* key, int64_t& value) const {
  return getScalar(
      key, value, [](const Value& v) { return v.IsInt64(); }, [](const Value& v) { return v.GetInt64(); });
}

bool JSONParser::getUInt(const std::wstring& key, uint32_t& value) const {
  return getUInt(key.c_str(), value);
}

bool JSONParser::getUInt(const wchar_t* key, uint32_t& value) const {
  return getScalar(
      key, value, [](const Value& v) { return v.IsUint(); }, [](const Value& v) { return v.GetUint(); });
}

bool JSONParser::getUInt64(const std::wstring& key, uint64_t& value) const {
  return getUInt64(key.c_str(), value);
}

bool JSONParser::getUInt64(const wchar_t* key, uint64_t& value) const {
  return getScalar(
      key, value, [](const Value& v) { return v.IsUint64(); }, [](const Value& v) { return v.GetUint64(); });
}

bool JSONParser::getDouble(const std::wstring& key, double& value) const {
  return getDouble(key.c_str(), value);
}

bool JSONParser::getDouble(const wchar_t* key, double& value) const {
  return getScalar(
      key, value, [](const Value& v) { return v.IsDouble(); }, [](const Value& v) { return v.GetDouble(); });
}

template <typename T, typename Read>
bool JSONParser::getArray(const wchar_t* key, std::vector<T>& values, const wchar_t* subKey,
                          Read read) const {
  const Value* member = find(key);
  if (member == nullptr || !member->IsArray()) {
    return false;
  }
  const bool nested = hasSubKey(subKey);
  const size_t subKeyLength = nested ? std::wcslen(subKey) : 0;
  for (const Value& element : member->GetArray()) {
    const Value* item = nested ? json::findMember(element, subKey, subKeyLength) : &element;
    if (item == nullptr || !read(*item, values)) {
      return false;
    }
  }
  return true;
}

bool JSONParser::getStringArray(const std::wstring& key, std::vector<std::wstring>& values,
                                const std::wstring& subKey) const {
  return getStringArray(key.c_str(), values, subKey.c_str());
}

bool JSONParser::getStringArray(const wchar_t* key, std::vector<std::wstring>& values,
                                const wchar_t* subKey) const {
  return getArray(key, values, subKey, [](const Value& item, std::vector<std::wstring>& out) {
    if (!item.IsString()) {
      return false;
    }
    out.emplace_back(item.GetString(), item.GetStringLength());
    return true;
  });
}

bool JSONParser::getObjectArray(const std::wstring& key, std::vector<std::wstring>& values) const {
  return getObjectArray(key.c_str(), values);
}

bool JSONParser::getObjectArray(const wchar_t* key, std::vector<std::wstring>& values) const {
  const Value* member = find(key);
  if (member == nullptr || !member->IsArray()) {
    return false;
  }
  for (const Value& element : member->GetArray()) {
    if (!element.IsObject()) {
      return false;
    }
  }
  for (const Value& element : member->GetArray()) {
    // Rebuilt in a fresh parser, so an empty element reads as that parser's
    // untouched null root.
    JSONParser rebuilt;
    for (const auto& field : element.GetObject()) {
      if (field.value.IsString()) {
        rebuilt.setString(field.name.GetString(), field.value.GetString());
      } else {
        rebuilt.setJson(field.name.GetString(), json::writeCompact(field.value));
      }
    }
    values.push_back(rebuilt.toString());
  }
  return true;
}

bool JSONParser::getIntArray(const std::wstring& key, std::vector<int32_t>& values,
                             const std::wstring& subKey) const {
  return getIntArray(key.c_str(), values, subKey.c_str());
}

bool JSONParser::getIntArray(const wchar_t* key, std::vector<int32_t>& values, const wchar_t* subKey) const {
  return getArray(key, values, subKey, [](const Value& item, std::vector<int32_t>& out) {
    if (!item.IsInt()) {
      return false;
    }
    out.push_back(item.GetInt());
    return true;
  });
}

bool JSONParser::getValueText(const std::wstring& key, std::wstring& value) const {
  return getValueText(key.c_str(), value);
}

bool JSONParser::getValueText(const wchar_t* key, std::wstring& value) const {
  const Value* member = find(key);
  if (member == nullptr) {
    return false;
  }
  if (member->IsNull()) {
    value.clear();
  } else if (member->IsString()) {
    value.assign(member->GetString(), member->GetStringLength());
  } else {
    value = json::writeCompact(*member);
  }
  return true;
}

Value& JSONParser::objectRoot() {
  json::ensureObject(*m_document);
  return *m_document;
}

void JSONParser::put(const wchar_t* key, Value& value) {
  if (key == nullptr) {
    return;
  }
  json::Allocator& allocator = m_document->GetAllocator();
  Value name = makeString(key, allocator);
  json::replaceOrAdd(objectRoot(), name, value, allocator);
}

void JSONParser::setBool(const std::wstring& key, bool value) { setBool(key.c_str(), value); }

void JSONParser::setBool(const wchar_t* key, bool value) {
  Value v(value);
  put(key, v);
}

void JSONParser::setString(const std::wstring& key, const std::wstring& value) {
  setString(key.c_str(), value.c_str());
}

void JSONParser::setString(const std::wstring& key, const wchar_t* value) { setString(key.c_str(), value); }

void JSONParser::setString(const wchar_t* key, const std::wstring& value) { setString(key, value.c_str()); }

void JSONParser::setString(const wchar_t* key, const wchar_t* value) {
  if (key == nullptr || value == nullptr) {
    return;
  }
  Value v = makeString(value, m_document->GetAllocator());
  put(key, v);
}

void JSONParser::setInt(const std::wstring& key, int32_t value) { setInt(key.c_str(), value); }

void JSONParser::setInt(const wchar_t* key, int32_t value) {
  Value v(value);
  put(key, v);
}

void JSONParser::setInt64(const std::wstring& key, int64_t value) { setInt64(key.c_str(), value); }

void JSONParser::setInt64(const wchar_t* key, int64_t value) {
  Value v(value);
  put(key, v);
}

void JSONParser::setUInt(const std::wstring& key, uint32_t value) { setUInt(key.c_str(), value); }

void JSONParser::setUInt(const wchar_t* key, uint32_t value) {
  Value v(value);
  put(key, v);
}

void JSONParser::setUInt64(const std::wstring& key, uint64_t value) { setUInt64(key.c_str(), value); }

void JSONParser::setUInt64(const wchar_t* key, uint64_t value) {
  Value v(value);
  put(key, v);
}

void JSONParser::setDouble(const std::wstring& key, double value) { setDouble(key.c_str(), value); }

void JSONParser::setDouble(const wchar_t* key, double value) {
  Value v(value);
  put(key, v);
}

void JSONParser::setIntArray(const std::wstring& key, const std::vector<int32_t>& values) {
  setIntArray(key.c_str(), values);
}

void JSONParser::setIntArray(const wchar_t* key, const std::vector<int32_t>& values) {
  if (key == nullptr) {
    return;
  }
  json::Allocator& allocator = m_document->GetAllocator();
  Value array(rapidjson::kArrayType);
  for (int32_t value : values) {
    array.PushBack(Value(value), allocator);
  }
  put(key, array);
}

void JSONParser::setStringArray(const std::wstring& key, const std::vector<std::wstring>& values) {
  setStringArray(key.c_str(), values);
}

void JSONParser::setStringArray(const wchar_t* key, const std::vector<std::wstring>& values) {
  std::vector<const wchar_t*> texts;
  texts.reserve(values.size());
  for (const std::wstring& value : values) {
    texts.push_back(value.c_str());
  }
  setStringArray(key, texts);
}

void JSONParser::setStringArray(const wchar_t* key, const std::vector<const wchar_t*>& values) {
  if (key == nullptr) {
    return;
  }
  json::Allocator& allocator = m_document->GetAllocator();
  Value array(rapidjson::kArrayType);
  for (const wchar_t* value : values) {
    if (value != nullptr) {
      array.PushBack(makeString(value, allocator), allocator);
    }
  }
  put(key, array);
}

Value* JSONParser::arrayMember(const wchar_t* key) {
  Value* member = json::findMember(objectRoot(), key, std::wcslen(key));
  if (member == nullptr) {
    Value empty(rapidjson::kArrayType);
    put(key, empty);
    member = json::findMember(*m_document, key, std::wcslen(key));
  }
  return member != nullptr && member->IsArray() ? member : nullptr;
}

void JSONParser::appendString(const std::wstring& key, const std::wstring& value,
                              const std::wstring& subKey) {
  appendString(key.c_str(), value.c_str(), subKey.c_str());
}

void JSONParser::appendString(const wchar_t* key, const wchar_t* value, const wchar_t* subKey) {
  if (key == nullptr || value == nullptr) {
    return;
  }
  Value* array = arrayMember(key);
  if (array == nullptr) {
    return;
  }
  json::Allocator& allocator = m_document->GetAllocator();
  Value text = makeString(value, allocator);
  if (!hasSubKey(subKey)) {
    array->PushBack(text, allocator);
    return;
  }
  Value entry(rapidjson::kObjectType);
  entry.AddMember(makeString(subKey, allocator), text, allocator);
  array->PushBack(entry, allocator);
}

void JSONParser::setJson(const std::wstring& key, const std::wstring& json) {
  // The value sits one level below the root object.
  Value value;
  if (parseValue(json.c_str(), m_document->GetAllocator(), json::kMaxJsonDepth - 1, value)) {
    put(key.c_str(), value);
  }
}

void JSONParser::appendJson(const std::wstring& key, const std::wstring& json) {
  // The value sits two levels below the root object: in the array member.
  Value value;
  if (!parseValue(json.c_str(), m_document->GetAllocator(), json::kMaxJsonDepth - 2, value)) {
    return;
  }
  Value* array = arrayMember(key.c_str());
  if (array != nullptr) {
    array->PushBack(value, m_document->GetAllocator());
  }
}

void JSONParser::clear() {
  if (m_document->IsObject()) {
    m_document->RemoveAllMembers();
  }
}

bool JSONParser::isEmpty() const { return !m_document->IsObject() || m_document->MemberCount() == 0; }

}  // namespace Ledra
