// Depth-limited parsing and copying, compact writing and member handling for
// the JSON codecs.
#include "message/JsonDocument.h"

#include <rapidjson/encodedstream.h>
#include <rapidjson/filereadstream.h>
#include <rapidjson/filewritestream.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstddef>
#include <cwchar>

namespace Ledra {
namespace json {

namespace {

constexpr size_t kFileBufferSize = 256;
// Enough for every request and answer payload of the module.
constexpr size_t kFirstChunkSize = 1024;
// The reader keeps the text of the string it is reading on a stack of its own;
// it starts in a buffer on the parsing frame and grows into the heap only for
// long strings.
constexpr size_t kReaderStackBuffer = 512;
constexpr size_t kReaderStackCapacity = 256;

// The document, its pool and the pool's first chunk, side by side.
struct PooledDocument {
  PooledDocument() : allocator(firstChunk, sizeof(firstChunk)), document(&allocator) {}
  PooledDocument(const PooledDocument&) = delete;
  PooledDocument& operator=(const PooledDocument&) = delete;

  alignas(alignof(std::max_align_t)) char firstChunk[kFirstChunkSize];
  Allocator allocator;
  Document document;
};
constexpr unsigned kParseFlags = rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag;

// Forwards SAX events to a document, refusing (which ends the parse or the
// copy) the first array or object that would nest deeper than the limit.
// Strings are always copied into the document's allocator, so a copy never
// points into memory it does not own.
class DepthLimitedHandler {
 public:
  using Ch = wchar_t;

  DepthLimitedHandler(Document& target, unsigned maxDepth) : m_target(target), m_maxDepth(maxDepth) {}

  bool Null() { return m_target.Null(); }
  bool Bool(bool b) { return m_target.Bool(b); }
  bool Int(int i) { return m_target.Int(i); }
  bool Uint(unsigned u) { return m_target.Uint(u); }
  bool Int64(int64_t i) { return m_target.Int64(i); }
  bool Uint64(uint64_t u) { return m_target.Uint64(u); }
  bool Double(double d) { return m_target.Double(d); }
  bool RawNumber(const Ch* text, rapidjson::SizeType length, bool) {
    return m_target.RawNumber(text, length, true);
  }
  bool String(const Ch* text, rapidjson::SizeType length, bool) {
    return m_target.String(text, length, true);
  }
  bool Key(const Ch* text, rapidjson::SizeType length, bool) { return m_target.Key(text, length, true); }
  bool StartObject() { return enter() && m_target.StartObject(); }
  bool EndObject(rapidjson::SizeType count) {
    --m_depth;
    return m_target.EndObject(count);
  }
  bool StartArray() { return enter() && m_target.StartArray(); }
  bool EndArray(rapidjson::SizeType count) {
    --m_depth;
    return m_target.EndArray(count);
  }

 private:
  bool enter() { return ++m_depth <= m_maxDepth; }

