// A hand fake of the bus library binding: records every call and answers with
// results the test sets. Used from one thread at a time.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bus/MessageBusShim.h"
#include "bus/ProcessAPI.h"
#include "include/MessageHeader.h"
#include "message/Message.h"

namespace Ledra {
namespace testing {

class FakeShim : public MessageBusShim {
 public:
  struct Published {
    MessageHeader header;  // as it was when the shim was called
    std::wstring name;
    bool variant;
  };
  struct Requested {
    uint64_t index;
    ReplyFunction* replyFunction;
    uint32_t timeoutMs;
    bool variant;
  };

  uint32_t publish(const std::shared_ptr<Message>& message, bool variant) override {
    published.push_back({*message->getHeader(), message->getName(), variant});
    if (publishResults.empty()) return 0;
    const uint32_t result = publishResults.front();
    publishResults.pop_front();
    return result;
  }
  uint32_t request(const std::shared_ptr<Message>&, uint64_t index, ReplyFunction* replyFunction,
                   uint32_t timeoutMs, bool variant) override {
    requested.push_back({index, replyFunction, timeoutMs, variant});
    return requestResult;
  }
  uint32_t subscribe(const std::wstring& name, Callback* callback) override { return add(name, callback); }
  uint32_t subscribeFilter(const std::wstring& pattern, Callback* callback) override {
    ++filterCalls;
    return add(pattern, callback);
  }
  uint32_t unsubscribe(uint32_t id) override {
    unsubscribed.push_back(id);
    contexts.erase(id);
    return 0;
  }
  uint32_t releaseReplyAdapter() override {
    ++replyAdapterReleases;
    return 0;
  }

  // Delivers as the library would: through the context of every live
  // subscription to exactly this name or pattern text.
  std::vector<unsigned long> deliver(const std::wstring& subscribedAs,
                                     const std::shared_ptr<Message>& message) {
    std::vector<unsigned long> results;
    for (auto& entry : contexts) {
      if (entry.second.first == subscribedAs) results.push_back((*entry.second.second)(message));
    }
    return results;
  }

  std::deque<uint32_t> publishResults;
  uint32_t requestResult = 0;
  bool failSubscriptions = false;
  std::vector<Published> published;
  std::vector<Requested> requested;
  std::vector<uint32_t> unsubscribed;
  std::map<uint32_t, std::pair<std::wstring, Callback*>> contexts;
  int filterCalls = 0;
  int replyAdapterReleases = 0;

 private:
  uint32_t add(const std::wstring& text, Callback* callback) {
    if (failSubscriptions) return 0;
    const uint32_t id = nextId_++;
    contexts[id] = {text, callback};
    return id;
  }
  uint32_t nextId_ = 100;
};

class FakeProcessAPI : public ProcessAPI {
 public:
  explicit FakeProcessAPI(bool known, uint32_t session) : known_(known), session_(session) {}
  uint32_t getCurrentProcessId() override { return 4242; }
  bool processIdToSessionId(uint32_t processId, uint32_t* sessionId) override {
    if (!known_ || processId != 4242) return false;
    *sessionId = session_;
    return true;
  }

 private:
  bool known_;
  uint32_t session_;
};

}  // namespace testing
}  // namespace Ledra
