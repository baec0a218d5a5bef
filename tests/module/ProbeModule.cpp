// A module library for testing the entry points: the shared entry frame with a
// module that writes what happens to it into a journal the test reads.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "message/Message.h"
#include "module/BaseModule.h"
#include "module/ModuleFactory.h"

namespace {

std::mutex journalMutex;
std::wstring journal;

void note(const std::wstring& line) {
  std::lock_guard<std::mutex> lock(journalMutex);
  journal += line + L"\n";
}

class ProbeModule : public Ledra::BaseModule {
 public:
  explicit ProbeModule(std::shared_ptr<Basalt::IOCContainer> container) : BaseModule(std::move(container)) {
    note(L"construct");
  }
  ~ProbeModule() override { note(L"destroy"); }

  Ledra::ModuleStatus initialize() override {
    std::vector<std::wstring> pairs;
    for (const auto& entry : getSettings()) pairs.push_back(entry.first + L"=" + entry.second);
    std::sort(pairs.begin(), pairs.end());
    std::wstring settings;
    for (const auto& pair : pairs) settings += pair + L";";
    note(L"initialize " + getName() + L" " + getSecondName() + L" {" + settings + L"}");
    return subscribe(L"Probe.Direct", [this](std::shared_ptr<Ledra::Message> message) -> unsigned long {
      note(L"direct " + message->getName() + L" from " + message->getSender() + L" " + message->getPayload() +
           L" session " + std::to_wstring(message->getHeader()->sessionId) + L" thread " +
           std::to_wstring(GetCurrentThreadId()));
      if (message->getPayload() == L"unload") note(L"unload " + std::to_wstring(unload()));
      return 0;
    });
  }
  Ledra::ModuleStatus start() override {
    if (getName() == L"throw-on-start") throw std::runtime_error("start refused");
    note(L"start");
    return Ledra::MODULE_STATUS_SUCCESS;
  }
  Ledra::ModuleStatus stop() override {
    note(L"stop");
    return Ledra::MODULE_STATUS_SUCCESS;
  }
  Ledra::ModuleStatus uninitialize() override {
    note(L"uninitialize");
    return Ledra::MODULE_STATUS_SUCCESS;
  }
};

}  // namespace

namespace Ledra {

std::unique_ptr<Module> createModuleInstance(std::shared_ptr<Basalt::IOCContainer> container) {
  return std::make_unique<ProbeModule>(std::move(container));
}

}  // namespace Ledra

// Copies the journal into the caller's buffer and empties it; answers its length.
extern "C" size_t ProbeJournal(wchar_t* buffer, size_t capacity) {
  std::lock_guard<std::mutex> lock(journalMutex);
  const size_t length = std::min(journal.size(), capacity - 1);
  journal.copy(buffer, length);
  buffer[length] = L'\0';
  journal.clear();
  return length;
}
