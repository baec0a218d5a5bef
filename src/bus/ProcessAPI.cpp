#include "bus/ProcessAPI.h"

#include <windows.h>

namespace Ledra {

uint32_t ProcessAPIImpl::getCurrentProcessId() { return ::GetCurrentProcessId(); }

bool ProcessAPIImpl::processIdToSessionId(uint32_t processId, uint32_t* sessionId) {
  if (sessionId == nullptr) return false;
  DWORD session = 0;
  if (!::ProcessIdToSessionId(processId, &session)) return false;
  *sessionId = session;
  return true;
}

}  // namespace Ledra
