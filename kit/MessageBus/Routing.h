// How this bus marks a request so that its reply finds the way back.
//
// Origin block A (24 bytes): "KBUS", format 1 (u32), process id (u32),
//   requesting handle id (u32), request serial (u64).
// Origin block B (12 bytes): process id (u32), request serial (u64).
// Origin cookie (8 bytes): request serial (u64).
// All little-endian. The serial is unique for the life of the bus, so the
// three fields together name one request; a reply carries them back in its
// destination fields (offsets 36, 72, 92).
#pragma once

#include <cstdint>

#include "include/MessageHeader.h"

namespace KilnBus {

struct RequestMark {
  uint8_t blockA[24];
  uint8_t blockB[12];
  uint8_t cookie[8];
};

RequestMark makeRequestMark(uint32_t handleId, uint64_t serial);

// Writes the mark into the origin fields of a request.
void stampOrigin(Ledra::MessageHeader& header, const RequestMark& mark);

// The request serial of a reply's destination cookie; 0 when it names none.
uint64_t destinationSerial(const Ledra::MessageHeader& header);

// True when the reply's destination fields are exactly this mark.
bool destinationMatches(const Ledra::MessageHeader& header, const RequestMark& mark);

}  // namespace KilnBus
