// One bus message: a name, a sender, a payload text and the binary header the
// bus library reads and writes. Always held through std::shared_ptr; its
// strings never change after creation, only header bits do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "include/MessageHeader.h"

namespace Ledra {

class Message {
 public:
  // Takes the three strings over (the arguments are left empty) and fills the
  // header from the default record with the total length computed.
  Message(std::wstring&& name, std::wstring&& sender, std::wstring&& payload);
  virtual ~Message();

  Message(const Message&) = delete;
  Message& operator=(const Message&) = delete;

  const std::wstring& getName() const { return m_name; }
  const std::wstring& getSender() const { return m_sender; }
  const std::wstring& getPayload() const { return m_payload; }
  MessageHeader* getHeader() { return &m_header; }
  const MessageHeader* getHeader() const { return &m_header; }

  // Builds a message; an empty sender becomes this module's own file name.
  // Any failure, memory exhaustion included, gives an empty pointer.
  static std::shared_ptr<Message> create(const std::wstring& name, const std::wstring& sender,
                                         const std::wstring& payload);

  // Builds the answer to this request. When this request expects a reply, the
  // answer is marked as a reply and addressed back along this request's
  // origin routing blocks and cookie.
  std::shared_ptr<Message> createReply(const std::wstring& name, const std::wstring& sender,
                                       const std::wstring& payload) const;

  // createReply on the request when there is one, else create.
  static std::shared_ptr<Message> createResponse(const std::shared_ptr<Message>& request,
                                                 const std::wstring& name, const std::wstring& sender,
                                                 const std::wstring& payload);

  // Copies a header delivered by the bus library. A version-2 header is copied
  // whole; any other version is read as a 100-byte version-1 header, upgraded
  // to version 2 with the default extension and a total length 8 bytes longer.
  // A null header changes nothing.
  void copyHeaderFrom(const MessageHeader* delivered);

  // Puts the default record back, with the given total length.
  void resetHeader(uint32_t totalLength);

  // 114 + 2 * (name + sender + payload units).
  static uint32_t computeTotalLength(const std::wstring& name, const std::wstring& sender,
                                     const std::wstring& payload);

  // The default header record with the given total length.
  static MessageHeader defaultHeader(uint32_t totalLength);

 private:
  std::wstring m_name;
  std::wstring m_sender;
  std::wstring m_payload;
  // Held in the message itself: one allocation less for every message the bus carries.
  MessageHeader m_header;
};

}  // namespace Ledra
