// A thin interface over the process calls the bus client needs, so that tests
// can give it any process and session.
#pragma once

#include <cstdint>

namespace Ledra {

class ProcessAPI {
 public:
  virtual ~ProcessAPI() = default;
  // GetCurrentProcessId.
  virtual uint32_t getCurrentProcessId() = 0;
  // ProcessIdToSessionId: true and the session through sessionId on success.
  virtual bool processIdToSessionId(uint32_t processId, uint32_t* sessionId) = 0;
};

class ProcessAPIImpl : public ProcessAPI {
 public:
  uint32_t getCurrentProcessId() override;
  bool processIdToSessionId(uint32_t processId, uint32_t* sessionId) override;
};

}  // namespace Ledra
