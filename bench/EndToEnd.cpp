// End to end in one process: requests per second through the bus, the
// module's queue and handler, the component and the answer, against a floor
// subscriber that answers from its bus callback; then the private bytes after
// 10,000 and 100,000 requests.
//
// usage: bench_end_to_end [REQUESTS_FOR_RATE [MEMORY_MARK...]]   (marks default to 10000 100000)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "include/BusLibrary.h"
#include "include/ModuleFunctionTable.h"
#include "include/ModuleStatus.h"

namespace {

using Ledra::BusFunctions;
using Ledra::MessageHeader;

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kUpdate[] = L"Core.Firewall.UpdateTrafficController";
constexpr wchar_t kUpdateAnswer[] = L"Core.Firewall.NotifyCUDResult";
constexpr wchar_t kRefresh[] = L"Core.Firewall.RefreshState";
constexpr wchar_t kRefreshAnswer[] = L"Core.Firewall.State";
constexpr wchar_t kFloorRequest[] = L"Bench.Floor.Request";
constexpr wchar_t kFloorAnswer[] = L"Bench.Floor.Answer";

std::wstring binFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, length);
  return text.substr(0, text.find_last_of(L"\\/"));
}

MessageHeader header(const std::wstring& name, const std::wstring& sender, const std::wstring& payload) {
  MessageHeader h;
  std::memset(&h, 0, sizeof(h));
  h.formatMark = 1;
  h.totalLength = Ledra::kMessageHeaderBaseLength +
                  static_cast<uint32_t>(2 * (name.size() + sender.size() + payload.size()));
  h.version = Ledra::kMessageHeaderVersion;
  h.extensionMark = 11;
  h.extensionSize = 8;
  return h;
}

// Counts the answers of one name and wakes the caller when enough came.
struct Counter {
  std::atomic<long> count{0};
  std::atomic<long> target{0};
  HANDLE reached = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  static uint32_t deliver(void* context, const MessageHeader*, const wchar_t*, const wchar_t*,
                          const wchar_t*) {
    Counter* self = static_cast<Counter*>(context);
    if (self->count.fetch_add(1) + 1 == self->target.load()) ::SetEvent(self->reached);
    return 0;
  }
  bool waitFor(long total, DWORD ms) {
    target = total;
    const double deadline = Bench::now() + ms / 1000.0;
    while (count.load() < total) {
      if (Bench::now() > deadline) return false;
      ::WaitForSingleObject(reached, 20);
    }
    return true;
  }
};

// The floor: answers each request from its bus callback, with no queue and no component.
struct Floor {
  const BusFunctions* bus = nullptr;
  void* handle = nullptr;
  static uint32_t deliver(void* context, const MessageHeader*, const wchar_t*, const wchar_t*,
                          const wchar_t* payload) {
    Floor* self = static_cast<Floor*>(context);
    const MessageHeader h = header(kFloorAnswer, L"Floor", payload);
    return self->bus->publish(self->handle, &h, kFloorAnswer, L"Floor", payload);
  }
};

struct LoadedModule {
  HMODULE library = nullptr;
  const Ledra::ModuleFunctionTable* table = nullptr;
  void* handle = nullptr;
};

uint32_t refuseUnload(void*, const wchar_t*, void*) { return Ledra::MODULE_STATUS_NOT_SUPPORTED; }

bool loadModule(const std::wstring& folder, const wchar_t* file, const wchar_t* name,
                std::vector<std::pair<std::wstring, std::wstring>> settings, void* busHandle,
                const BusFunctions* bus, LoadedModule& out) {
  out.library = ::LoadLibraryW((folder + L"\\" + file).c_str());
  if (!out.library) return false;
  const auto create = reinterpret_cast<Ledra::ModuleCreateObjectFn>(
      reinterpret_cast<void*>(::GetProcAddress(out.library, "CreateObject")));
  out.table = create ? create() : nullptr;
  if (!out.table || out.table->newModule(&out.handle, nullptr) != 0) return false;
  std::vector<const wchar_t*> names;
  std::vector<const wchar_t*> values;
  for (const auto& s : settings) {
    names.push_back(s.first.c_str());
    values.push_back(s.second.c_str());
  }
  return out.table->initializeModuleV2(out.handle, name, L"", static_cast<uint32_t>(names.size()),
                                       names.data(), values.data(), nullptr, &refuseUnload, busHandle,
                                       bus) == 0 &&
         out.table->startModule(out.handle) == 0;
}

