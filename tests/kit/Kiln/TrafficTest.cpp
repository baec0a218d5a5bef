// What the host prints of the bus: the line format, hidden names, waits since
// the previous wait, the host's ordering marks, and the answer to the host's
// own request printed once in place of its ordinary copy.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "kit/Kiln/Console.h"
#include "kit/Kiln/Text.h"
#include "kit/Kiln/Traffic.h"

namespace Kiln {
namespace {

SeenMessage message(const wchar_t* name, uint32_t flags = 0, const wchar_t* payload = L"{}",
                    const wchar_t* sender = L"TarnModule") {
  SeenMessage m;
  m.name = name;
  m.flags = flags;
  m.payload = payload;
  m.sender = sender;
  return m;
}

// The console writes to a scratch file; lines() reads everything back.
class TrafficTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(file_, nullptr); }
  void TearDown() override {
    if (file_) std::fclose(file_);
  }
  std::vector<std::string> lines() {
    std::fflush(file_);
    std::rewind(file_);
    std::vector<std::string> out;
    char buffer[4096];
    while (std::fgets(buffer, sizeof(buffer), file_)) {
      std::string line = buffer;
      if (!line.empty() && line.back() == '\n') line.pop_back();
      out.push_back(line);
    }
    std::fseek(file_, 0, SEEK_END);
    return out;
  }

  std::FILE* file_ = std::tmpfile();
  Console console_{file_};
  Traffic traffic_{console_, true};
};

