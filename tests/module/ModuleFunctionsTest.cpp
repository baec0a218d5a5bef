// The module function table and its entry points, driven the way a host drives
// them: through the exports of a module library loaded with LoadLibraryExW.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "include/BusLibrary.h"
#include "include/ModuleFunctionTable.h"
#include "include/ModuleStatus.h"
#include "tests/support/LogScope.h"

namespace {

using namespace Ledra;

const std::wstring kGroup = L"module-entry-" + std::to_wstring(GetCurrentProcessId());

// GetProcAddress answers a generic function pointer; the export's own type is ours to know.
template <typename Function>
Function procAs(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

struct Library {
  HMODULE module = nullptr;
  const ModuleFunctionTable* table = nullptr;
  size_t (*journal)(wchar_t*, size_t) = nullptr;
};

Library& probe() {
  static Library library = [] {
    Library l;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    l.module = LoadLibraryExW((folder + L"ProbeModule.dll").c_str(), nullptr, 0);
    if (l.module == nullptr) return l;
    auto create = procAs<ModuleCreateObjectFn>(GetProcAddress(l.module, "CreateObject"));
    l.table = create();
    l.journal = procAs<size_t (*)(wchar_t*, size_t)>(GetProcAddress(l.module, "ProbeJournal"));
    return l;
  }();
  return library;
}

std::wstring takeJournal() {
  std::vector<wchar_t> buffer(1 << 16);
  probe().journal(buffer.data(), buffer.size());
  return buffer.data();
}

// The first call into the library sets the log group, after the test's log.ini
// asks for file, line and function in every line.
class EntryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    tarn_test::writeLogIni(tarn_test::logDirectory(kGroup, L"ProbeModule"), L"Options=0x28\n");
    ASSERT_NE(nullptr, probe().table) << "ProbeModule.dll did not load";
    if (GetFileAttributesW(L"MessageBus.dll") == INVALID_FILE_ATTRIBUTES) return;  // the no-bus run
    void* handle = nullptr;
    ASSERT_EQ(0u, probe().table->newModule(&handle, kGroup.c_str()));
    ASSERT_EQ(0u, probe().table->destroyModule(handle));
    takeJournal();
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new EntryEnvironment);

// A bus library of our own: records subscriptions, publishes nothing.
struct FakeBus {
  std::mutex mutex;
  std::vector<std::wstring> subscribed;
  std::atomic<uint32_t> nextId{1};
};
FakeBus fakeBus;

uint32_t busCreate(void** handle) {
  *handle = &fakeBus;
  return 0;
}
uint32_t busRelease(void*) { return 0; }
uint32_t busPublish(void*, const MessageHeader*, const wchar_t*, const wchar_t*, const wchar_t*) { return 0; }
uint32_t busRequest(void*, uint64_t, void*, BusReplyAdapter, const MessageHeader*, const wchar_t*,
                    const wchar_t*, const wchar_t*, uint32_t) {
  return 0;
}
uint32_t busSubscribe(void*, void*, BusDeliveryAdapter, const wchar_t* name) {
  std::lock_guard<std::mutex> lock(fakeBus.mutex);
  fakeBus.subscribed.push_back(name);
  return fakeBus.nextId++;
}
uint32_t busUnsubscribe(void*, uint32_t) { return 0; }
uint32_t busReleaseReplyAdapter(void*, BusReplyAdapter) { return 0; }
const BusFunctions kFakeBusFunctions = {busCreate,    busRelease,   busPublish,     busRequest,
                                        busSubscribe, busSubscribe, busUnsubscribe, busReleaseReplyAdapter,
                                        busPublish,   busRequest};

struct HostManager {
  std::vector<std::wstring> unloads;
  DWORD thread = 0;
  uint32_t answer = 0;
};
uint32_t hostUnload(void* context, const wchar_t* moduleName, void* reserved) {
  auto* manager = static_cast<HostManager*>(context);
  manager->unloads.push_back(std::wstring(moduleName) + (reserved == nullptr ? L"" : L" reserved!"));
  manager->thread = GetCurrentThreadId();
  return manager->answer;
}

void* newModule() {
  void* handle = nullptr;
  EXPECT_EQ(0u, probe().table->newModule(&handle, nullptr));
  return handle;
}

uint32_t initializeV2(void* handle, const wchar_t* name, HostManager* manager,
                      std::vector<const wchar_t*> names = {}, std::vector<const wchar_t*> values = {}) {
  return probe().table->initializeModuleV2(handle, name, L"second", static_cast<uint32_t>(names.size()),
                                           names.data(), values.data(), manager, hostUnload, &fakeBus,
                                           &kFakeBusFunctions);
}

// Reads the table a module library's CreateObject answers, field by field at its offset.
void expectTableLaidOutAsTheHostReadsIt(HMODULE library) {
  auto create = procAs<ModuleCreateObjectFn>(GetProcAddress(library, "CreateObject"));
  ASSERT_NE(nullptr, create);
  const auto* bytes = reinterpret_cast<const unsigned char*>(create());
  HMODULE owner = nullptr;
  for (size_t offset = 0; offset < 64; offset += 8) {
    const void* entry = *reinterpret_cast<void* const*>(bytes + offset);
    ASSERT_NE(nullptr, entry) << offset;
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCWSTR>(entry), &owner));
    EXPECT_EQ(library, owner) << "entry at offset " << offset << " points outside the module";
    for (size_t other = 0; other < offset; other += 8) {
      EXPECT_NE(entry, *reinterpret_cast<void* const*>(bytes + other)) << offset << " repeats " << other;
    }
  }
  const unsigned char version[24] = {'2', '.', '1', '.', '0'};
  EXPECT_EQ(0, std::memcmp(bytes + 64, version, sizeof(version)));
  uint32_t trailer = 0, reserved = 1;
  std::memcpy(&trailer, bytes + 88, 4);
  std::memcpy(&reserved, bytes + 92, 4);
  EXPECT_EQ(0x0008000Bu, trailer);
  EXPECT_EQ(0u, reserved);

  auto getVersionStr = procAs<ModuleGetVersionStrFn>(GetProcAddress(library, "GetVersionStr"));
  auto getVersionNum = procAs<ModuleGetVersionNumFn>(GetProcAddress(library, "GetVersionNum"));
  EXPECT_EQ(reinterpret_cast<const char*>(bytes + 64), getVersionStr());
  EXPECT_EQ(2001000u, getVersionNum());
}

