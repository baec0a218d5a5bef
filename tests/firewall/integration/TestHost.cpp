#include "tests/firewall/integration/TestHost.h"

#include <objbase.h>

#include <algorithm>
#include <iterator>

#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "tests/support/LogFiles.h"

namespace tarn_integration {

const wchar_t kLogGroup[] = L"firewall_integration";

namespace {

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";
constexpr wchar_t kStateFileValue[] = L"StateFile";
constexpr wchar_t kServiceName[] = L"SettingsManager";

// An export as the function type it has (through void* so the compiler accepts the cast).
template <typename Fn>
Fn exportOf(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::wstring binFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring tempFile(const wchar_t* what) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + uniqueMarker(what) + L".txt";
}

bool setMachineText(const wchar_t* name, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

std::wstring uniqueMarker(const wchar_t* what) {
  static std::atomic<unsigned> counter{0};
  return std::wstring(L"fwint_") + what + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(GetTickCount64()) + L"_" + std::to_wstring(++counter);
}

// ---- BusRecorder ----

unsigned long BusRecorder::record(const std::shared_ptr<Ledra::Message>& message) {
  if (!message) return 0;
  SeenMessage seen;
  seen.name = message->getName();
  seen.sender = message->getSender();
  seen.payload = message->getPayload();
  if (const Ledra::MessageHeader* header = message->getHeader()) {
    seen.flags = header->flags;
    seen.sessionId = header->sessionId;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  seen.sequence = nextSequence_();
  seen_.push_back(std::move(seen));
  changed_.notify_all();
  return 0;
}

bool BusRecorder::waitFor(const std::wstring& name, uint64_t after, const Accept& accept,
                          SeenMessage* found) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, kPatience, [&] {
    for (const SeenMessage& seen : seen_) {
      if (seen.sequence > after && seen.name == name && (!accept || accept(seen))) {
        if (found != nullptr) *found = seen;
        return true;
      }
    }
    return false;
  });
}

std::vector<SeenMessage> BusRecorder::named(const std::wstring& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<SeenMessage> matching;
  std::copy_if(seen_.begin(), seen_.end(), std::back_inserter(matching),
               [&](const SeenMessage& seen) { return seen.name == name; });
  return matching;
}

// ---- HostThread ----

HostThread::HostThread() {
  std::unique_lock<std::mutex> lock(mutex_);
  thread_ = std::thread(&HostThread::main, this);
  changed_.wait(lock, [this] { return id_ != 0; });
}

HostThread::~HostThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

uint32_t HostThread::run(std::function<uint32_t()> task) {
  std::mutex doneMutex;
  std::condition_variable doneChanged;
  bool done = false;
  uint32_t result = 0;
  post([&] {
    const uint32_t status = task();
    std::lock_guard<std::mutex> lock(doneMutex);
    result = status;
    done = true;
    doneChanged.notify_all();
  });
  // Never abandoned: the task refers to this frame.
  std::unique_lock<std::mutex> lock(doneMutex);
  doneChanged.wait(lock, [&] { return done; });
  return result;
}

void HostThread::post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  changed_.notify_all();
}

void HostThread::main() {
  std::unique_lock<std::mutex> lock(mutex_);
  id_ = GetCurrentThreadId();
  changed_.notify_all();
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
    if (tasks_.empty()) return;  // stopping, with nothing left to do
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
}

// ---- TestHost ----

TestHost::TestHost() {
  comEntered_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  hostThread_ = std::make_unique<HostThread>();
  setUpComponent();
  if (failure_.empty()) setUpBus();
  if (failure_.empty()) setUpModules();
}

TestHost::~TestHost() {
  hostThread_->run([this] {
    teardownFirewall();
    teardownService();
    return 0u;
  });
  hostThread_.reset();
  settingsClient_.reset();
  client_.reset();
  shim_.reset();
  recorder_.reset();
  if (testBusHandle_ != nullptr) busTable_->release(testBusHandle_);
  if (hostBusHandle_ != nullptr) busTable_->release(hostBusHandle_);
  firewallLibrary_.reset();
  serviceLibrary_.reset();
  component_.reset();

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  if (hadStateFile_) {
    setMachineText(kStateFileValue, previousStateFile_);
  } else {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, kStateFileValue);
  }
  DeleteFileW(componentStateFile_.c_str());
  DeleteFileW(serviceStateFile_.c_str());
  if (comEntered_) CoUninitialize();
}

