// JSON objects read and written by key, each owning its document.
#include "message/JSONFormatter.h"

#include <utility>

namespace Ledra {

using json::Value;

JSONFormatter::JSONFormatter() : m_document(rapidjson::kObjectType) {}

JSONFormatter::JSONFormatter(const Value& value) : m_document(rapidjson::kObjectType) {
  json::copyValue(value, m_document, json::kMaxJsonDepth);
}

JSONFormatter::JSONFormatter(const JSONFormatter& other) : m_document(rapidjson::kObjectType) {
  json::copyValue(other.m_document, m_document, json::kMaxJsonDepth);
}

JSONFormatter& JSONFormatter::operator=(const JSONFormatter& other) {
  if (this != &other) {
    // A fresh document, so repeated assignments do not pile up in one pool.
    json::Document copy(rapidjson::kObjectType);
    json::copyValue(other.m_document, copy, json::kMaxJsonDepth);
    m_document.Swap(copy);
  }
  return *this;
}

JSONFormatter::~JSONFormatter() = default;

bool JSONFormatter::fromString(const std::wstring& text) {
  return json::parseText(m_document, text.c_str(), json::kMaxJsonDepth) && m_document.IsObject();
}

std::wstring JSONFormatter::toString() const { return json::writeCompact(m_document); }

const Value* JSONFormatter::find(const std::wstring& key) const {
  return json::findMember(m_document, key.data(), key.size());
}

namespace {

template <typename T, typename Check, typename Read>
bool readScalar(const Value* member, T& value, Check check, Read read) {
  if (member == nullptr || !check(*member)) {
    return false;
  }
  value = read(*member);
  return true;
}

}  // namespace

bool JSONFormatter::getString(const std::wstring& key, std::wstring& value) const {
  return readScalar(
      find(key), value, [](const Value& v) { return v.IsString(); },
      [](const Value& v) { return std::wstring(v.GetString(), v.GetStringLength()); });
}

bool JSONFormatter::getBool(const std::wstring& key, bool& value) const {
  return readScalar(
      find(key), value, [](const Value& v) { return v.IsBool(); },
      [](const Value& v) { return v.GetBool(); });
}

bool JSONFormatter::getInt(const std::wstring& key, int32_t& value) const {
  return readScalar(
      find(key), value, [](const Value& v) { return v.IsInt(); }, [](const Value& v) { return v.GetInt(); });
}

bool JSONFormatter::getUInt(const std::wstring& key, uint32_t& value) const {
  return readScalar(
      find(key), value, [](const Value& v) { return v.IsUint(); },
      [](const Value& v) { return v.GetUint(); });
}

bool JSONFormatter::getInt64(const std::wstring& key, int64_t& value) const {
  return readScalar(
      find(key), value, [](const Value& v) { return v.IsInt64(); },
      [](const Value& v) { return v.GetInt64(); });
}

bool JSONFormatter::getUInt64(const std::wstring& key, uint64_t& value) const {
  return readScalar(
      find(key), value, [](const Value& v) { return v.IsUint64(); },
      [](const Value& v) { return v.GetUint64(); });
}

bool JSONFormatter::getDouble(const std::wstring& key, double& value) const {
  return readScalar(
      find(key), value, [](const Value& v) { return v.IsDouble(); },
      [](const Value& v) { return v.GetDouble(); });
}

bool JSONFormatter::getStringArray(const std::wstring& key, std::vector<std::wstring>& values) const {
  if (!m_document.IsObject()) {
    return false;
  }
  const Value* member = find(key);
  if (member == nullptr) {
    return true;
  }
  if (!member->IsArray()) {
    return false;
  }
  for (const Value& element : member->GetArray()) {
    if (!element.IsString()) {
      return false;
    }
    values.emplace_back(element.GetString(), element.GetStringLength());
  }
  return true;
}

bool JSONFormatter::getObject(const std::wstring& key, JSONFormatter& target) const {
  const Value* member = find(key);
  if (member == nullptr || !member->IsObject()) {
    return false;
  }
  json::Document copy(rapidjson::kObjectType);
  json::copyValue(*member, copy, json::kMaxJsonDepth);
  target.m_document.Swap(copy);
  return true;
}

bool JSONFormatter::getObjectArray(const std::wstring& key, std::vector<JSONFormatter>& values) const {
  if (!m_document.IsObject()) {
    return false;
  }
  const Value* member = find(key);
  if (member == nullptr) {
    return true;
  }
  if (!member->IsArray()) {
    return false;
  }
  for (const Value& element : member->GetArray()) {
    if (!element.IsObject()) {
      return false;
    }
    values.emplace_back(element);
  }
  return true;
}

Value JSONFormatter::makeString(const std::wstring& text) {
  return Value(text.data(), static_cast<rapidjson::SizeType>(text.size()), m_document.GetAllocator());
}

void JSONFormatter::put(const std::wstring& key, Value& value) {
  Value name = makeString(key);
  setValue(name, value);
}

void JSONFormatter::setString(const std::wstring& key, const std::wstring& value) {
  Value v = makeString(value);
  put(key, v);
}

void JSONFormatter::setBool(const std::wstring& key, bool value) {
  Value v(value);
  put(key, v);
}

void JSONFormatter::setInt(const std::wstring& key, int32_t value) {
  Value v(value);
  put(key, v);
}

void JSONFormatter::setUInt(const std::wstring& key, uint32_t value) {
  Value v(value);
  put(key, v);
}

void JSONFormatter::setInt64(const std::wstring& key, int64_t value) {
  Value v(value);
  put(key, v);
}

void JSONFormatter::setUInt64(const std::wstring& key, uint64_t value) {
  Value v(value);
  put(key, v);
}

void JSONFormatter::setDouble(const std::wstring& key, double value) {
  Value v(value);
  put(key, v);
}

void JSONFormatter::setStringArray(const std::wstring& key, const std::vector<std::wstring>& values) {
  Value array(rapidjson::kArrayType);
  for (const std::wstring& value : values) {
    array.PushBack(makeString(value), m_document.GetAllocator());
  }
  put(key, array);
}

Value* JSONFormatter::arrayMember(const std::wstring& key) {
  json::ensureObject(m_document);
  Value* member = json::findMember(m_document, key.data(), key.size());
  if (member == nullptr) {
    Value empty(rapidjson::kArrayType);
    put(key, empty);
    member = json::findMember(m_document, key.data(), key.size());
  }
  return member != nullptr && member->IsArray() ? member : nullptr;
}

void JSONFormatter::appendString(const std::wstring& key, const std::wstring& value) {
  Value* array = arrayMember(key);
  if (array != nullptr) {
    array->PushBack(makeString(value), m_document.GetAllocator());
  }
}

void JSONFormatter::setObject(const std::wstring& key, const JSONFormatter& value) {
  // The copy sits one level below the root object.
  Value copy;
  if (json::copyValueInto(value.m_document, m_document.GetAllocator(), json::kMaxJsonDepth - 1, copy)) {
    put(key, copy);
  }
}

void JSONFormatter::setObjectArray(const std::wstring& key, const std::vector<JSONFormatter>& values) {
  // The copies sit two levels below the root object.
  json::Allocator& allocator = m_document.GetAllocator();
  Value array(rapidjson::kArrayType);
  for (const JSONFormatter& value : values) {
    Value copy;
    if (!json::copyValueInto(value.m_document, allocator, json::kMaxJsonDepth - 2, copy)) {
      return;
    }
    array.PushBack(copy, allocator);
  }
  put(key, array);
}

void JSONFormatter::appendObject(const std::wstring& key, const JSONFormatter& value) {
  Value copy;
  if (!json::copyValueInto(value.m_document, m_document.GetAllocator(), json::kMaxJsonDepth - 2, copy)) {
    return;
  }
  Value* array = arrayMember(key);
  if (array != nullptr) {
    array->PushBack(copy, m_document.GetAllocator());
  }
}

void JSONFormatter::setValue(Value& name, Value& value) {
  if (!name.IsString()) {
    return;
  }
  json::ensureObject(m_document);
  json::replaceOrAdd(m_document, name, value, m_document.GetAllocator());
}

}  // namespace Ledra
