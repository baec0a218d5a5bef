#include "kit/Kiln/Modules.h"

#include <algorithm>
#include <chrono>

#include "include/ModuleStatus.h"
#include "kit/Kiln/Console.h"
#include "kit/Kiln/HostBus.h"
#include "kit/Kiln/StatusText.h"

namespace Kiln {
namespace {

bool isAbsolute(const std::wstring& path) {
  return (path.size() > 1 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

template <typename Fn>
Fn exported(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

}  // namespace

void HostOutput::line(const std::wstring& text) {
  bus_.sync();
  console_.line(text);
}

Modules::Modules(HostOutput& output, HostBus& bus, std::wstring binFolder)
    : output_(output), bus_(bus), binFolder_(std::move(binFolder)) {
  unloadThread_ = std::thread([this] { unloadThreadMain(); });
}

Modules::~Modules() { unloadAll(); }

bool Modules::load(const ModuleConfig& config) {
  const std::wstring path = isAbsolute(config.library) ? config.library : binFolder_ + L"\\" + config.library;
  auto module = std::make_shared<Loaded>();
  module->name = config.name;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& existing : modules_) {
      if (existing->name == config.name && existing->state != State::Unloaded) {
        output_.line(L"host: " + config.name + L" is already loaded");
        return false;
      }
    }
  }
  module->library = ::LoadLibraryW(path.c_str());
  if (!module->library) {
    return failed(config.name, L"cannot load " + config.name + L" from " + config.library + L": error " +
                                   std::to_wstring(::GetLastError()));
  }
  const auto createObject = exported<Ledra::ModuleCreateObjectFn>(module->library, "CreateObject");
  module->releaseObject = exported<Ledra::ModuleReleaseObjectFn>(module->library, "ReleaseObject");
  module->table = createObject ? createObject() : nullptr;
  if (!module->table) {
    release(*module);
    return failed(config.name, config.name + L" (" + config.library + L") gives no module function table");
  }

  const Ledra::ModuleFunctionTable& table = *module->table;
  uint32_t status =
      table.newModule(&module->handle, config.logGroup.empty() ? nullptr : config.logGroup.c_str());
  if (status != Ledra::MODULE_STATUS_SUCCESS || !module->handle) {
    release(*module);
    return failed(config.name, config.name + L" failed: NewModule answered " + statusText(status));
  }

  std::vector<const wchar_t*> names;
  std::vector<const wchar_t*> values;
  for (const auto& setting : config.settings) {
    names.push_back(setting.first.c_str());
    values.push_back(setting.second.c_str());
  }
  const uint32_t count = static_cast<uint32_t>(names.size());
  const wchar_t* entry = L"InitializeModuleV2";
  if (config.entry == InitializeEntry::V2) {
    status = table.initializeModuleV2(module->handle, config.name.c_str(), config.secondName.c_str(), count,
                                      names.data(), values.data(), this, &Modules::unloadCallback,
                                      bus_.handle(), bus_.functions());
  } else {
    entry = L"InitializeModule";
    status = table.initializeModule(module->handle, config.name.c_str(), config.secondName.c_str(), count,
                                    names.data(), values.data(), this, &Modules::unloadCallback);
  }
  if (status == Ledra::MODULE_STATUS_SUCCESS) {
    entry = L"StartModule";
    status = table.startModule(module->handle);
  }
  if (status != Ledra::MODULE_STATUS_SUCCESS) {
    const std::wstring text = config.name + L" failed: " + entry + L" answered " + statusText(status);
    // Whatever the module set up before failing is taken down the usual way.
    table.stopModule(module->handle);
    table.uninitializeModule(module->handle);
    table.destroyModule(module->handle);
    module->handle = nullptr;
    release(*module);
    return failed(config.name, text);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The new life replaces an unloaded one of the same name, so that a host
    // that loads and unloads a module again and again does not grow.
    modules_.erase(std::remove_if(modules_.begin(), modules_.end(),
                                  [&](const std::shared_ptr<Loaded>& existing) {
                                    return existing->name == config.name &&
                                           existing->state == State::Unloaded;
                                  }),
                   modules_.end());
    modules_.push_back(module);
  }
  output_.line(L"host: started " + config.name + L" (" + config.library + L", " +
               (config.entry == InitializeEntry::V2 ? L"InitializeModuleV2" : L"InitializeModule") + L", " +
               std::to_wstring(count) + (count == 1 ? L" setting)" : L" settings)"));
  if (observer_) observer_(ModuleEvent{config.name, true, L"started"});
  return true;
}

bool Modules::direct(const std::wstring& name, const std::wstring& message, const std::wstring& payload,
                     uint32_t& status) {
  const std::shared_ptr<Loaded> module = find(name);
  if (!module) return false;
  std::lock_guard<std::mutex> calls(module->calls);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (module->state != State::Running) return false;
  }
  const Ledra::MessageHeader header = HostBus::makeHeader(message, kHostSender, payload);
  status =
      module->table->directMessage(module->handle, &header, message.c_str(), kHostSender, payload.c_str());
  return true;
}

bool Modules::unload(const std::wstring& name, const wchar_t* reason) {
  std::shared_ptr<Loaded> module;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& candidate : modules_) {
      if (candidate->name == name && candidate->state == State::Running) module = candidate;
    }
    if (!module) return false;
    module->state = State::Unloading;
  }
  shutDown(*module, reason);
  return true;
}

