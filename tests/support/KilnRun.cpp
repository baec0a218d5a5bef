#include "tests/support/KilnRun.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "kit/Kiln/Text.h"
#include "tests/support/LogScope.h"

namespace tarn_test {
namespace {

constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";
constexpr wchar_t kWorkerTook[] = L"TARN Module worker is processing ";

}  // namespace

std::wstring uniqueMarker(const wchar_t* what) {
  static std::atomic<unsigned> counter{0};
  return std::wstring(L"run_") + what + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(GetTickCount64()) + L"_" + std::to_wstring(++counter);
}

KilnRun::KilnRun(const RunOptions& options)
    : comEntered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  work_ = temp + uniqueMarker(L"kiln");
  CreateDirectoryW(work_.c_str(), nullptr);
  // A fault in any thread ends the program at once with its code; under Wine an unhandled one would
  // start a debugger and leave the test waiting until its time limit.
  AddVectoredExceptionHandler(1, [](EXCEPTION_POINTERS* fault) -> LONG {
    const DWORD code = fault->ExceptionRecord->ExceptionCode;
    if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_STACK_OVERFLOW &&
        code != EXCEPTION_ILLEGAL_INSTRUCTION && code != EXCEPTION_INT_DIVIDE_BY_ZERO) {
      return EXCEPTION_CONTINUE_SEARCH;
    }
    std::fprintf(stderr, "kiln run: exception 0x%08lX at %p; ending the program\n",
                 static_cast<unsigned long>(code), fault->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_CONTINUE_SEARCH;
  });
  std::signal(SIGABRT, [](int) {
    std::fputs("kiln run: the program was aborted\n", stderr);
    TerminateProcess(GetCurrentProcess(), 3);  // no library detach: one may wait for threads that are gone
  });
  logFolder_ = logDirectory(options.logGroup, L"TarnModule");
  if (!options.logIni.empty()) {
    for (const wchar_t* file : {L"TarnModule000.log", L"TarnModule001.log", L"TarnModule002.log"})
      DeleteFileW((logFolder_ + file).c_str());
    writeLogIni(logFolder_, options.logIni);
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);

  Kiln::HostConfig config;
  config.comServers = {L"BxFWConfig.dll"};
  config.registry = {{L"SOFTWARE\\Brenix\\FirewallKit", L"StateFile", work_ + L"\\model.txt"}};
  Kiln::ModuleConfig service;
  service.name = L"SettingsManager";
  service.library = L"SettingsManager.dll";
  service.logGroup = options.logGroup;
  service.settings = {{L"StateFile", work_ + L"\\properties.json"}};
  firewall_.name = kFirewall;
  firewall_.library = L"TarnModule.dll";
  firewall_.logGroup = options.logGroup;
  firewall_.entry = options.entry;
  if (!options.idleMs.empty()) firewall_.settings = {{L"Tarn.IdleUnloadMilliseconds", options.idleMs}};
  config.modules = {service};

  host_ = std::make_unique<Kiln::HostRun>(config, work_ + L"\\console.txt");
  if (!host_->failure().empty()) return;
  host_->modules().observeUnloadRequests([this](const wchar_t* module, void* reserved) {
    std::lock_guard<std::mutex> lock(unloadMutex_);
    unloadCalls_.push_back({GetCurrentThreadId(), tick(), module, reserved == nullptr});
  });
  probe_ = std::make_unique<Kiln::BusProbe>(host_->bus());
  // The firewall module last: its start reads the property from the service.
  host_->modules().load(firewall_);
}

KilnRun::~KilnRun() {
  probe_.reset();
  host_.reset();
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  for (const wchar_t* file : {L"\\model.txt", L"\\properties.json", L"\\console.txt"})
    DeleteFileW((work_ + file).c_str());
  RemoveDirectoryW(work_.c_str());
  if (comEntered_) CoUninitialize();
}

::testing::AssertionResult KilnRun::ready() const {
  if (!host_->failure().empty())
    return ::testing::AssertionFailure() << "host: " << Kiln::toUtf8(host_->failure());
  if (!probe_ || !probe_->ready()) return ::testing::AssertionFailure() << "the probe has no subscription";
  for (const std::wstring& line : host_->lines()) {
    if (line.rfind(L"host: started " + std::wstring(kFirewall), 0) == 0) return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "the firewall module did not start";
}

std::vector<UnloadCall> KilnRun::unloadCalls() const {
  std::lock_guard<std::mutex> lock(unloadMutex_);
  return unloadCalls_;
}

std::vector<std::wstring> KilnRun::logLines() const { return readLogFolder(logFolder_); }

bool KilnRun::workerTook(const std::wstring& name, const std::wstring& marker) const {
  const std::wstring took = kWorkerTook + name + L" with payload ";
  for (const std::wstring& line : logLines()) {
    const size_t at = line.find(took);
    if (at != std::wstring::npos && line.find(marker, at + took.size()) != std::wstring::npos) return true;
  }
  return false;
}

bool KilnRun::waitForWorker(const std::wstring& name, const std::wstring& marker) const {
  // Polls the log files: the logger offers no signal, and a line is written within milliseconds.
  for (const ULONGLONG deadline = GetTickCount64() + kPatienceMs; GetTickCount64() < deadline; Sleep(50)) {
    if (workerTook(name, marker)) return true;
  }
  return false;
}

}  // namespace tarn_test
