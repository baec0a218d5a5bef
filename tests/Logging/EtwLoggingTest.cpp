// The ETW back end with a fake provider API, its settings, and the choice of back end.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Logging/ETWLogging.h"
#include "Logging/LogBuilder.h"
#include "Logging/LogPaths.h"
#include "tests/support/ScratchKey.h"
#include "wrappers/ScopedHandle.h"

namespace {

using namespace ETWLogging;

std::vector<uint8_t> bytesOf(const void* data, size_t size) {
  const auto* begin = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(begin, begin + size);
}

// Records what the provider hands to the system; the data blocks are copied
// at the call, since they live only as long as the event.
class FakeEtwApi : public IEtwApi {
 public:
  struct Traced {
    TRACEHANDLE session;
    std::vector<uint8_t> header, record, message;
  };
  WMIDPREQUEST callback = nullptr;
  void* context = nullptr;
  GUID provider = {};
  GUID eventClass = {};
  std::vector<Traced> traced;
  int unregistered = 0;

  ULONG registerTraceGuids(WMIDPREQUEST cb, void* ctx, const GUID& guid, TRACE_GUID_REGISTRATION& reg,
                           TRACEHANDLE* handle) override {
    callback = cb;
    context = ctx;
    provider = guid;
    eventClass = *reg.Guid;
    *handle = 0x77;
    return ERROR_SUCCESS;
  }
  ULONG traceEvent(TRACEHANDLE session, EVENT_TRACE_HEADER* header) override {
    const auto* fields = reinterpret_cast<const MOF_FIELD*>(header + 1);
    traced.push_back({session, bytesOf(header, header->Size),
                      bytesOf(reinterpret_cast<const void*>(fields[0].DataPtr), fields[0].Length),
                      bytesOf(reinterpret_cast<const void*>(fields[1].DataPtr), fields[1].Length)});
    return ERROR_SUCCESS;
  }
  TRACEHANDLE getTraceLoggerHandle(void* buffer) override { return buffer != nullptr ? 0xABCD : 0; }
  UCHAR getTraceEnableLevel(TRACEHANDLE) override { return 4; }
  ULONG getTraceEnableFlags(TRACEHANDLE) override { return 1; }
  ULONG unregisterTraceGuids(TRACEHANDLE handle) override {
    unregistered += handle == 0x77 ? 1 : 100;
    return ERROR_SUCCESS;
  }
};

using tarn_test::ScratchKey;

TEST(EtwEvent, RecordAndHeaderBytesAreExact) {
  EventIdentity identity;
  identity.processValue = 0x01020304;
  const wchar_t* texts[4] = {L"G", L"H", L"M", L"P"};
  for (int i = 0; i < 4; ++i) identity.texts[i] = texts[i];
  identity.value = 0x1122334455667788ull;
  EtwEvent event;
  buildEtwEvent(event, 4, identity, 0x0A0B0C0D, L"f.cpp", L"F::g", 42, L"caf\u00e9");

  const std::vector<uint8_t> record = {
      0x04, 0x03, 0x02, 0x01, 0x0D, 0x0C, 0x0B, 0x0A,                  // process value, thread id
      1,    0,    'G',  0,                                             // identity slot 1
      5,    0,    'f',  0,    '.',  0,    'c',  0,    'p', 0, 'p', 0,  // file
      4,    0,    'F',  0,    ':',  0,    ':',  0,    'g', 0,          // function
      42,   0,    0,    0,                                             // line
      1,    0,    'H',  0,    1,    0,    'M',  0,    1,   0, 'P', 0,  // identity slots 2 to 4
      0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};                 // 8-byte value
  EXPECT_EQ(event.record, record);
  EXPECT_EQ(event.message, std::string("caf\xC3\xA9"));

  const std::vector<uint8_t> header = bytesOf(&event.traced, sizeof(event.traced));
  ASSERT_EQ(header.size(), 80u);
  EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.begin() + 8),
            (std::vector<uint8_t>{80, 0, 0, 0, 1, 4, 2, 0}));  // size, type, level, version
  EXPECT_EQ(std::vector<uint8_t>(header.begin() + 24, header.begin() + 40),
            (std::vector<uint8_t>{0xD0, 0xAA, 0x1D, 0xCD, 0xCC, 0x54, 0xE0, 0x11, 0xB8, 0xAF, 0x08, 0x00,
                                  0x20, 0x0C, 0x9A, 0x66}));
  EXPECT_EQ(std::vector<uint8_t>(header.begin() + 44, header.begin() + 48),
            (std::vector<uint8_t>{0x00, 0x00, 0x12, 0x00}));
  EXPECT_EQ(event.traced.fields[0].DataPtr, reinterpret_cast<ULONG64>(event.record.data()));
  EXPECT_EQ(event.traced.fields[0].Length, record.size());
  EXPECT_EQ(event.traced.fields[1].DataPtr, reinterpret_cast<ULONG64>(event.message.data()));
  EXPECT_EQ(event.traced.fields[1].Length, 5u);
}

