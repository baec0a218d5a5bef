#include "kit/MessageBus/Routing.h"

#include <windows.h>

#include <cstring>

namespace KilnBus {

namespace {

constexpr uint8_t kMagic[4] = {'K', 'B', 'U', 'S'};
constexpr uint32_t kFormat = 1;

void putU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void putU64(uint8_t* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t getU64(const uint8_t* at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

}  // namespace

RequestMark makeRequestMark(uint32_t handleId, uint64_t serial) {
  const uint32_t process = GetCurrentProcessId();
  RequestMark mark{};
  std::memcpy(mark.blockA, kMagic, sizeof(kMagic));
  putU32(mark.blockA + 4, kFormat);
  putU32(mark.blockA + 8, process);
  putU32(mark.blockA + 12, handleId);
  putU64(mark.blockA + 16, serial);
  putU32(mark.blockB, process);
  putU64(mark.blockB + 4, serial);
  putU64(mark.cookie, serial);
  return mark;
}

void stampOrigin(Ledra::MessageHeader& header, const RequestMark& mark) {
  std::memcpy(header.originRoutingA, mark.blockA, sizeof(mark.blockA));
  std::memcpy(header.originRoutingB, mark.blockB, sizeof(mark.blockB));
  std::memcpy(header.originCookie, mark.cookie, sizeof(mark.cookie));
}

uint64_t destinationSerial(const Ledra::MessageHeader& header) { return getU64(header.destinationCookie); }

bool destinationMatches(const Ledra::MessageHeader& header, const RequestMark& mark) {
  return std::memcmp(header.destinationRoutingA, mark.blockA, sizeof(mark.blockA)) == 0 &&
         std::memcmp(header.destinationRoutingB, mark.blockB, sizeof(mark.blockB)) == 0 &&
         std::memcmp(header.destinationCookie, mark.cookie, sizeof(mark.cookie)) == 0;
}

}  // namespace KilnBus