bool Modules::waitUnloaded(const std::wstring& name, uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] {
    bool any = false;
    for (const auto& module : modules_) {
      if (module->name != name) continue;
      any = true;
      if (module->state != State::Unloaded) return false;
    }
    return any;
  });
}

void Modules::unloadAll() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (unloadThread_.joinable()) unloadThread_.join();
  for (;;) {
    std::shared_ptr<Loaded> last;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const auto& module : modules_) {
        if (module->state == State::Running) last = module;
      }
      if (!last) return;
      last->state = State::Unloading;
    }
    shutDown(*last, L"host exit");
  }
}

uint32_t Modules::unloadCallback(void* context, const wchar_t* moduleName, void* reserved) {
  Modules* self = static_cast<Modules*>(context);
  if (!self || !moduleName) return Ledra::MODULE_STATUS_INVALID_PARAMETER;
  if (self->unloadObserver_) self->unloadObserver_(moduleName, reserved);
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    bool running = false;
    for (const auto& module : self->modules_) {
      if (module->name == moduleName && module->state == State::Running) running = true;
    }
    if (!running) return Ledra::MODULE_STATUS_NOT_FOUND;
    if (self->stopping_) return Ledra::MODULE_STATUS_SUCCESS;  // the host unloads everything anyway
    self->unloadRequests_.emplace_back(moduleName);
  }
  // Nothing else here: the caller is one of the module's own threads.
  self->changed_.notify_all();
  return Ledra::MODULE_STATUS_SUCCESS;
}

void Modules::unloadThreadMain() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !unloadRequests_.empty(); });
    if (unloadRequests_.empty()) return;
    const std::wstring name = unloadRequests_.front();
    unloadRequests_.pop_front();
    std::shared_ptr<Loaded> module;
    for (const auto& candidate : modules_) {
      if (candidate->name == name && candidate->state == State::Running) module = candidate;
    }
    if (!module) continue;
    module->state = State::Unloading;
    lock.unlock();
    output_.line(L"host: " + name + L" asked to be unloaded");
    shutDown(*module, L"asked by the module");
    lock.lock();
  }
}

std::shared_ptr<Modules::Loaded> Modules::find(const std::wstring& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& module : modules_) {
    if (module->name == name && module->state == State::Running) return module;
  }
  return nullptr;
}

void Modules::shutDown(Loaded& module, const wchar_t* reason) {
  std::wstring problems;
  {
    std::lock_guard<std::mutex> calls(module.calls);
    const Ledra::ModuleFunctionTable& table = *module.table;
    const struct {
      const wchar_t* entry;
      Ledra::ModuleLifecycleFn call;
    } steps[] = {{L"StopModule", table.stopModule},
                 {L"UninitializeModule", table.uninitializeModule},
                 {L"DestroyModule", table.destroyModule}};
    for (const auto& step : steps) {
      const uint32_t status = step.call(module.handle);
      if (status != Ledra::MODULE_STATUS_SUCCESS)
        problems += L", " + std::wstring(step.entry) + L" answered " + statusText(status);
    }
    module.handle = nullptr;
    release(module);
  }
  // Printed before anyone waiting for the unload goes on, so the line keeps its place.
  output_.line(L"host: unloaded " + module.name + L" (" + reason + L")" + problems);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    module.state = State::Unloaded;
  }
  changed_.notify_all();
  if (observer_) observer_(ModuleEvent{module.name, false, reason + problems});
}

bool Modules::failed(const std::wstring& module, const std::wstring& text) {
  output_.line(L"host: " + text);
  if (observer_) observer_(ModuleEvent{module, false, text});
  return false;
}

void Modules::release(Loaded& module) {
  if (module.releaseObject && module.table) module.releaseObject(module.table);
  module.table = nullptr;
  if (module.library) ::FreeLibrary(module.library);
  module.library = nullptr;
}

}  // namespace Kiln
