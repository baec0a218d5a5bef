// The modules the host runs: each loaded from its library, driven through the
// module function table, and unloaded in reverse order at exit or when it asks.
//
// A module asks to be unloaded through the manager callback, from one of its
// own threads and possibly while holding its own locks. The callback only
// queues the name; the host's unload thread then stops, uninitializes and
// destroys the module and frees its library. No host lock is held while a
// module function runs, so messages may keep arriving meanwhile.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "include/ModuleFunctionTable.h"
#include "kit/Kiln/Config.h"

namespace Kiln {

class HostBus;
class Console;

// A module that started, or that ended or failed to start, and why.
struct ModuleEvent {
  std::wstring module;
  bool running = false;
  std::wstring reason;
};
using ModuleObserver = std::function<void(const ModuleEvent&)>;

// Host-side lines are printed after the bus traffic that came before them.
class HostOutput {
 public:
  HostOutput(Console& console, HostBus& bus) : console_(console), bus_(bus) {}
  void line(const std::wstring& text);

 private:
  Console& console_;
  HostBus& bus_;
};

class Modules {
 public:
  Modules(HostOutput& output, HostBus& bus, std::wstring binFolder);
  ~Modules();
  Modules(const Modules&) = delete;
  Modules& operator=(const Modules&) = delete;

  // Told of each event after its host line, with no host lock held; set it
  // before the first load.
  void setObserver(ModuleObserver observer) { observer_ = std::move(observer); }

  // Loads, creates, initializes and starts one module; a failure is printed
  // with its status and leaves nothing of the module behind.
  bool load(const ModuleConfig& config);
  // DirectMessage to a running module; false when there is no such module.
  bool direct(const std::wstring& module, const std::wstring& name, const std::wstring& payload,
              uint32_t& status);
  // Unloads now on the calling (host) thread.
  bool unload(const std::wstring& module, const wchar_t* reason);
  bool waitUnloaded(const std::wstring& module, uint32_t milliseconds);
  // Ends the unload thread, then unloads every running module, last loaded first.
  void unloadAll();
  // Told of every unload request as it comes, on the asking thread; set before the first load.
  void observeUnloadRequests(std::function<void(const wchar_t* module, void* reserved)> observer) {
    unloadObserver_ = std::move(observer);
  }

 private:
  enum class State { Running, Unloading, Unloaded };
  struct Loaded {
    std::wstring name;
    HMODULE library = nullptr;
    const Ledra::ModuleFunctionTable* table = nullptr;
    Ledra::ModuleReleaseObjectFn releaseObject = nullptr;
    void* handle = nullptr;
    State state = State::Running;
    std::mutex calls;  // one module function at a time
  };

  static uint32_t unloadCallback(void* context, const wchar_t* moduleName, void* reserved);
  void unloadThreadMain();
  std::shared_ptr<Loaded> find(const std::wstring& name);
  // Runs the shutdown sequence of a module that this thread took for unloading.
  void shutDown(Loaded& module, const wchar_t* reason);
  void release(Loaded& module);
  // Prints "host: TEXT" and tells the observer that the module did not start.
  bool failed(const std::wstring& module, const std::wstring& text);

  HostOutput& output_;
  HostBus& bus_;
  const std::wstring binFolder_;
  ModuleObserver observer_;
  std::mutex mutex_;  // the list, the states and the unload queue
  std::condition_variable changed_;
  std::vector<std::shared_ptr<Loaded>> modules_;
  std::deque<std::wstring> unloadRequests_;
  bool stopping_ = false;
  std::thread unloadThread_;
  std::function<void(const wchar_t*, void*)> unloadObserver_;
};

}  // namespace Kiln