::testing::AssertionResult TestHost::ready() const {
  if (failure_.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << failure_;
}

void TestHost::fail(const std::string& what) {
  if (failure_.empty()) failure_ = what;
}

void TestHost::setUpComponent() {
  wchar_t previous[MAX_PATH] = {};
  DWORD size = sizeof(previous);
  hadStateFile_ = RegGetValueW(HKEY_LOCAL_MACHINE, kKitKey, kStateFileValue, RRF_RT_REG_SZ, nullptr, previous,
                               &size) == ERROR_SUCCESS;
  previousStateFile_ = previous;
  componentStateFile_ = tempFile(L"component");
  serviceStateFile_ = tempFile(L"properties");
  if (!setMachineText(kStateFileValue, componentStateFile_)) return fail("cannot set the kit's StateFile");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);

  component_.reset(LoadLibraryW((binFolder() + L"BxFWConfig.dll").c_str()));
  if (!component_) return fail("BxFWConfig.dll not loadable: " + std::to_string(GetLastError()));
  using RegisterFn = HRESULT(STDAPICALLTYPE*)();
  const auto registerServer = exportOf<RegisterFn>(component_.get(), "DllRegisterServer");
  if (registerServer == nullptr || FAILED(registerServer()))
    return fail("DllRegisterServer of BxFWConfig failed");
}

void TestHost::setUpBus() {
  busLibrary_.reset(LoadLibraryW((binFolder() + L"MessageBus.dll").c_str()));
  if (!busLibrary_) return fail("MessageBus.dll not loadable: " + std::to_string(GetLastError()));
  const auto create = exportOf<Ledra::BusCreateObjectFn>(busLibrary_.get(), "CreateObject");
  busTable_ = create == nullptr ? nullptr : create(Ledra::kBusLibraryVersion);
  if (busTable_ == nullptr) return fail("MessageBus.dll answers no function table");
  if (busTable_->create(&hostBusHandle_) != 0) {
    hostBusHandle_ = nullptr;
    return fail("no host bus handle");
  }
  if (busTable_->create(&testBusHandle_) != 0) {
    testBusHandle_ = nullptr;
    return fail("no test bus handle");
  }
  shim_ = std::make_shared<Ledra::MessageBusShimImpl>(testBusHandle_, busTable_);
  client_ = std::make_shared<Ledra::MessageBusClient>(shim_);
  recorder_ = std::make_unique<BusRecorder>([this] { return nextSequence(); });
  BusRecorder* recorder = recorder_.get();
  if (client_->subscribeFilter(L".*", [recorder](std::shared_ptr<Ledra::Message> message) {
        return recorder->record(message);
      }) != 0) {
    return fail("the test's recorder could not subscribe");
  }
  settingsClient_ = std::make_unique<Ledra::SettingsManagerClient>(client_);
}

void TestHost::setUpModules() {
  const std::wstring folder = binFolder();
  serviceLibrary_.reset(LoadLibraryExW((folder + L"SettingsManager.dll").c_str(), nullptr, 0));
  firewallLibrary_.reset(LoadLibraryExW((folder + L"TarnModule.dll").c_str(), nullptr, 0));
  if (!serviceLibrary_ || !firewallLibrary_) return fail("a module library is not loadable");
  const auto serviceCreate = exportOf<Ledra::ModuleCreateObjectFn>(serviceLibrary_.get(), "CreateObject");
  const auto firewallCreate = exportOf<Ledra::ModuleCreateObjectFn>(firewallLibrary_.get(), "CreateObject");
  serviceTable_ = serviceCreate == nullptr ? nullptr : serviceCreate();
  firewallTable_ = firewallCreate == nullptr ? nullptr : firewallCreate();
  if (serviceTable_ == nullptr || firewallTable_ == nullptr)
    return fail("a module library has no function table");
  // The firewall module's start looks for the property service, so it runs first.
  const uint32_t status = hostThread_->run([this] { return startService(); });
  if (status != 0) fail("the settings-manager service did not start: " + std::to_string(status));
}

