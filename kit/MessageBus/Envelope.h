// One message as the bus carries it: its own copy of the header and the three
// strings, shared read-only by every delivery of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "include/MessageHeader.h"

namespace KilnBus {

struct Envelope {
  Ledra::MessageHeader header;
  std::wstring name;
  std::wstring sender;
  std::wstring payload;
};

// The Windows session of this process, asked once; 0 when unknown.
uint32_t processSessionId();

// Copies the caller's message. A header of another version is read as the
// 100-byte first version and brought to version 2; a session id of 0 becomes
// the publisher's session. Null sender or payload read as empty.
std::shared_ptr<Envelope> makeEnvelope(const Ledra::MessageHeader& header, const wchar_t* name,
                                       const wchar_t* sender, const wchar_t* payload);

}  // namespace KilnBus
