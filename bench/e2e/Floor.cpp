#include "bench/e2e/Floor.h"

#include <cstring>

#include "bench/e2e/BusConnection.h"

namespace Bench {

uint32_t Floor::onRequest(void* context, const Ledra::MessageHeader* header, const wchar_t*, const wchar_t*,
                          const wchar_t* payload) {
  const Floor* self = static_cast<Floor*>(context);
  const wchar_t* text = payload ? payload : L"";
  if (header == nullptr || (header->flags & Ledra::kMessageFlagExpectsReply) == 0) {
    const Ledra::MessageHeader answer = messageHeader(kFloorAnswer, L"Floor", text);
    return self->bus_->publish(self->handle_, &answer, kFloorAnswer, L"Floor", text);
  }
  Ledra::MessageHeader reply = replyHeader(*header, kFloorAnswer, L"Floor", text);
  reply.flags |= Ledra::kMessageFlagNonReplyCopy;
  const uint32_t status = self->bus_->publish(self->handle_, &reply, kFloorAnswer, L"Floor", text);
  if (status != 0) return status;
  reply.flags &= ~Ledra::kMessageFlagReply;
  std::memset(reply.destinationCookie, 0, sizeof(reply.destinationCookie));
  self->bus_->publish(self->handle_, &reply, kFloorAnswer, L"Floor", text);
  return 0;
}

}  // namespace Bench