uint32_t TestHost::startService() {
  uint32_t status = serviceTable_->newModule(&serviceHandle_, kLogGroup);
  if (status != 0) return status;
  const wchar_t* names[] = {L"StateFile"};
  const wchar_t* values[] = {serviceStateFile_.c_str()};
  status = serviceTable_->initializeModuleV2(serviceHandle_, kServiceName, L"", 1, names, values, this,
                                             &TestHost::onServiceUnload, hostBusHandle_, busTable_);
  return status != 0 ? status : serviceTable_->startModule(serviceHandle_);
}

void TestHost::teardownService() {
  if (serviceHandle_ == nullptr) return;
  serviceTable_->stopModule(serviceHandle_);
  serviceTable_->uninitializeModule(serviceHandle_);
  serviceTable_->destroyModule(serviceHandle_);
  serviceHandle_ = nullptr;
}

uint32_t TestHost::startFirewall(const HostSettings& settings, InitForm form) {
  if (!failure_.empty()) return Ledra::MODULE_STATUS_INVALID_STATE;
  return hostThread_->run([&]() -> uint32_t {
    if (firewallHandle_ != nullptr) return Ledra::MODULE_STATUS_DUPLICATE_MODULE;
    {
      std::lock_guard<std::mutex> lock(unloadMutex_);
      firewallGone_ = false;
    }
    firewallStopped_ = false;
    uint32_t status = firewallTable_->newModule(&firewallHandle_, kLogGroup);
    if (status != 0) return status;
    std::vector<const wchar_t*> names;
    std::vector<const wchar_t*> values;
    for (const auto& setting : settings) {
      names.push_back(setting.first.c_str());
      values.push_back(setting.second.c_str());
    }
    const auto count = static_cast<uint32_t>(settings.size());
    if (form == InitForm::WithHostBus) {
      status = firewallTable_->initializeModuleV2(firewallHandle_, moduleName_.c_str(), L"", count,
                                                  names.data(), values.data(), this, &TestHost::onUnload,
                                                  hostBusHandle_, busTable_);
    } else {
      status = firewallTable_->initializeModule(firewallHandle_, moduleName_.c_str(), L"", count,
                                                names.data(), values.data(), this, &TestHost::onUnload);
    }
    return status != 0 ? status : firewallTable_->startModule(firewallHandle_);
  });
}

uint32_t TestHost::stopFirewall() {
  return hostThread_->run([this]() -> uint32_t {
    if (firewallHandle_ == nullptr) return Ledra::MODULE_STATUS_INVALID_STATE;
    firewallStopped_ = true;
    return firewallTable_->stopModule(firewallHandle_);
  });
}

uint32_t TestHost::unloadFirewall() {
  hostThread_->run([this] {
    teardownFirewall();
    return 0u;
  });
  return teardownStatus();
}

uint32_t TestHost::directMessage(const std::wstring& name, const std::wstring& sender,
                                 const std::wstring& payload) {
  return hostThread_->run([&]() -> uint32_t {
    if (firewallHandle_ == nullptr) return Ledra::MODULE_STATUS_INVALID_STATE;
    return firewallTable_->directMessage(firewallHandle_, nullptr, name.c_str(), sender.c_str(),
                                         payload.c_str());
  });
}

void TestHost::teardownFirewall() {
  if (firewallHandle_ == nullptr) return;
  uint32_t status = firewallStopped_ ? 0u : firewallTable_->stopModule(firewallHandle_);
  const uint32_t uninitialized = firewallTable_->uninitializeModule(firewallHandle_);
  if (status == 0) status = uninitialized;
  const uint32_t destroyed = firewallTable_->destroyModule(firewallHandle_);
  if (status == 0) status = destroyed;
  firewallHandle_ = nullptr;
  std::lock_guard<std::mutex> lock(unloadMutex_);
  teardownStatus_ = status;
  firewallGone_ = true;
  unloadChanged_.notify_all();
}

