// A JSON payload read and written by key. Copies of a parser share one
// document; a new parser's root is null until something is parsed or set.
//
// Most operations come as a pair: the std::wstring form forwards to the
// const wchar_t* form. Getters answer false, leaving a scalar output as it
// was, when the key is null, the root is not an object, the key is absent or
// the value has another kind; array outputs are appended to, never cleared.
// Setters replace or add: a member with the key is removed (the last member
// moves into its place) and the new pair is appended; a root that is not an
// object is first replaced by an empty object. Nothing throws on bad JSON;
// memory exhaustion propagates as std::bad_alloc.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "message/JsonDocument.h"

namespace Ledra {

class JSONParser {
 public:
  JSONParser();
  virtual ~JSONParser();
  JSONParser(const JSONParser&) = default;
  JSONParser& operator=(const JSONParser&) = default;

  // Any JSON value may be the root; a failed parse keeps the previous document.
  virtual bool parse(const std::wstring& text);
  virtual bool parse(const wchar_t* text);
  // UTF-16LE, a leading byte-order mark skipped.
  virtual bool parseFile(FILE* file);
  // Compact JSON text.
  virtual std::wstring toString() const;
  // The byte-order mark FF FE, then the compact text as UTF-16LE.
  virtual bool writeFile(FILE* file) const;

  virtual bool getBool(const std::wstring& key, bool& value) const;
  virtual bool getBool(const wchar_t* key, bool& value) const;
  // Copies the text up to its first NUL unit.
  virtual bool getString(const std::wstring& key, std::wstring& value) const;
  virtual bool getString(const wchar_t* key, std::wstring& value) const;
  virtual bool getInt(const std::wstring& key, int32_t& value) const;
  virtual bool getInt(const wchar_t* key, int32_t& value) const;
  virtual bool getInt64(const std::wstring& key, int64_t& value) const;
  virtual bool getInt64(const wchar_t* key, int64_t& value) const;
  virtual bool getUInt(const std::wstring& key, uint32_t& value) const;
  virtual bool getUInt(const wchar_t* key, uint32_t& value) const;
  virtual bool getUInt64(const std::wstring& key, uint64_t& value) const;
  virtual bool getUInt64(const wchar_t* key, uint64_t& value) const;
  // Only a value stored as a floating-point number: 5 fails, 5.0 succeeds.
  virtual bool getDouble(const std::wstring& key, double& value) const;
  virtual bool getDouble(const wchar_t* key, double& value) const;

  // The member must be an array. Without subKey each element must be a string;
  // with one, an object whose member subKey is a string. The first element
  // that does not fit ends the walk with false (earlier ones stay appended).
  virtual bool getStringArray(const std::wstring& key, std::vector<std::wstring>& values,
                              const std::wstring& subKey = std::wstring()) const;
  virtual bool getStringArray(const wchar_t* key, std::vector<std::wstring>& values,
                              const wchar_t* subKey = nullptr) const;
  // Each element, which must be an object, as a compact JSON text rebuilt
  // member by member.
  virtual bool getObjectArray(const std::wstring& key, std::vector<std::wstring>& values) const;
  virtual bool getObjectArray(const wchar_t* key, std::vector<std::wstring>& values) const;
  // As getStringArray, with int32 values.
  virtual bool getIntArray(const std::wstring& key, std::vector<int32_t>& values,
                           const std::wstring& subKey = std::wstring()) const;
  virtual bool getIntArray(const wchar_t* key, std::vector<int32_t>& values,
                           const wchar_t* subKey = nullptr) const;
  // A null value gives an empty text, a string its text, anything else its
  // compact JSON text.
  virtual bool getValueText(const std::wstring& key, std::wstring& value) const;
  virtual bool getValueText(const wchar_t* key, std::wstring& value) const;

  virtual void setBool(const std::wstring& key, bool value);
  virtual void setBool(const wchar_t* key, bool value);
  virtual void setString(const std::wstring& key, const std::wstring& value);
  virtual void setString(const std::wstring& key, const wchar_t* value);
  virtual void setString(const wchar_t* key, const std::wstring& value);
  virtual void setString(const wchar_t* key, const wchar_t* value);
  virtual void setInt(const std::wstring& key, int32_t value);
  virtual void setInt(const wchar_t* key, int32_t value);
  virtual void setInt64(const std::wstring& key, int64_t value);
  virtual void setInt64(const wchar_t* key, int64_t value);
  virtual void setUInt(const std::wstring& key, uint32_t value);
  virtual void setUInt(const wchar_t* key, uint32_t value);
  virtual void setUInt64(const std::wstring& key, uint64_t value);
  virtual void setUInt64(const wchar_t* key, uint64_t value);
  virtual void setDouble(const std::wstring& key, double value);
  virtual void setDouble(const wchar_t* key, double value);
  virtual void setIntArray(const std::wstring& key, const std::vector<int32_t>& values);
  virtual void setIntArray(const wchar_t* key, const std::vector<int32_t>& values);
  virtual void setStringArray(const std::wstring& key, const std::vector<std::wstring>& values);
  virtual void setStringArray(const wchar_t* key, const std::vector<std::wstring>& values);
  // Null entries are skipped.
  virtual void setStringArray(const wchar_t* key, const std::vector<const wchar_t*>& values);
  // Pushes value (or, with a subKey, the object {subKey: value}) onto the
  // array member, which is added empty when absent. A member that is not an
  // array gets nothing.
  virtual void appendString(const std::wstring& key, const std::wstring& value,
                            const std::wstring& subKey = std::wstring());
  virtual void appendString(const wchar_t* key, const wchar_t* value, const wchar_t* subKey = nullptr);
  // Stores the value parsed from json under key; a text that does not parse
  // (or would nest the document deeper than the limit) changes nothing.
  virtual void setJson(const std::wstring& key, const std::wstring& json);
  // Pushes the value parsed from json onto the array member, added empty when absent.
  virtual void appendJson(const std::wstring& key, const std::wstring& json);
  // Removes every member of an object root.
  virtual void clear();
  // True if the root is not an object or has no members.
  virtual bool isEmpty() const;

  // The document's root, for readers that look at values where they lie.
  const json::Value& root() const { return *m_document; }

 private:
  const json::Value* find(const wchar_t* key) const;
  json::Value& objectRoot();
  void put(const wchar_t* key, json::Value& value);
  json::Value* arrayMember(const wchar_t* key);
  template <typename T, typename Check, typename Read>
  bool getScalar(const wchar_t* key, T& value, Check check, Read read) const;
  template <typename T, typename Read>
  bool getArray(const wchar_t* key, std::vector<T>& values, const wchar_t* subKey, Read read) const;

  std::shared_ptr<json::Document> m_document;
};

}  // namespace Ledra