TEST(KilnTrafficFormat, PrintsNameFlagWordSenderAndPayloadOnOneLine) {
  struct Case {
    uint32_t flags;
    bool showSender;
    const wchar_t* payload;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {0, true, L"{\"a\":1}", L"bus: N [plain] from S: {\"a\":1}"},
      {Ledra::kMessageFlagExpectsReply, true, L"{}", L"bus: N [request] from S: {}"},
      {Ledra::kMessageFlagReply, true, L"{}", L"bus: N [reply] from S: {}"},
      {Ledra::kMessageFlagNonReplyCopy | Ledra::kMessageFlagCopyHandled, true, L"{}",
       L"bus: N [reply] from S: {}"},
      {0, false, L"{}", L"bus: N [plain]: {}"},
      {0, true, L"", L"bus: N [plain] from S: (empty)"},
      {0, true, L"a\nb\tc", L"bus: N [plain] from S: a\\nb\\tc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatLine(L"bus:", message(L"N", c.flags, c.payload, L"S"), c.showSender), c.expected);
  }
}

TEST_F(TrafficTest, HiddenNamesAreNotPrintedButWaitsStillSeeThem) {
  traffic_.hide(L"SettingsManager\\..*");
  traffic_.onMessage(message(L"SettingsManager.Reply.X"));
  traffic_.onMessage(message(L"Core.Firewall.State"));
  EXPECT_TRUE(traffic_.waitFor(L"SettingsManager.Reply.X", 0));
  traffic_.show(L"SettingsManager\\..*");
  traffic_.onMessage(message(L"SettingsManager.Reply.Y"));
  EXPECT_EQ(lines(), (std::vector<std::string>{"bus: Core.Firewall.State [plain] from TarnModule: {}",
                                               "bus: SettingsManager.Reply.Y [plain] from TarnModule: {}"}));
}

TEST_F(TrafficTest, EachWaitMatchesOnlyMessagesAfterThePreviousMatch) {
  traffic_.onMessage(message(L"A"));
  traffic_.onMessage(message(L"B"));
  traffic_.onMessage(message(L"A"));
  EXPECT_TRUE(traffic_.waitFor(L"A", 0));
  EXPECT_TRUE(traffic_.waitFor(L"A", 0));   // the second A
  EXPECT_FALSE(traffic_.waitFor(L"A", 0));  // no third one
  EXPECT_FALSE(traffic_.waitFor(L"B", 0));  // B came before the last match
  std::thread later([this] { traffic_.onMessage(message(L"B")); });
  EXPECT_TRUE(traffic_.waitFor(L"B", 60000));
  later.join();
}

TEST_F(TrafficTest, OrderingMarksAreNeverPrintedAndReleaseTheirOwnWaiterOnly) {
  const uint64_t first = traffic_.newSyncToken();
  const uint64_t second = traffic_.newSyncToken();
  traffic_.onMessage(message(kSyncName, 0, std::to_wstring(second).c_str(), kHostSender));
  EXPECT_TRUE(traffic_.waitSync(second, 0));
  EXPECT_FALSE(traffic_.waitSync(first, 0));
  // A mark's name from another sender is ordinary traffic.
  traffic_.onMessage(message(kSyncName, 0, L"1", L"Other"));
  EXPECT_EQ(lines(), (std::vector<std::string>{"bus: Kiln.Sync [plain] from Other: 1"}));
}

SeenMessage replyTo(const wchar_t* payload, uint8_t routing) {
  SeenMessage reply = message(L"Core.Firewall.State", Ledra::kMessageFlagReply, payload);
  std::memset(reply.destination, routing, sizeof(reply.destination));
  return reply;
}

SeenMessage copyOf(SeenMessage reply) {
  reply.flags = (reply.flags & ~Ledra::kMessageFlagReply) | Ledra::kMessageFlagNonReplyCopy;
  return reply;
}

TEST_F(TrafficTest, TheAnswerTakesThePlaceOfItsCopyEvenWhenTheCopyArrivesFirst) {
  traffic_.beginRequest();
  const SeenMessage reply = replyTo(L"{\"state\":\"on\"}", 7);
  // The subscription gets the copy before the reply thread has reported the reply.
  std::thread subscription([&] { traffic_.onMessage(copyOf(reply)); });
  traffic_.replyArrived(0, &reply);
  subscription.join();
  uint32_t status = 1;
  EXPECT_TRUE(traffic_.waitReply(0, status));
  EXPECT_EQ(status, 0u);
  EXPECT_TRUE(traffic_.waitAnswerPrinted(0));
  EXPECT_TRUE(traffic_.closeRequest());
  // The request took its answer: a wait does not match it again.
  EXPECT_FALSE(traffic_.waitFor(L"Core.Firewall.State", 0));
  // After the request ended, the same copy is ordinary traffic again.
  traffic_.onMessage(copyOf(reply));
  EXPECT_TRUE(traffic_.waitFor(L"Core.Firewall.State", 0));
  EXPECT_EQ(lines(), (std::vector<std::string>{
                         "answer: Core.Firewall.State [reply] from TarnModule: {\"state\":\"on\"}",
                         "bus: Core.Firewall.State [reply] from TarnModule: {\"state\":\"on\"}"}));
}

TEST_F(TrafficTest, ACopyOfSomeoneElsesReplyIsPrintedAsTraffic) {
  traffic_.beginRequest();
  const SeenMessage mine = replyTo(L"{}", 7);
  traffic_.replyArrived(0, &mine);
  traffic_.onMessage(copyOf(replyTo(L"{}", 9)));  // same text, other requester
  EXPECT_FALSE(traffic_.closeRequest());
  EXPECT_EQ(lines(), (std::vector<std::string>{"bus: Core.Firewall.State [reply] from TarnModule: {}"}));
}

TEST_F(TrafficTest, AFailedRequestPrintsNoAnswerForALaterCopy) {
  traffic_.beginRequest();
  traffic_.replyArrived(0x8000000D, nullptr);
  uint32_t status = 0;
  EXPECT_TRUE(traffic_.waitReply(0, status));
  EXPECT_EQ(status, 0x8000000Du);
  traffic_.onMessage(copyOf(replyTo(L"{}", 0)));
  EXPECT_FALSE(traffic_.closeRequest());
  EXPECT_EQ(lines(), (std::vector<std::string>{"bus: Core.Firewall.State [reply] from TarnModule: {}"}));
}

}  // namespace
}  // namespace Kiln
