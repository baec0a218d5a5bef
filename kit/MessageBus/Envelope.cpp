#include "kit/MessageBus/Envelope.h"

#include <windows.h>

#include <cstring>

namespace KilnBus {

namespace {

constexpr uint16_t kExtensionMark = 11;
constexpr uint16_t kExtensionSize = 8;

}  // namespace

uint32_t processSessionId() {
  static const uint32_t session = [] {
    DWORD id = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &id) ? static_cast<uint32_t>(id) : 0u;
  }();
  return session;
}

std::shared_ptr<Envelope> makeEnvelope(const Ledra::MessageHeader& header, const wchar_t* name,
                                       const wchar_t* sender, const wchar_t* payload) {
  auto envelope = std::make_shared<Envelope>();
  if (header.version == Ledra::kMessageHeaderVersion) {
    envelope->header = header;
  } else {
    // Only the first 100 bytes of an older header are the caller's.
    std::memset(&envelope->header, 0, sizeof(envelope->header));
    std::memcpy(&envelope->header, &header, Ledra::kMessageHeaderV1Size);
    envelope->header.version = Ledra::kMessageHeaderVersion;
    envelope->header.extensionMark = kExtensionMark;
    envelope->header.extensionSize = kExtensionSize;
    envelope->header.totalLength += kExtensionSize;
  }
  if (envelope->header.sessionId == 0) envelope->header.sessionId = processSessionId();
  envelope->name = name;
  if (sender != nullptr) envelope->sender = sender;
  if (payload != nullptr) envelope->payload = payload;
  return envelope;
}

}  // namespace KilnBus
