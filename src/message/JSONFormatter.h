// A JSON object read and written by key, owning its document. Copies are deep.
//
// Getters answer false, leaving a scalar output as it was, when the root is
// not an object, the key is absent or the value has another kind; the array
// getters treat an absent key as an empty array. Setters copy the key and
// every string into the document and end in setValue (replace or add). Nothing
// throws on bad JSON; memory exhaustion propagates as std::bad_alloc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "message/JsonDocument.h"

namespace Ledra {

class JSONFormatter {
 public:
  // The root is an empty object.
  JSONFormatter();
  // Deep-copies value; a value nesting deeper than the document limit leaves
  // the root an empty object.
  explicit JSONFormatter(const json::Value& value);
  JSONFormatter(const JSONFormatter& other);
  JSONFormatter& operator=(const JSONFormatter& other);
  virtual ~JSONFormatter();

  // True only if the text parsed and its root is an object.
  virtual bool fromString(const std::wstring& text);
  virtual std::wstring toString() const;
  // Copies the whole stored text, NUL units included.
  virtual bool getString(const std::wstring& key, std::wstring& value) const;
  virtual bool getBool(const std::wstring& key, bool& value) const;
  virtual bool getInt(const std::wstring& key, int32_t& value) const;
  virtual bool getUInt(const std::wstring& key, uint32_t& value) const;
  virtual bool getInt64(const std::wstring& key, int64_t& value) const;
  virtual bool getUInt64(const std::wstring& key, uint64_t& value) const;
  virtual bool getDouble(const std::wstring& key, double& value) const;
  // Absent key: true, nothing added. Not an array, or an element that is not a
  // string: false (elements before it stay appended).
  virtual bool getStringArray(const std::wstring& key, std::vector<std::wstring>& values) const;
  // The value must be an object; target's document becomes a deep copy of it.
  virtual bool getObject(const std::wstring& key, JSONFormatter& target) const;
  // Absent key: true. Each element must be an object and is appended as a
  // formatter holding a deep copy.
  virtual bool getObjectArray(const std::wstring& key, std::vector<JSONFormatter>& values) const;
  virtual void setString(const std::wstring& key, const std::wstring& value);
  virtual void setBool(const std::wstring& key, bool value);
  virtual void setInt(const std::wstring& key, int32_t value);
  virtual void setUInt(const std::wstring& key, uint32_t value);
  virtual void setInt64(const std::wstring& key, int64_t value);
  virtual void setUInt64(const std::wstring& key, uint64_t value);
  virtual void setDouble(const std::wstring& key, double value);
  virtual void setStringArray(const std::wstring& key, const std::vector<std::wstring>& values);
  // Pushes value onto the array member, added empty when absent; a member
  // that is not an array gets nothing.
  virtual void appendString(const std::wstring& key, const std::wstring& value);
  // The setters below skip a value that would nest the document deeper than
  // the limit.
  virtual void setObject(const std::wstring& key, const JSONFormatter& value);
  virtual void setObjectArray(const std::wstring& key, const std::vector<JSONFormatter>& values);
  virtual void appendObject(const std::wstring& key, const JSONFormatter& value);
  // Removes the member named like name (the last member moves into its
  // place) and appends the pair; both values must live in this document's
  // allocator and are taken over. A root that is not an object becomes one.
  virtual void setValue(json::Value& name, json::Value& value);

 private:
  const json::Value* find(const std::wstring& key) const;
  json::Value makeString(const std::wstring& text);
  void put(const std::wstring& key, json::Value& value);
  json::Value* arrayMember(const std::wstring& key);

  json::Document m_document;
};

}  // namespace Ledra
