// The requests the end-to-end benchmark measures, how each is answered, and
// the answer each gets from the module with the null component.
#pragma once

#include <string>
#include <vector>

#include "bench/e2e/Traffic.h"

namespace Bench {

struct BenchedRequest {
  const char* kind;  // set, refresh, list, state, hips
  Target target;
  std::wstring nullAnswer;         // answer name with the null component
  std::wstring nullAnswerPayload;  // and its exact payload
  const char* note;                // what a reader needs to know, or empty
};

// The five benchmarked requests, in the order they are measured.
std::vector<BenchedRequest> benchedRequests();
// The same traffic shape sent to the floor instead of the module.
Target floorTarget(const Target& moduleTarget);
std::string narrow(const std::wstring& text);

}  // namespace Bench
