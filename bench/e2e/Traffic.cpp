#include "bench/e2e/Traffic.h"

#include <algorithm>
#include <memory>

#include "bench/BenchSupport.h"
#include "bench/e2e/BusConnection.h"

namespace Bench {
namespace {

constexpr wchar_t kSender[] = L"Bench";
constexpr uint32_t kReplyTimeoutMs = 60000;
// How long a wait may last before the run counts as stuck.
constexpr unsigned long kStuckMs = 120000;
// A probe that gets no answer in this time finds a module that does not answer.
constexpr unsigned long kProbeMs = 30000;

// Subscribes answers to the target's answer message when it is one.
std::unique_ptr<Subscription> listen(const Ledra::BusFunctions* bus, void* handle, const Target& target,
                                     AnswerCounter& answers) {
  if (target.asRequest) return nullptr;
  return std::make_unique<Subscription>(bus, handle, &answers, &AnswerCounter::onMessage, target.answer);
}

}  // namespace

void Traffic::send(const Target& target, long index, AnswerCounter& answers) {
  const wchar_t* payload = target.payloads[static_cast<size_t>(index) % target.payloads.size()].c_str();
  const Ledra::MessageHeader header = messageHeader(target.request.c_str(), kSender, payload);
  uint32_t status = 0;
  if (target.asRequest) {
    status = bus_->request(handle_, nextReplyIndex_++, &answers, &AnswerCounter::onReply, &header,
                           target.request.c_str(), kSender, payload, kReplyTimeoutMs);
  } else {
    status = bus_->publish(handle_, &header, target.request.c_str(), kSender, payload);
  }
  // A request the bus did not take is answered by nobody: count it as failed.
  if (status != 0) AnswerCounter::onReply(&answers, 0, nullptr, nullptr, nullptr, nullptr, status);
}

bool Traffic::stream(const Target& target, long window, double budget, long maxRequests, RunResult& out) {
  AnswerCounter answers;
  const auto subscription = listen(bus_, handle_, target, answers);
  if (subscription && !subscription->ok()) return false;
  window = std::max(1L, window);
  const double start = now();
  long sent = 0;
  for (;;) {
    const bool sending = sent < maxRequests && (sent == 0 || now() - start < budget);
    if (!sending) break;
    // Fill the window, then wait until half of it has come back, so that the
    // sender wakes once per half window rather than once per answer.
    const long room = std::min(window - (sent - answers.answered()), maxRequests - sent);
    for (long i = 0; i < room; ++i) send(target, sent++, answers);
    if (!answers.waitFor(sent - window / 2, kStuckMs)) return false;
  }
  if (!answers.waitFor(sent, kStuckMs)) return false;
  out.seconds = now() - start;
  out.requests = sent;
  out.failed = answers.failed();
  return true;
}

bool Traffic::latencies(const Target& target, long samples, double budget, std::vector<double>& out) {
  AnswerCounter answers;
  const auto subscription = listen(bus_, handle_, target, answers);
  if (subscription && !subscription->ok()) return false;
  out.clear();
  const double start = now();
  for (long i = 0; i < samples && (i == 0 || now() - start < budget); ++i) {
    const double begin = now();
    send(target, i, answers);
    if (!answers.waitFor(i + 1, kStuckMs)) return false;
    out.push_back(now() - begin);
  }
  return answers.failed() == 0;
}

bool Traffic::probe(const Target& target, std::wstring& answerName, std::wstring& answerPayload) {
  AnswerCounter answers;
  const auto subscription = listen(bus_, handle_, target, answers);
  if (subscription && !subscription->ok()) return false;
  answers.keepNext();
  send(target, 0, answers);
  if (!answers.waitFor(1, kProbeMs) || answers.failed() != 0) return false;
  answerName = answers.keptName();
  answerPayload = answers.keptPayload();
  return true;
}

}  // namespace Bench
