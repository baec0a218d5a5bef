// Bus messages: construction, the module's own sender name and replies.
#include "message/Message.h"

#include <windows.h>

#include <cstring>
#include <utility>

namespace Ledra {

namespace {

// Any object of this module: its address names the module that holds this code.
const int kModuleAnchor = 0;

std::wstring readOwnModuleFileName() {
  HMODULE module = nullptr;
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module)) {
    return std::wstring();
  }
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  if (length == 0) {
    return std::wstring();
  }
  std::wstring name(path, length < MAX_PATH ? length : MAX_PATH);
  const size_t slash = name.find_last_of(L'\\');
  return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

// Worked out once; the senders of all messages of this module share it.
const std::wstring& ownModuleFileName() {
  static const std::wstring name = readOwnModuleFileName();
  return name;
}

}  // namespace

Message::Message(std::wstring&& name, std::wstring&& sender, std::wstring&& payload)
    : m_header(defaultHeader(computeTotalLength(name, sender, payload))) {
  // Swapping with empty members leaves the arguments empty, whatever a move would do.
  m_name.swap(name);
  m_sender.swap(sender);
  m_payload.swap(payload);
}

Message::~Message() = default;

uint32_t Message::computeTotalLength(const std::wstring& name, const std::wstring& sender,
                                     const std::wstring& payload) {
  const size_t units = name.size() + sender.size() + payload.size();
  return static_cast<uint32_t>(kMessageHeaderBaseLength + 2 * units);
}

MessageHeader Message::defaultHeader(uint32_t totalLength) {
  MessageHeader header;
  std::memset(&header, 0, sizeof(header));
  header.formatMark = 1;
  header.totalLength = totalLength;
  header.flags = 0;
  header.version = kMessageHeaderVersion;
  header.extensionMark = 11;
  header.extensionSize = 8;
  header.sessionId = 0;
  return header;
}

std::shared_ptr<Message> Message::create(const std::wstring& name, const std::wstring& sender,
                                         const std::wstring& payload) {
  try {
    std::wstring actualSender = sender.empty() ? ownModuleFileName() : sender;
    return std::make_shared<Message>(std::wstring(name), std::move(actualSender), std::wstring(payload));
  } catch (...) {
    return std::shared_ptr<Message>();
  }
}

std::shared_ptr<Message> Message::createReply(const std::wstring& name, const std::wstring& sender,
                                              const std::wstring& payload) const {
  std::shared_ptr<Message> reply = create(name, sender, payload);
  if (!reply || (m_header.flags & kMessageFlagExpectsReply) == 0) {
    return reply;
  }
  MessageHeader* answer = reply->getHeader();
  answer->flags |= kMessageFlagReply;
  std::memcpy(answer->destinationRoutingA, m_header.originRoutingA, sizeof(answer->destinationRoutingA));
  std::memcpy(answer->destinationRoutingB, m_header.originRoutingB, sizeof(answer->destinationRoutingB));
  std::memcpy(answer->destinationCookie, m_header.originCookie, sizeof(answer->destinationCookie));
  return reply;
}

std::shared_ptr<Message> Message::createResponse(const std::shared_ptr<Message>& request,
                                                 const std::wstring& name, const std::wstring& sender,
                                                 const std::wstring& payload) {
  return request ? request->createReply(name, sender, payload) : create(name, sender, payload);
}

void Message::copyHeaderFrom(const MessageHeader* delivered) {
  if (delivered == nullptr) {
    return;
  }
  if (delivered->version == kMessageHeaderVersion) {
    std::memcpy(&m_header, delivered, sizeof(MessageHeader));
    return;
  }
  // An older bus hands over only the first 100 bytes; the extension keeps its defaults.
  MessageHeader upgraded = defaultHeader(0);
  std::memcpy(&upgraded, delivered, kMessageHeaderV1Size);
  upgraded.totalLength += static_cast<uint32_t>(sizeof(MessageHeader) - kMessageHeaderV1Size);
  upgraded.version = kMessageHeaderVersion;
  m_header = upgraded;
}

void Message::resetHeader(uint32_t totalLength) { m_header = defaultHeader(totalLength); }

}  // namespace Ledra