TEST(ModuleFunctionTable, IsLaidOutByteForByteAsTheHostReadsIt) {
  expectTableLaidOutAsTheHostReadsIt(probe().module);
}

TEST(ModuleFunctionTable, OfTheFirewallModuleLibraryIsTheSame) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.erase(folder.find_last_of(L'\\') + 1);
  HMODULE library = LoadLibraryExW((folder + L"TarnModule.dll").c_str(), nullptr, 0);
  ASSERT_NE(nullptr, library) << "TarnModule.dll did not load: " << GetLastError();
  expectTableLaidOutAsTheHostReadsIt(library);
}

TEST(ModuleExports, AreNamedWithOrdinalsOneToFour) {
  const char* names[] = {"CreateObject", "GetVersionNum", "GetVersionStr", "ReleaseObject"};
  for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
    FARPROC byName = GetProcAddress(probe().module, names[ordinal - 1]);
    ASSERT_NE(nullptr, byName) << names[ordinal - 1];
    EXPECT_EQ(byName, GetProcAddress(probe().module, MAKEINTRESOURCEA(ordinal))) << names[ordinal - 1];
  }
  auto release = procAs<ModuleReleaseObjectFn>(GetProcAddress(probe().module, "ReleaseObject"));
  release(probe().table);  // the table is static: releasing it changes nothing
  EXPECT_EQ('2', probe().table->version[0]);
}

TEST(EntryPoints, RefuseNullHandlesWithTheirOwnLogLine) {
  const tarn_test::LogScope log(tarn_test::logDirectory(kGroup, L"ProbeModule"));
  const ModuleFunctionTable& t = *probe().table;
  struct Case {
    const wchar_t* function;
    int line;
    std::function<uint32_t()> call;
  };
  const Case cases[] = {
      {L"NewModule", 38, [&] { return t.newModule(nullptr, L"x"); }},
      {L"DestroyModule", 68, [&] { return t.destroyModule(nullptr); }},
      {L"InitializeModule", 86,
       [&] { return t.initializeModule(nullptr, L"m", L"s", 0, nullptr, nullptr, nullptr, hostUnload); }},
      {L"StartModule", 127, [&] { return t.startModule(nullptr); }},
      {L"StopModule", 141, [&] { return t.stopModule(nullptr); }},
      {L"UninitializeModule", 155, [&] { return t.uninitializeModule(nullptr); }},
      {L"DirectMessage", 170, [&] { return t.directMessage(nullptr, nullptr, L"n", L"s", L"p"); }},
      {L"InitializeModuleV2", 192,
       [&] {
         return t.initializeModuleV2(nullptr, L"m", L"s", 0, nullptr, nullptr, nullptr, hostUnload, &fakeBus,
                                     &kFakeBusFunctions);
       }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, c.call()) << c.function;
    EXPECT_TRUE(log.has({L"Error", c.line == 38 ? L"Invalid handle address." : L"Invalid handle.",
                         L"ModuleFunctions", c.function, c.line}));
  }
  EXPECT_EQ(L"", takeJournal()) << "a refused call reached the module";
}

