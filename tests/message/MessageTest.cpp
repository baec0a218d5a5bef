#include "message/Message.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace Ledra {
namespace {

// This test program is the module that holds the message code.
std::wstring ownFileName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path);
  return name.substr(name.find_last_of(L'\\') + 1);
}

void fill(uint8_t* bytes, size_t size, uint8_t seed) {
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<uint8_t>(seed + i);
  }
}

bool allZero(const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// The fields a version-2 header of this module carries whatever it was made from.
void expectOwnVersion(const MessageHeader* header) {
  EXPECT_EQ(header->version, 2u);
  EXPECT_EQ(header->extensionMark, 11u);
  EXPECT_EQ(header->extensionSize, 8u);
  EXPECT_EQ(header->sessionId, 0u);
}

TEST(MessageTest, EmptySenderBecomesOwnFileNameAndLengthCountsAllStrings) {
  std::shared_ptr<Message> message = Message::create(L"a", L"", L"{}");
  ASSERT_TRUE(message);
  const std::wstring sender = ownFileName();
  ASSERT_EQ(sender.find(L'\\'), std::wstring::npos);
  EXPECT_EQ(message->getSender(), sender);
  EXPECT_EQ(message->getName(), L"a");
  EXPECT_EQ(message->getPayload(), L"{}");

  const MessageHeader* header = message->getHeader();
  EXPECT_EQ(header->totalLength, 114u + 2u * (1u + sender.size() + 2u));
  EXPECT_EQ(header->formatMark, 1u);
  EXPECT_EQ(header->flags, 0u);
  expectOwnVersion(header);
  EXPECT_TRUE(allZero(header->originRoutingA, 88));  // offsets 12..99
}

TEST(MessageTest, GivenSenderIsKeptAndConstructorTakesStringsOver) {
  EXPECT_EQ(Message::create(L"n", L"Kiln", L"")->getSender(), L"Kiln");

  std::wstring name = L"Core.Firewall.GetState", sender = L"ui", payload = L"{\"x\":1}";
  Message message(std::move(name), std::move(sender), std::move(payload));
  EXPECT_TRUE(name.empty() && sender.empty() && payload.empty());
  EXPECT_EQ(message.getName(), L"Core.Firewall.GetState");
  EXPECT_EQ(message.getHeader()->totalLength, 114u + 2u * (22u + 2u + 7u));
}

TEST(MessageTest, ReplyIsAddressedBackOnlyWhenTheRequestExpectsOne) {
  for (bool expectsReply : {true, false}) {
    SCOPED_TRACE(expectsReply);
    std::shared_ptr<Message> request = Message::create(L"req", L"ui", L"{}");
    MessageHeader* in = request->getHeader();
    in->flags = expectsReply ? kMessageFlagExpectsReply : 0;
    fill(in->originRoutingA, sizeof(in->originRoutingA), 1);
    fill(in->originRoutingB, sizeof(in->originRoutingB), 40);
    fill(in->originCookie, sizeof(in->originCookie), 90);

    std::shared_ptr<Message> reply = request->createReply(L"resp", L"", L"{\"ok\":true}");
    ASSERT_TRUE(reply);
    const MessageHeader* out = reply->getHeader();
    EXPECT_EQ(reply->getSender(), ownFileName());
    EXPECT_EQ(out->flags, expectsReply ? kMessageFlagReply : 0u);
    EXPECT_EQ(std::memcmp(out->destinationRoutingA, in->originRoutingA, 24) == 0, expectsReply);
    EXPECT_EQ(std::memcmp(out->destinationRoutingB, in->originRoutingB, 12) == 0, expectsReply);
    EXPECT_EQ(std::memcmp(out->destinationCookie, in->originCookie, 8) == 0, expectsReply);
    if (!expectsReply) {
      EXPECT_TRUE(allZero(out->originRoutingA, 88));
    }
  }
}

TEST(MessageTest, ResponseIsAReplyOnlyWhenThereIsARequest) {
  std::shared_ptr<Message> request = Message::create(L"req", L"ui", L"");
  request->getHeader()->flags = kMessageFlagExpectsReply;
  EXPECT_EQ(Message::createResponse(request, L"r", L"m", L"")->getHeader()->flags, kMessageFlagReply);
  std::shared_ptr<Message> unsolicited = Message::createResponse(nullptr, L"r", L"m", L"");
  ASSERT_TRUE(unsolicited);
  EXPECT_EQ(unsolicited->getHeader()->flags, 0u);
}

TEST(MessageTest, DeliveredHeaderIsCopiedWholeOrUpgradedFromVersionOne) {
  MessageHeader delivered;
  fill(reinterpret_cast<uint8_t*>(&delivered), sizeof(delivered), 7);
  delivered.totalLength = 500;

  delivered.version = 2;
  std::shared_ptr<Message> message = Message::create(L"n", L"s", L"");
  message->copyHeaderFrom(&delivered);
  EXPECT_EQ(std::memcmp(message->getHeader(), &delivered, sizeof(delivered)), 0);

  // Bytes 100..107 of a version-1 header are not its own: they must not be read.
  delivered.version = 1;
  message->copyHeaderFrom(&delivered);
  const MessageHeader* header = message->getHeader();
  EXPECT_EQ(std::memcmp(header->originRoutingA, delivered.originRoutingA, 88), 0);
  EXPECT_EQ(header->flags, delivered.flags);
  EXPECT_EQ(header->totalLength, 508u);
  expectOwnVersion(header);

  message->resetHeader(0);
  EXPECT_EQ(header->totalLength, 0u);
  EXPECT_EQ(header->flags, 0u);
  EXPECT_TRUE(allZero(header->originRoutingA, 88));
  expectOwnVersion(header);
}

}  // namespace
}  // namespace Ledra
