// The benchmark's requester: sends a target's requests on its own bus handle
// and measures how their answers come back.
#pragma once

#include <string>
#include <vector>

#include "bench/e2e/AnswerCounter.h"
#include "include/BusLibrary.h"

namespace Bench {

// Where requests go and which answer completes one.
struct Target {
  std::wstring request;                // message name
  std::vector<std::wstring> payloads;  // sent in turn
  bool asRequest = false;              // sent with the bus's request entry: the reply completes it
  std::wstring answer;                 // otherwise: the message name that completes it
};

struct RunResult {
  long requests = 0;
  double seconds = 0;
  long failed = 0;  // replies that never came (the bus timed them out)
};

class Traffic {
 public:
  Traffic(const Ledra::BusFunctions* bus, void* handle) : bus_(bus), handle_(handle) {}

  // Round trips with at most window requests in flight: sends until budget
  // seconds have passed or maxRequests were sent, then waits for the rest.
  // False when answers stopped coming.
  bool stream(const Target& target, long window, double budget, long maxRequests, RunResult& out);
  // One request in flight at a time; each sample is one round trip in
  // seconds, until samples are taken or budget seconds have passed.
  bool latencies(const Target& target, long samples, double budget, std::vector<double>& out);
  // One request and its answer's name and payload.
  bool probe(const Target& target, std::wstring& answerName, std::wstring& answerPayload);

 private:
  void send(const Target& target, long index, AnswerCounter& answers);

  const Ledra::BusFunctions* bus_;
  void* handle_;
  unsigned long long nextReplyIndex_ = 1;
};

}  // namespace Bench