// The module asks on one of its own threads, which may hold its watchdog lock:
// record the call and leave the unloading to the host thread.
uint32_t TestHost::onUnload(void* context, const wchar_t* moduleName, void* reserved) {
  static_cast<TestHost*>(context)->recordUnload(moduleName, reserved);
  return 0;
}

uint32_t TestHost::onServiceUnload(void*, const wchar_t*, void*) { return 0; }

void TestHost::recordUnload(const wchar_t* moduleName, void* reserved) {
  UnloadCall call;
  call.threadId = GetCurrentThreadId();
  call.sequence = nextSequence();
  call.moduleName = moduleName != nullptr ? moduleName : L"";
  call.reservedWasNull = reserved == nullptr;
  {
    std::lock_guard<std::mutex> lock(unloadMutex_);
    unloadCalls_.push_back(std::move(call));
    unloadChanged_.notify_all();
  }
  if (unloadWhenAsked_) hostThread_->post([this] { teardownFirewall(); });
}

bool TestHost::waitForUnloadCalls(size_t count) {
  std::unique_lock<std::mutex> lock(unloadMutex_);
  return unloadChanged_.wait_for(lock, kPatience, [&] { return unloadCalls_.size() >= count; });
}

std::vector<UnloadCall> TestHost::unloadCalls() const {
  std::lock_guard<std::mutex> lock(unloadMutex_);
  return unloadCalls_;
}

bool TestHost::waitUntilFirewallGone() {
  std::unique_lock<std::mutex> lock(unloadMutex_);
  return unloadChanged_.wait_for(lock, kPatience, [&] { return firewallGone_; });
}

uint32_t TestHost::teardownStatus() const {
  std::lock_guard<std::mutex> lock(unloadMutex_);
  return teardownStatus_;
}

// ---- WorkerLog ----

namespace {
constexpr wchar_t kModuleBase[] = L"TarnModule";
}  // namespace

WorkerLog::WorkerLog() : directory_(tarn_test::logDirectory(kLogGroup, kModuleBase)) {}

void WorkerLog::enableAllSeverities() {
  tarn_test::writeLogIni(tarn_test::logDirectory(kLogGroup, kModuleBase), L"Severity=1\n");
}

bool WorkerLog::has(const std::wstring& name, const std::wstring& marker) const {
  const std::wstring taken = L"TARN Module worker is processing " + name + L" with payload ";
  for (const std::wstring& line : tarn_test::readLogFolder(directory_)) {
    const size_t at = line.find(taken);
    if (at != std::wstring::npos && line.find(marker, at + taken.size()) != std::wstring::npos) return true;
  }
  return false;
}

namespace {

// Owns a change notification of a folder.
class FolderWatch {
 public:
  explicit FolderWatch(const std::wstring& folder)
      : handle_(FindFirstChangeNotificationW(
            folder.c_str(), FALSE,
            FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME)) {}
  ~FolderWatch() {
    if (handle_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(handle_);
  }
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Waits for a change, at most the given time, and re-arms.
  void waitForChange(DWORD milliseconds) {
    if (handle_ == INVALID_HANDLE_VALUE) {
      // No notification for this folder: the bounded wait alone paces the reads.
      WaitForSingleObject(GetCurrentProcess(), milliseconds);
      return;
    }
    if (WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0) FindNextChangeNotification(handle_);
  }

 private:
  HANDLE handle_;
};

}  // namespace

bool WorkerLog::waitFor(const std::wstring& name, const std::wstring& marker) const {
  // Woken by changes in the log folder; the bounded wait also covers a change
  // that came between reading and re-arming the notification.
  FolderWatch watch(directory_);
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  bool found = has(name, marker);
  while (!found && std::chrono::steady_clock::now() < deadline) {
    watch.waitForChange(200);
    found = has(name, marker);
  }
  return found;
}

}  // namespace tarn_integration