TEST(EtwEvent, LevelMappingAndMessageLimit) {
  const UCHAR expected[] = {3, 1, 2, 3, 4, 5, 3, 3};  // severities 0 to 7
  for (uint32_t severity = 0; severity < 8; ++severity) EXPECT_EQ(eventLevel(severity), expected[severity]);
  EtwEvent event;
  const std::wstring longMessage(3000, L'x');
  buildEtwEvent(event, 1, EventIdentity(), 1, L"", L"", 0, longMessage.c_str());
  EXPECT_EQ(event.message.size(), 2080u);
}

TEST(EtwLogging, SendsEventsOnlyWhileASessionIsEnabled) {
  auto api = std::make_shared<FakeEtwApi>();
  ScratchKey key(L"Session");
  {
    CETWLogging logger(api, key.path());
    ASSERT_EQ(logger.initializeEx(0x55, L"Firewall", nullptr, L"Kiln"), 0u);
    EXPECT_EQ(logger.initialize(L"Firewall", nullptr, nullptr), 20001u);
    EXPECT_EQ(api->context, &logger);
    EXPECT_TRUE(IsEqualGUID(api->eventClass, kEventClassGuid));
    EXPECT_TRUE(IsEqualGUID(api->provider, logger.properties().providerId));

    EXPECT_EQ(logger.log(4, L"a.cpp", L"A::b", 7, L"before"), 0u);
    EXPECT_TRUE(api->traced.empty());

    int enableContext = 0;
    EXPECT_EQ(api->callback(WMI_ENABLE_EVENTS, api->context, nullptr, &enableContext), 0u);
    EXPECT_EQ(logger.log(6, L"a.cpp", L"A::b", 7, L"during"), 0u);
    ASSERT_EQ(api->traced.size(), 1u);
    EXPECT_EQ(api->traced[0].session, 0xABCDu);
    EXPECT_EQ(api->traced[0].header[5], 3);  // severity 6 is traced at level 3
    // The event carries the identity: the process, the group and host, the
    // module twice (it is the program here), the value; and the calling thread.
    const std::wstring module = moduleBaseName(nullptr);
    EventIdentity identity;
    identity.processValue = ::GetCurrentProcessId();
    const wchar_t* texts[4] = {L"Firewall", L"Kiln", module.c_str(), module.c_str()};
    std::copy(texts, texts + 4, identity.texts);
    identity.value = 0x55;
    EtwEvent expected;
    buildEtwEvent(expected, 6, identity, ::GetCurrentThreadId(), L"a.cpp", L"A::b", 7, L"during");
    EXPECT_EQ(api->traced[0].record, expected.record);
    EXPECT_EQ(api->traced[0].message, bytesOf("during", 6));

    EXPECT_EQ(api->callback(WMI_DISABLE_EVENTS, api->context, nullptr, nullptr), 0u);
    EXPECT_EQ(logger.log(4, L"a.cpp", L"A::b", 7, L"after"), 0u);
    EXPECT_EQ(api->traced.size(), 1u);
    for (WMIDPREQUESTCODE other : {WMI_GET_ALL_DATA, WMI_SET_SINGLE_ITEM, WMI_ENABLE_COLLECTION}) {
      EXPECT_EQ(api->callback(other, api->context, nullptr, nullptr), 87u) << other;
    }
  }
  EXPECT_EQ(api->unregistered, 1);
}

TEST(EtwLogging, ThresholdComesFromRegistryAndInformationIsAlwaysOn) {
  ScratchKey key(L"Threshold");
  key.setDword(L"Severity", 5);
  CETWLogging logger(std::make_shared<FakeEtwApi>(), key.path());
  ASSERT_EQ(logger.initialize(L"G", nullptr, nullptr), 0u);
  const bool expected[] = {false, false, true, false, true, true};  // severities 1 to 6
  for (uint32_t severity = 1; severity <= 6; ++severity) {
    EXPECT_EQ(logger.isEnabled(severity), expected[severity - 1]) << severity;
  }
  // The listener follows later changes of the key.
  key.setDword(L"Severity", 1);
  const DWORD deadline = ::GetTickCount() + 20000;
  while (!logger.isEnabled(1) && ::GetTickCount() < deadline) ::Sleep(5);
  EXPECT_TRUE(logger.isEnabled(1));
}

