#include "Logging/EtwEvent.h"

#include <cwchar>

namespace ETWLogging {
namespace {

void putU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t value) {
  putU16(out, static_cast<uint16_t>(value));
  putU16(out, static_cast<uint16_t>(value >> 16));
}

void putU64(std::vector<uint8_t>& out, uint64_t value) {
  putU32(out, static_cast<uint32_t>(value));
  putU32(out, static_cast<uint32_t>(value >> 32));
}

// A 16-bit character count, then the UTF-16 characters without terminator.
void putText(std::vector<uint8_t>& out, const wchar_t* text) {
  size_t length = text != nullptr ? std::wcslen(text) : 0;
  if (length > 0xFFFF) length = 0xFFFF;
  putU16(out, static_cast<uint16_t>(length));
  for (size_t i = 0; i < length; ++i) putU16(out, static_cast<uint16_t>(text[i]));
}

std::string toUtf8(const wchar_t* text, size_t length) {
  if (length == 0) return std::string();
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string utf8(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace

UCHAR eventLevel(uint32_t severity) noexcept {
  if (severity == 6) return 3;
  if (severity < 1 || severity > 5) return 3;
  return static_cast<UCHAR>(severity);
}

void buildEtwEvent(EtwEvent& event, uint32_t severity, const EventIdentity& identity, uint32_t threadId,
                   const wchar_t* file, const wchar_t* function, int line, const wchar_t* message) {
  event.record.clear();
  putU32(event.record, identity.processValue);
  putU32(event.record, threadId);
  putText(event.record, identity.texts[0]);
  putText(event.record, file);
  putText(event.record, function);
  putU32(event.record, static_cast<uint32_t>(line));
  putText(event.record, identity.texts[1]);
  putText(event.record, identity.texts[2]);
  putText(event.record, identity.texts[3]);
  putU64(event.record, identity.value);

  size_t length = message != nullptr ? std::wcslen(message) : 0;
  if (length > kMaxMessageChars) length = kMaxMessageChars;
  event.message = toUtf8(message, length);

  event.traced = {};
  EVENT_TRACE_HEADER& header = event.traced.header;
  header.Size = static_cast<USHORT>(sizeof(EtwEvent::Header));
  header.Flags = kEventFlags;
  header.Guid = kEventClassGuid;
  header.Class.Type = kEventType;
  header.Class.Level = eventLevel(severity);
  header.Class.Version = kEventVersion;
  event.traced.fields[0].DataPtr = reinterpret_cast<ULONG64>(event.record.data());
  event.traced.fields[0].Length = static_cast<ULONG>(event.record.size());
  event.traced.fields[1].DataPtr = reinterpret_cast<ULONG64>(event.message.data());
  event.traced.fields[1].Length = static_cast<ULONG>(event.message.size());
}

}  // namespace ETWLogging
