// The classic ETW event one log line becomes.
#pragma once

#include <windows.h>
#include <evntrace.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ETWLogging {

// Class of every event the provider writes.
constexpr GUID kEventClassGuid = {
    0xCD1DAAD0, 0x54CC, 0x11E0, {0xB8, 0xAF, 0x08, 0x00, 0x20, 0x0C, 0x9A, 0x66}};
constexpr UCHAR kEventType = 1;
constexpr USHORT kEventVersion = 2;
constexpr ULONG kEventFlags = WNODE_FLAG_TRACED_GUID | WNODE_FLAG_USE_MOF_PTR;  // 0x120000
constexpr size_t kMaxMessageChars = 2080;

// The parts of the binary record besides file, function and line.
struct EventIdentity {
  uint32_t processValue = 0;
  const wchar_t* texts[4] = {};  // the four identity slots, in record order
  uint64_t value = 0;
};

// Header and data blocks of one event. The header points into `record` and
// `message`, so the object stays where it was built.
struct EtwEvent {
  struct Header {
    EVENT_TRACE_HEADER header;
    MOF_FIELD fields[2];
  } traced = {};
  std::vector<uint8_t> record;
  std::string message;  // UTF-8, no terminator

  EtwEvent() = default;
  EtwEvent(const EtwEvent&) = delete;
  EtwEvent& operator=(const EtwEvent&) = delete;
};
static_assert(sizeof(EtwEvent::Header) == 80, "the event header with its two data blocks is 80 bytes");

// The log level of an event: 6 becomes 3, anything outside 1 to 5 becomes 3.
UCHAR eventLevel(uint32_t severity) noexcept;

// Fills `event` for one message (cut to kMaxMessageChars characters).
void buildEtwEvent(EtwEvent& event, uint32_t severity, const EventIdentity& identity, uint32_t threadId,
                   const wchar_t* file, const wchar_t* function, int line, const wchar_t* message);

}  // namespace ETWLogging
