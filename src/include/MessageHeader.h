// The binary header of every bus message: a 108-byte little-endian record that
// the bus library reads and writes. Shared by the framework and the kit's bus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Ledra {

#pragma pack(push, 1)
struct MessageHeader {
  uint16_t formatMark;                  // 0: 1
  uint32_t totalLength;                 // 2: 114 + 2 * (name + sender + payload units)
  uint32_t flags;                       // 6: see the kMessageFlag constants
  uint16_t version;                     // 10: 2
  uint8_t originRoutingA[24];           // 12
  uint8_t destinationRoutingA[24];      // 36
  uint8_t originRoutingB[12];           // 60
  uint8_t destinationRoutingB[12];      // 72
  uint8_t originCookie[8];              // 84
  uint8_t destinationCookie[8];         // 92
  uint16_t extensionMark;               // 100: 11 (version 2 only)
  uint16_t extensionSize;               // 102: 8 (version 2 only)
  uint32_t sessionId;                   // 104: sender's session, 0 = none (version 2 only)
};
#pragma pack(pop)

static_assert(sizeof(MessageHeader) == 108, "the bus reads the header by layout");
static_assert(offsetof(MessageHeader, totalLength) == 2, "layout");
static_assert(offsetof(MessageHeader, flags) == 6, "layout");
static_assert(offsetof(MessageHeader, version) == 10, "layout");
static_assert(offsetof(MessageHeader, originRoutingA) == 12, "layout");
static_assert(offsetof(MessageHeader, destinationRoutingA) == 36, "layout");
static_assert(offsetof(MessageHeader, originRoutingB) == 60, "layout");
static_assert(offsetof(MessageHeader, destinationRoutingB) == 72, "layout");
static_assert(offsetof(MessageHeader, originCookie) == 84, "layout");
static_assert(offsetof(MessageHeader, destinationCookie) == 92, "layout");
static_assert(offsetof(MessageHeader, extensionMark) == 100, "layout");
static_assert(offsetof(MessageHeader, sessionId) == 104, "layout");

constexpr size_t kMessageHeaderV1Size = 100;
constexpr uint16_t kMessageHeaderVersion = 2;
constexpr uint32_t kMessageHeaderBaseLength = 114;  // header plus three 2-byte terminators

constexpr uint32_t kMessageFlagReply = 1u << 0;            // this is a reply
constexpr uint32_t kMessageFlagExpectsReply = 1u << 1;     // a request expecting a reply (set by the bus)
constexpr uint32_t kMessageFlagCopyHandled = 1u << 3;      // governs the non-reply copy of a reply
constexpr uint32_t kMessageFlagNonReplyCopy = 1u << 4;     // the non-reply copy was already made

}  // namespace Ledra