TEST(EntryPoints, RunTheModuleLifecycleInTheHostsOrder) {
  HostManager manager;
  void* handle = newModule();
  ASSERT_NE(nullptr, handle);
  const std::vector<const wchar_t*> names = {L"b", L"a"};
  const std::vector<const wchar_t*> values = {L"2", L"1"};
  EXPECT_EQ(0u, initializeV2(handle, L"probe", &manager, names, values));
  EXPECT_EQ(0u, probe().table->startModule(handle));
  EXPECT_EQ(0u, probe().table->stopModule(handle));
  EXPECT_EQ(0u, probe().table->uninitializeModule(handle));
  EXPECT_EQ(0u, probe().table->destroyModule(handle));
  EXPECT_EQ(L"construct\ninitialize probe second {a=1;b=2;}\nstart\nstop\nuninitialize\ndestroy\n",
            takeJournal());
}

TEST(EntryPoints, InitializeWithNoSettingsGivesAnEmptyMap) {
  HostManager manager;
  void* handle = newModule();
  EXPECT_EQ(0u, initializeV2(handle, L"probe", &manager));
  EXPECT_EQ(0u, probe().table->destroyModule(handle));
  EXPECT_EQ(L"construct\ninitialize probe second {}\ndestroy\n", takeJournal());
}

TEST(EntryPoints, TurnAnExceptionFromTheModuleIntoUnknownException) {
  HostManager manager;
  void* handle = newModule();
  EXPECT_EQ(0u, initializeV2(handle, L"throw-on-start", &manager));
  EXPECT_EQ(MODULE_STATUS_UNKNOWN_EXCEPTION, probe().table->startModule(handle));
  EXPECT_EQ(0u, probe().table->destroyModule(handle));
  EXPECT_EQ(std::wstring::npos, takeJournal().find(L"start\n"));
}

TEST(EntryPoints, RefuseAModuleWithoutBusFunctions) {
  HostManager manager;
  void* handle = newModule();
  EXPECT_EQ(MODULE_STATUS_UNKNOWN_EXCEPTION,
            probe().table->initializeModuleV2(handle, L"probe", L"second", 0, nullptr, nullptr, &manager,
                                              hostUnload, &fakeBus, nullptr));
  EXPECT_EQ(0u, probe().table->destroyModule(handle));
  EXPECT_EQ(std::wstring::npos, takeJournal().find(L"initialize")) << "initialize ran without a bus";
}

TEST(EntryPoints, InitializeLoadsTheBusLibraryFromTheHostsFolder) {
  HostManager manager;
  void* handle = newModule();
  ASSERT_NE(nullptr, handle);
  EXPECT_EQ(0u, probe().table->initializeModule(handle, L"probe-v1", L"second", 0, nullptr, nullptr, &manager,
                                                hostUnload));
  EXPECT_EQ(0u, probe().table->destroyModule(handle));
  EXPECT_EQ(L"construct\ninitialize probe-v1 second {}\ndestroy\n", takeJournal());
}

// Run from a folder that holds no MessageBus.dll (and no host installation
// folder in the registry): the module cannot be had at all.
TEST(WithoutBusLibrary, NewModuleFailsAndStoresNoHandle) {
  void* handle = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(MODULE_STATUS_UNKNOWN_EXCEPTION, probe().table->newModule(&handle, nullptr));
  EXPECT_EQ(reinterpret_cast<void*>(0x1234), handle);
  EXPECT_EQ(std::wstring::npos, takeJournal().find(L"construct"));
}

TEST(DirectMessage, ReachesTheModulesSubscriberOnTheCallingThreadWithTheHeaderCopied) {
  HostManager manager;
  void* handle = newModule();
  ASSERT_EQ(0u, initializeV2(handle, L"probe", &manager));
  takeJournal();
  MessageHeader header{};
  header.version = 2;
  header.sessionId = 7;
  EXPECT_EQ(0u, probe().table->directMessage(handle, &header, L"Probe.Direct", L"host", L"{}"));
  EXPECT_EQ(0u, probe().table->directMessage(handle, nullptr, L"Probe.Other", L"host", L"{}"));
  const std::wstring expected =
      L"direct Probe.Direct from host {} session 7 thread " + std::to_wstring(GetCurrentThreadId()) + L"\n";
  EXPECT_EQ(expected, takeJournal());
  EXPECT_EQ(0u, probe().table->destroyModule(handle));
  takeJournal();
}

TEST(DirectMessage, LetsTheModuleAskTheHostToUnloadIt) {
  HostManager manager;
  manager.answer = MODULE_STATUS_NOT_SUPPORTED;
  void* handle = newModule();
  ASSERT_EQ(0u, initializeV2(handle, L"probe-unload", &manager));
  EXPECT_EQ(0u, probe().table->directMessage(handle, nullptr, L"Probe.Direct", L"host", L"unload"));
  ASSERT_EQ(1u, manager.unloads.size());
  EXPECT_EQ(L"probe-unload", manager.unloads[0]);
  EXPECT_NE(std::wstring::npos,
            takeJournal().find(L"unload " + std::to_wstring(MODULE_STATUS_NOT_SUPPORTED)));
  EXPECT_EQ(0u, probe().table->destroyModule(handle));
}

}  // namespace