// The listener may go under the loader lock, where a handler that needs the
// lock can never finish: going must not wait for a running handler, and the
// handler must finish on state that is still there.
TEST(EtwConfigurationListener, GoesWithoutWaitingForARunningHandler) {
  ScratchKey key(L"Listener");
  key.setDword(L"Severity", 1);
  struct Gate {
    Ledra::ScopedHandle entered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    Ledra::ScopedHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> calls{0};
  };
  auto gate = std::make_shared<Gate>();
  auto listener = std::make_unique<CETWConfigurationListener>(key.path(), [gate](DWORD, DWORD) {
    if (++gate->calls == 1) return;  // the read of start()
    ::SetEvent(gate->entered.get());
    ::WaitForSingleObject(gate->release.get(), 30000);
  });
  listener->start();
  key.setDword(L"Severity", 2);
  ASSERT_EQ(::WaitForSingleObject(gate->entered.get(), 20000), WAIT_OBJECT_0);
  Ledra::ScopedHandle gone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread owner([&] {
    listener.reset();
    ::SetEvent(gone.get());
  });
  EXPECT_EQ(::WaitForSingleObject(gone.get(), 10000), WAIT_OBJECT_0) << "going waited for the handler";
  ::SetEvent(gate->release.get());
  owner.join();
  // The handler, finishing last, lets go of the state and so of the gate.
  const ULONGLONG deadline = ::GetTickCount64() + 20000;
  while (gate.use_count() > 1 && ::GetTickCount64() < deadline) ::Sleep(1);
  EXPECT_EQ(gate.use_count(), 1);
}

TEST(EtwLogging, SurvivesBeingMadeAndDroppedWhileItsKeyChanges) {
  ScratchKey key(L"Churn");
  key.setDword(L"Severity", 3);
  std::atomic<bool> done{false};
  std::thread changer([&] {
    for (DWORD severity = 0; !done; ++severity) {
      key.setDword(L"Severity", 1 + severity % 5);
    }
  });
  int started = 0;
  for (int i = 0; i < 200; ++i) {
    CETWLogging logger(std::make_shared<FakeEtwApi>(), key.path());
    started += logger.initialize(L"G", nullptr, nullptr) == 0 ? 1 : 0;
  }
  done = true;
  changer.join();
  EXPECT_EQ(started, 200);
}

TEST(EtwLogging, RegistryValuesOverrideTheDefaults) {
  ScratchKey key(L"Overrides");
  // The paths follow the application-data folder; the rest of the defaults are the header's constants.
  const auto defaults = internal::ETWAppProperties::load(key.path());
  EXPECT_EQ(defaults.logPath, commonAppDataFolder() + L"\\Brenix\\BXLOGS");
  EXPECT_EQ(defaults.etlPath, commonAppDataFolder() + L"\\Brenix\\BXLOGS\\ETW");

  key.setText(L"Session Name", L"Other.Session");
  key.setText(L"Log Path", L"D:\\logs");
  key.setText(L"ETL Path", L"D:\\etl");
  key.setText(L"Controller", L"SOFTWARE\\Elsewhere\\Controller");
  key.setText(L"Provider", L"SOFTWARE\\Elsewhere\\Provider");
  key.setText(L"Owner Mutex Name", L"Local\\Owner");
  key.setText(L"Provider Guid", L"{00000001-0002-0003-0405-060708090A0B}");
  key.setText(L"Session ID Guid", L"not a guid");
  const auto overridden = internal::ETWAppProperties::load(key.path());
  EXPECT_EQ(overridden.sessionName, L"Other.Session");
  EXPECT_EQ(overridden.logPath, L"D:\\logs");
  EXPECT_EQ(overridden.etlPath, L"D:\\etl");
  EXPECT_EQ(overridden.controllerKey, L"SOFTWARE\\Elsewhere\\Controller");
  EXPECT_EQ(overridden.providerKey, L"SOFTWARE\\Elsewhere\\Provider");
  EXPECT_EQ(overridden.ownerMutex, L"Local\\Owner");
  const GUID given = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_TRUE(IsEqualGUID(overridden.providerId, given));
  EXPECT_TRUE(IsEqualGUID(overridden.sessionId, defaults.sessionId));  // unparsable: default kept
}

TEST(LogBuilder, MechanismAndRegistryChooseTheBackEnd) {
  ScratchKey key(L"Builder");
  using Backend = CDefaultLogBuilder::Backend;
  const CDefaultLogBuilder builder(key.path());
  EXPECT_EQ(builder.choose(0), Backend::Etw);  // key missing
  EXPECT_EQ(builder.choose(1), Backend::File);
  key.setDword(L"Other", 1);
  EXPECT_EQ(builder.choose(0), Backend::Etw);  // value missing
  key.setDword(L"Logging Mechanism", 1);
  EXPECT_EQ(builder.choose(0), Backend::File);
  EXPECT_EQ(builder.choose(2), Backend::File);
  key.setDword(L"Logging Mechanism", 2);
  EXPECT_EQ(builder.choose(0), Backend::Etw);
  EXPECT_EQ(builder.choose(1), Backend::File);
  key.setText(L"Logging Mechanism", L"1");
  EXPECT_EQ(builder.choose(0), Backend::Etw);  // not a number value
}

}  // namespace
