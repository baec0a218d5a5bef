#include "kit/Kiln/Traffic.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "kit/Kiln/Text.h"

namespace Kiln {
namespace {

using Clock = std::chrono::steady_clock;

// How long the subscription holds a reply copy back while the host's own
// request still waits for its reply (which the bus sent before the copy).
constexpr std::chrono::milliseconds kCopyHold{5000};

}  // namespace

SeenMessage seenFrom(const Ledra::MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                     const wchar_t* payload) {
  SeenMessage message;
  if (header) {
    message.flags = header->flags;
    std::memcpy(message.destination, header->destinationRoutingA, sizeof(header->destinationRoutingA));
    std::memcpy(message.destination + sizeof(header->destinationRoutingA), header->destinationRoutingB,
                sizeof(header->destinationRoutingB));
  }
  message.name = name ? name : L"";
  message.sender = sender ? sender : L"";
  message.payload = payload ? payload : L"";
  return message;
}

const wchar_t* flagWord(uint32_t flags) {
  if (flags & (Ledra::kMessageFlagReply | Ledra::kMessageFlagNonReplyCopy)) return L"reply";
  if (flags & Ledra::kMessageFlagExpectsReply) return L"request";
  return L"plain";
}

std::wstring formatLine(const wchar_t* prefix, const SeenMessage& message, bool showSender) {
  std::wstring line = prefix;
  line += L' ';
  line += message.name;
  line += L" [";
  line += flagWord(message.flags);
  line += L']';
  if (showSender) {
    line += L" from ";
    line += message.sender.empty() ? L"(no sender)" : message.sender;
  }
  line += L": ";
  line += message.payload.empty() ? L"(empty)" : oneLine(message.payload);
  return line;
}

void Traffic::onMessage(const SeenMessage& message) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (message.name == kSyncName && message.sender == kHostSender) {
    uint32_t token = 0;
    if (parseCount(message.payload, 0xFFFFFFFFu, token)) reachedTokens_.insert(token);
    changed_.notify_all();
    return;
  }
  const bool isCopy = (message.flags & Ledra::kMessageFlagNonReplyCopy) != 0 &&
                      (message.flags & Ledra::kMessageFlagReply) == 0;
  if (isCopy && requestOpen_ && !replyKnown_) {
    changed_.wait_for(lock, kCopyHold, [this] { return replyKnown_ || !requestOpen_; });
  }
  std::wstring line;
  if (isCopy && isCopyOfReplyLocked(message)) {
    // The request already took this answer; a later wait must not match it again.
    answerPrinted_ = true;
    line = formatLine(L"answer:", reply_, showSenders_);
  } else {
    if (!hiddenLocked(message.name)) line = formatLine(L"bus:", message, showSenders_);
    seen_.push_back(message.name);
    if (seen_.size() > kSeenKept) seen_.pop_front();
  }
  // Printed under the lock so that lines keep the order of arrival.
  if (!line.empty()) console_.line(line);
  changed_.notify_all();
}

bool Traffic::isCopyOfReplyLocked(const SeenMessage& message) const {
  return requestOpen_ && replyKnown_ && !answerPrinted_ && replyStatus_ == 0 && message.name == reply_.name &&
         message.sender == reply_.sender && message.payload == reply_.payload &&
         std::memcmp(message.destination, reply_.destination, sizeof(message.destination)) == 0;
}

bool Traffic::hiddenLocked(const std::wstring& name) const {
  for (const auto& pattern : hidden_) {
    if (std::regex_match(name, pattern.second)) return true;
  }
  return false;
}

void Traffic::hide(const std::wstring& pattern) {
  std::wregex compiled(pattern, std::regex_constants::ECMAScript);
  std::lock_guard<std::mutex> lock(mutex_);
  hidden_.emplace_back(pattern, std::move(compiled));
}

void Traffic::show(const std::wstring& pattern) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (pattern.empty()) {
    hidden_.clear();
    return;
  }
  for (auto entry = hidden_.begin(); entry != hidden_.end();) {
    entry = entry->first == pattern ? hidden_.erase(entry) : entry + 1;
  }
}

bool Traffic::waitFor(const std::wstring& name, uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    const auto match = std::find(seen_.begin(), seen_.end(), name);
    if (match != seen_.end()) {
      seen_.erase(seen_.begin(), match + 1);  // the next wait looks only at what came after it
      return true;
    }
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout &&
        std::find(seen_.begin(), seen_.end(), name) == seen_.end())
      return false;
  }
}

uint64_t Traffic::newSyncToken() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ++lastToken_;
}

bool Traffic::waitSync(uint64_t token, uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  const bool reached = changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                         [&] { return reachedTokens_.count(token) != 0; });
  reachedTokens_.erase(token);
  return reached;
}

void Traffic::beginRequest() {
  std::lock_guard<std::mutex> lock(mutex_);
  requestOpen_ = true;
  replyKnown_ = false;
  answerPrinted_ = false;
  replyStatus_ = 0;
  reply_ = SeenMessage();
}

void Traffic::replyArrived(uint32_t status, const SeenMessage* reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!requestOpen_ || replyKnown_) return;
  replyKnown_ = true;
  replyStatus_ = status;
  if (reply) reply_ = *reply;
  changed_.notify_all();
}

bool Traffic::waitReply(uint32_t milliseconds, uint32_t& status) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return replyKnown_; })) {
    return false;
  }
  status = replyStatus_;
  return true;
}

bool Traffic::waitAnswerPrinted(uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return answerPrinted_; });
}

bool Traffic::closeRequest() {
  std::lock_guard<std::mutex> lock(mutex_);
  requestOpen_ = false;
  changed_.notify_all();
  return answerPrinted_;
}

SeenMessage Traffic::reply() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reply_;
}

}  // namespace Kiln