  Document& m_target;
  unsigned m_maxDepth;
  unsigned m_depth = 0;
};

// Runs a SAX source into document through the depth limit. The root is
// replaced only when the source finished without refusal.
template <typename Source>
bool populate(Document& document, unsigned maxDepth, Source&& source) {
  bool succeeded = false;
  auto generator = [&](Document& target) {
    DepthLimitedHandler handler(target, maxDepth);
    succeeded = source(handler);
    return succeeded;
  };
  document.Populate(generator);
  return succeeded;
}

}  // namespace

std::shared_ptr<Document> makeDocument() {
  auto pooled = std::make_shared<PooledDocument>();
  return std::shared_ptr<Document>(pooled, &pooled->document);
}

bool parseText(Document& document, const wchar_t* text, unsigned maxDepth) {
  if (text == nullptr) {
    return false;
  }
  return populate(document, maxDepth, [text](DepthLimitedHandler& handler) {
    rapidjson::GenericStringStream<Encoding> stream(text);
    alignas(alignof(std::max_align_t)) char stackBuffer[kReaderStackBuffer];
    Allocator readerStack(stackBuffer, sizeof(stackBuffer));
    rapidjson::GenericReader<Encoding, Encoding, Allocator> reader(&readerStack, kReaderStackCapacity);
    return !reader.Parse<kParseFlags>(stream, handler).IsError();
  });
}

bool parseFile(Document& document, FILE* file, unsigned maxDepth) {
  if (file == nullptr) {
    return false;
  }
  return populate(document, maxDepth, [file](DepthLimitedHandler& handler) {
    char buffer[kFileBufferSize];
    rapidjson::FileReadStream bytes(file, buffer, sizeof(buffer));
    // Takes the units little-endian and skips a leading FF FE.
    rapidjson::EncodedInputStream<rapidjson::UTF16LE<wchar_t>, rapidjson::FileReadStream> units(bytes);
    rapidjson::GenericReader<Encoding, Encoding, rapidjson::CrtAllocator> reader;
    return !reader.Parse<kParseFlags>(units, handler).IsError();
  });
}

bool copyValue(const Value& value, Document& document, unsigned maxDepth) {
  return populate(document, maxDepth,
                  [&value](DepthLimitedHandler& handler) { return value.Accept(handler); });
}

bool copyValueInto(const Value& value, Allocator& allocator, unsigned maxDepth, Value& copy) {
  Document scratch(&allocator);
  if (!copyValue(value, scratch, maxDepth)) {
    return false;
  }
  copy = static_cast<Value&>(scratch);  // takes the copy over; it lives in allocator
  return true;
}

std::wstring writeCompact(const Value& value) {
  rapidjson::GenericStringBuffer<Encoding> buffer;
  rapidjson::Writer<rapidjson::GenericStringBuffer<Encoding>, Encoding, Encoding> writer(buffer);
  value.Accept(writer);
  return std::wstring(buffer.GetString(), buffer.GetSize() / sizeof(wchar_t));
}

bool writeFile(const Value& value, FILE* file) {
  if (file == nullptr) {
    return false;
  }
  char buffer[kFileBufferSize];
  rapidjson::FileWriteStream bytes(file, buffer, sizeof(buffer));
  using Units = rapidjson::EncodedOutputStream<rapidjson::UTF16LE<wchar_t>, rapidjson::FileWriteStream>;
  Units units(bytes, true);  // FF FE first
  rapidjson::Writer<Units, Encoding, Encoding> writer(units);
  const bool written = value.Accept(writer);
  units.Flush();
  return written && std::ferror(file) == 0;
}

const Value* findMember(const Value& root, const wchar_t* key, size_t keyLength) {
  if (key == nullptr || !root.IsObject()) {
    return nullptr;
  }
  for (auto member = root.MemberBegin(); member != root.MemberEnd(); ++member) {
    const Value& name = member->name;
    if (name.GetStringLength() == keyLength &&
        (keyLength == 0 || std::wmemcmp(name.GetString(), key, keyLength) == 0)) {
      return &member->value;
    }
  }
  return nullptr;
}

Value* findMember(Value& root, const wchar_t* key, size_t keyLength) {
  return const_cast<Value*>(findMember(static_cast<const Value&>(root), key, keyLength));
}

void ensureObject(Value& root) {
  if (!root.IsObject()) {
    root.SetObject();
  }
}

void replaceOrAdd(Value& root, Value& name, Value& value, Allocator& allocator) {
  const size_t length = name.GetStringLength();
  for (auto member = root.MemberBegin(); member != root.MemberEnd(); ++member) {
    if (member->name.GetStringLength() == length &&
        (length == 0 || std::wmemcmp(member->name.GetString(), name.GetString(), length) == 0)) {
      root.RemoveMember(member);  // the last member moves into this place
      break;
    }
  }
  root.AddMember(name, value, allocator);
}

}  // namespace json
}  // namespace Ledra
