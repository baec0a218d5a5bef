// The RapidJSON document both JSON codecs sit on, and the few operations they
// share: depth-limited parsing and copying, compact writing, member lookup and
// the replace-or-add step.
//
// Every document a codec holds nests at most kMaxJsonDepth levels of arrays
// and objects. Parsing and copying refuse anything deeper, and setters that
// would nest a value deeper skip. RapidJSON writes and copies values
// recursively, so this bound is what keeps a hostile payload from exhausting a
// thread's stack.
#pragma once

#include <rapidjson/document.h>

#include <cstdio>
#include <memory>
#include <string>

namespace Ledra {
namespace json {

using Encoding = rapidjson::UTF16<wchar_t>;
using Allocator = rapidjson::MemoryPoolAllocator<rapidjson::CrtAllocator>;
using Document = rapidjson::GenericDocument<Encoding, Allocator>;
using Value = rapidjson::GenericValue<Encoding, Allocator>;

// Nesting levels of arrays and objects: "[]" is one, "[[1]]" two, a scalar none.
constexpr unsigned kMaxJsonDepth = 256;

// A fresh document with a null root whose pool starts in a buffer of its own,
// made in one allocation: the short payloads the module reads and writes then
// need no chunk from the heap, and larger ones grow in 64 KiB chunks as usual.
std::shared_ptr<Document> makeDocument();

// Parses text into document (null text: false). A failed parse, or a text
// nesting deeper than maxDepth, leaves the previous root in place.
bool parseText(Document& document, const wchar_t* text, unsigned maxDepth);

// Parses UTF-16LE bytes (an optional FF FE mark first) read from file.
bool parseFile(Document& document, FILE* file, unsigned maxDepth);

// Replaces document's root by a copy of value made in document's allocator,
// every string copied. False, document unchanged, if value nests deeper than
// maxDepth.
bool copyValue(const Value& value, Document& document, unsigned maxDepth);

// Like copyValue, into a value that lives in allocator.
bool copyValueInto(const Value& value, Allocator& allocator, unsigned maxDepth, Value& copy);

// Compact JSON text (RapidJSON Writer defaults).
std::wstring writeCompact(const Value& value);

// Writes FF FE, then the compact text as UTF-16LE.
bool writeFile(const Value& value, FILE* file);

// The first member of an object root whose name matches key unit for unit;
// null when root is not an object or has no such member.
const Value* findMember(const Value& root, const wchar_t* key, size_t keyLength);
Value* findMember(Value& root, const wchar_t* key, size_t keyLength);

// Makes root an empty object unless it is an object already.
void ensureObject(Value& root);

// Removes the member named like name (the last member moves into its place)
// and appends the pair. Both values are taken over; root must be an object.
void replaceOrAdd(Value& root, Value& name, Value& value, Allocator& allocator);

}  // namespace json
}  // namespace Ledra