void unloadModule(LoadedModule& module) {
  if (module.handle) {
    module.table->stopModule(module.handle);
    module.table->uninitializeModule(module.handle);
    module.table->destroyModule(module.handle);
  }
  if (module.library) ::FreeLibrary(module.library);
}

// Publishes `total` requests in windows of `window` and waits for all answers.
double run(const BusFunctions* bus, void* handle, Counter& answers, const wchar_t* name,
           const std::vector<std::wstring>& payloads, long total, long window) {
  answers.count = 0;
  const double start = Bench::now();
  long sent = 0;
  while (sent < total) {
    const long batch = std::min(window, total - sent);
    for (long i = 0; i < batch; ++i) {
      const std::wstring& payload = payloads[static_cast<size_t>(sent + i) % payloads.size()];
      const MessageHeader h = header(name, L"Bench", payload);
      bus->publish(handle, &h, name, L"Bench", payload.c_str());
    }
    sent += batch;
    if (!answers.waitFor(sent, 120000)) return -1;
  }
  return Bench::now() - start;
}

// The component's state file for this run, put back afterwards.
class StateFileSeam {
 public:
  explicit StateFileSeam(const std::wstring& path) {
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKitKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                      nullptr);
    wchar_t old[MAX_PATH];
    DWORD size = sizeof(old);
    had_ = ::RegQueryValueExW(key_, L"StateFile", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == 0;
    if (had_) previous_.assign(old, size / sizeof(wchar_t) > 0 ? size / sizeof(wchar_t) - 1 : 0);
    ::RegSetValueExW(key_, L"StateFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  }
  ~StateFileSeam() {
    if (had_) {
      ::RegSetValueExW(key_, L"StateFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                       static_cast<DWORD>((previous_.size() + 1) * sizeof(wchar_t)));
    } else {
      ::RegDeleteValueW(key_, L"StateFile");
    }
    ::RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  bool had_ = false;
  std::wstring previous_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const long rateRequests = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 2000;
  std::vector<long> marks;
  for (int i = 2; i < argc; ++i) marks.push_back(std::wcstol(argv[i], nullptr, 10));
  if (marks.empty()) marks = {10000, 100000};
  const std::wstring folder = binFolder();
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring model = std::wstring(temp) + L"tarn-bench-model.txt";
  const std::wstring properties = std::wstring(temp) + L"tarn-bench-properties.json";
  ::DeleteFileW(model.c_str());
  StateFileSeam seam(model);

  HMODULE component = ::LoadLibraryW((folder + L"\\BxFWConfig.dll").c_str());
  using RegisterFn = HRESULT(STDAPICALLTYPE*)();
  const auto registerServer = component ? reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(
                                              ::GetProcAddress(component, "DllRegisterServer")))
                                        : nullptr;
  if (!registerServer || registerServer() != S_OK) {
    std::fprintf(stderr, "bench: cannot register BxFWConfig.dll\n");
    return 1;
  }
  ::FreeLibrary(component);

  HMODULE busLibrary = ::LoadLibraryW((folder + L"\\MessageBus.dll").c_str());
  const auto createBus = busLibrary ? reinterpret_cast<Ledra::BusCreateObjectFn>(reinterpret_cast<void*>(
                                          ::GetProcAddress(busLibrary, "CreateObject")))
                                    : nullptr;
  const BusFunctions* bus = createBus ? createBus(Ledra::kBusLibraryVersion) : nullptr;
  void* handle = nullptr;
  void* floorHandle = nullptr;
  if (!bus || bus->create(&handle) != 0 || bus->create(&floorHandle) != 0) {
    std::fprintf(stderr, "bench: no bus\n");
    return 1;
  }
  Counter updateAnswers;
  Counter refreshAnswers;
  Counter floorAnswers;
  Floor floor{bus, floorHandle};
  bus->subscribe(handle, &updateAnswers, &Counter::deliver, kUpdateAnswer);
  bus->subscribe(handle, &refreshAnswers, &Counter::deliver, kRefreshAnswer);
  bus->subscribe(handle, &floorAnswers, &Counter::deliver, kFloorAnswer);
  bus->subscribe(floorHandle, &floor, &Floor::deliver, kFloorRequest);

  LoadedModule settings;
  LoadedModule tarn;
  if (!loadModule(folder, L"SettingsManager.dll", L"SettingsManager", {{L"StateFile", properties}}, handle,
                  bus, settings) ||
      !loadModule(folder, L"TarnModule.dll", L"TarnModule", {}, handle, bus, tarn)) {
    std::fprintf(stderr, "bench: cannot load the modules\n");
    return 1;
  }

  // Which request to measure: the security level when the module handles it.
  const std::vector<std::wstring> levels = {L"{\"traffic_controller\":\"stealth\"}",
                                            L"{\"traffic_controller\":\"smart_access\"}"};
  const std::vector<std::wstring> empty = {L"{}"};
  updateAnswers.count = 0;
  const MessageHeader probe = header(kUpdate, L"Bench", levels[0]);
  bus->publish(handle, &probe, kUpdate, L"Bench", levels[0].c_str());
  const bool updateHandled = updateAnswers.waitFor(1, 3000);
  const wchar_t* request = updateHandled ? kUpdate : kRefresh;
  Counter& answers = updateHandled ? updateAnswers : refreshAnswers;
  const std::vector<std::wstring>& payloads = updateHandled ? levels : empty;
  const std::string note = updateHandled
                               ? ""
                               : "Core.Firewall.UpdateTrafficController has no handler in this build; "
                                 "measured Core.Firewall.RefreshState instead";
  const std::string requestName =
      updateHandled ? "Core.Firewall.UpdateTrafficController" : "Core.Firewall.RefreshState";

  const long window = 100;
  run(bus, handle, answers, request, payloads, 200, window);  // warm-up
  const double moduleSeconds = run(bus, handle, answers, request, payloads, rateRequests, window);
  run(bus, handle, floorAnswers, kFloorRequest, payloads, 200, window);
  const double floorSeconds = run(bus, handle, floorAnswers, kFloorRequest, payloads, rateRequests, window);
  const double modulePerSecond = moduleSeconds > 0 ? rateRequests / moduleSeconds : 0;
  const double floorPerSecond = floorSeconds > 0 ? rateRequests / floorSeconds : 0;
  std::vector<std::string> moduleFields = {
      Bench::field("request", requestName), Bench::field("requests", static_cast<double>(rateRequests)),
      Bench::field("window", static_cast<double>(window)), Bench::field("seconds", moduleSeconds),
      Bench::field("requests_per_second", modulePerSecond)};
  if (!note.empty()) moduleFields.push_back(Bench::field("note", note));
  Bench::emit("end_to_end", moduleFields);
  Bench::emit("end_to_end_floor",
              {Bench::field("request", std::string("Bench.Floor.Request")),
               Bench::field("requests", static_cast<double>(rateRequests)),
               Bench::field("seconds", floorSeconds), Bench::field("requests_per_second", floorPerSecond)});
  Bench::emit("end_to_end_ratio", {Bench::field("request", requestName),
                                   Bench::field("floor_over_module",
                                                modulePerSecond > 0 ? floorPerSecond / modulePerSecond : 0)});

  // Private bytes after a number of requests through the module, counted from the start.
  long done = 400 + 2 * rateRequests + 1;
  for (const long mark : marks) {
    if (mark > done && run(bus, handle, answers, request, payloads, mark - done, window) < 0) break;
    done = std::max(done, mark);
    Bench::emit("private_bytes", {Bench::field("request", requestName),
                                  Bench::field("after_requests", static_cast<double>(done)),
                                  Bench::field("bytes", static_cast<double>(Bench::privateBytes()))});
  }

  unloadModule(tarn);
  unloadModule(settings);
  bus->release(floorHandle);
  bus->release(handle);
  return 0;
}
