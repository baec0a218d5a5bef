#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "dll/DllLoader.h"
#include "tests/support/LogScope.h"

namespace {

using tarn_test::LogScope;

INT_PTR WINAPI knownProcedure() { return 1; }

HMODULE fakeModule() { return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x10000)); }

// Records the calls; answers as configured.
class FakeDllAPI : public Ledra::DllAPI {
 public:
  bool loadLibrary(const std::wstring& path, HMODULE* out) override {
    loads.push_back(path);
    if (throwOnLoad) throw std::runtime_error("load");
    *out = loadSucceeds ? fakeModule() : nullptr;
    return loadSucceeds;
  }
  FARPROC getProcAddress(HMODULE, const char* name) override {
    if (throwOnLookup) throw std::runtime_error("lookup");
    return std::string(name) == "Known" ? &knownProcedure : nullptr;
  }
  bool isTrusted(const std::wstring&) override { return false; }
  bool freeLibrary(HMODULE module) override {
    frees.push_back(module);
    return true;
  }
  bool getModuleHandleEx(DWORD flags, const wchar_t* name, HMODULE* out) override {
    handleQueries.push_back(name);
    lastFlags = flags;
    if (!alreadyLoaded) return false;
    *out = fakeModule();
    return true;
  }

  bool alreadyLoaded = false;
  bool loadSucceeds = true;
  bool throwOnLoad = false;
  bool throwOnLookup = false;
  DWORD lastFlags = 99;
  std::vector<std::wstring> loads;
  std::vector<std::wstring> handleQueries;
  std::vector<HMODULE> frees;
};

TEST(DllLoader, RefusesMissingHandlePointerWithoutTouchingTheSystem) {
  const LogScope log;
  auto api = std::make_shared<FakeDllAPI>();
  Ledra::DllLoader loader(api);
  EXPECT_FALSE(loader.loadDLL(L"C:\\x\\lib.dll", nullptr));
  EXPECT_TRUE(api->loads.empty());
  EXPECT_TRUE(api->handleQueries.empty());
  EXPECT_TRUE(log.has(
      {L"Warning", L"Invalid pHandle specified. Exiting.", L"DllLoader", L"Ledra::DllLoader::loadDLL"}));
}

TEST(DllLoader, TakesLibraryAlreadyInTheProcessWithoutLoadingItAndFreesThroughTheSystem) {
  auto api = std::make_shared<FakeDllAPI>();
  api->alreadyLoaded = true;
  Ledra::DllLoader loader(api);
  HMODULE module = nullptr;
  EXPECT_TRUE(loader.loadDLL(L"C:\\x\\lib.dll", &module));
  EXPECT_EQ(module, fakeModule());
  EXPECT_EQ(api->lastFlags, 0u);  // flags 0: the reference count rises
  EXPECT_EQ(api->handleQueries, (std::vector<std::wstring>{L"C:\\x\\lib.dll"}));
  EXPECT_TRUE(api->loads.empty());
  EXPECT_TRUE(loader.freeLibrary(module));
  EXPECT_EQ(api->frees, (std::vector<HMODULE>{fakeModule()}));
}

TEST(DllLoader, LoadsOtherwiseAndReportsFailuresByStatusName) {
  const struct {
    bool succeeds;
    bool throws;
    const wchar_t* logLine;
  } cases[] = {
      {true, false, nullptr},
      {false, false, L"Failed to load library. Error code: MODULE_STATUS_UNSUCCESSFUL(2147483650)."},
      {false, true, L"Failed to load library. Error code: MODULE_STATUS_UNKNOWN_EXCEPTION(2147483663)."},
  };
  for (const auto& c : cases) {
    const LogScope log;
    auto api = std::make_shared<FakeDllAPI>();
    api->loadSucceeds = c.succeeds;
    api->throwOnLoad = c.throws;
    Ledra::DllLoader loader(api);
    HMODULE module = nullptr;
    EXPECT_EQ(loader.loadDLL(L"C:\\x\\lib.dll", &module), c.succeeds);
    EXPECT_EQ(api->loads, (std::vector<std::wstring>{L"C:\\x\\lib.dll"}));
    if (c.logLine != nullptr) {
      EXPECT_TRUE(log.has({L"Error", c.logLine, L"DllLoader", L"Ledra::DllLoader::loadDLL"}));
    }
  }
}

TEST(DllLoader, MissingOrFailingLookupGivesNullAndIsLogged) {
  auto api = std::make_shared<FakeDllAPI>();
  Ledra::DllLoader loader(api);
  const LogScope log;
  EXPECT_NE(loader.getProcAddress(fakeModule(), "Known"), nullptr);
  EXPECT_EQ(loader.getProcAddress(fakeModule(), "Unknown"), nullptr);
  api->throwOnLookup = true;
  EXPECT_EQ(loader.getProcAddress(fakeModule(), "Known"), nullptr);
  EXPECT_EQ(log.count({L"Warning", L"getProcAddress was unsuccessful in finding the handle's address"}), 2u);
}

}  // namespace
