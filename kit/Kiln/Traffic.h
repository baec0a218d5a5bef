// What the host sees on the bus, printed one line per message in the order
// its catch-all subscription receives them, plus the answers to its own
// requests and the marks that let the script wait for a message.
//
// Ordering: the host subscribes before any module exists, so the bus queues
// every message to the host before anyone else; whatever a module does in
// answer is queued after it. A reply reaches the requester on the bus's reply
// thread while its ordinary copy reaches every subscriber, so the answer to
// one of the host's own requests is printed by the subscription thread in
// place of that copy; the output then does not depend on which thread ran first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "include/MessageHeader.h"
#include "kit/Kiln/Console.h"

namespace Kiln {

// The name of the host's own ordering marks; never printed.
constexpr wchar_t kSyncName[] = L"Kiln.Sync";
constexpr wchar_t kHostSender[] = L"Kiln";

struct SeenMessage {
  uint32_t flags = 0;
  std::wstring name;
  std::wstring sender;
  std::wstring payload;
  // Destination routing of a reply (blocks A and B); its copy keeps them.
  uint8_t destination[36] = {};
};

SeenMessage seenFrom(const Ledra::MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                     const wchar_t* payload);

// "request", "reply" (a reply or the ordinary copy of one) or "plain".
const wchar_t* flagWord(uint32_t flags);

// "bus: NAME [plain] from SENDER: PAYLOAD" (no " from SENDER" when senders are quiet).
std::wstring formatLine(const wchar_t* prefix, const SeenMessage& message, bool showSender);

class Traffic {
 public:
  Traffic(Console& console, bool showSenders) : console_(console), showSenders_(showSenders) {}

  // Subscription thread: every delivered message.
  void onMessage(const SeenMessage& message);

  // Names matching the pattern are no longer printed (waits still see them).
  void hide(const std::wstring& pattern);
  // Ends one hide (the same pattern text) or, with an empty text, all of them.
  void show(const std::wstring& pattern);

  // A message of that name seen since the one the previous wait matched.
  bool waitFor(const std::wstring& name, uint32_t milliseconds);

  // Marks: the caller publishes kSyncName with the token as payload, then waits.
  uint64_t newSyncToken();
  bool waitSync(uint64_t token, uint32_t milliseconds);

  // The host's own request, one at a time.
  void beginRequest();
  // Reply thread: status 0 with the reply, or the failure status.
  void replyArrived(uint32_t status, const SeenMessage* reply);
  bool waitReply(uint32_t milliseconds, uint32_t& status);
  // After a reply: true once the subscription printed it in place of its copy.
  bool waitAnswerPrinted(uint32_t milliseconds);
  // Ends the request; true when the answer was already printed. A copy that
  // comes later prints as an ordinary line.
  bool closeRequest();
  SeenMessage reply() const;

 private:
  bool hiddenLocked(const std::wstring& name) const;
  bool isCopyOfReplyLocked(const SeenMessage& message) const;

  Console& console_;
  const bool showSenders_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::pair<std::wstring, std::wregex>> hidden_;
  // Names in arrival order since the message the previous wait matched,
  // at most kSeenKept of them: older ones go first.
  static constexpr size_t kSeenKept = 4096;
  std::deque<std::wstring> seen_;
  uint64_t lastToken_ = 0;
  std::set<uint64_t> reachedTokens_;
  bool requestOpen_ = false;
  bool replyKnown_ = false;
  bool answerPrinted_ = false;
  uint32_t replyStatus_ = 0;
  SeenMessage reply_;
};

}  // namespace Kiln
