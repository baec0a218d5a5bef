// The loader over the system layer, and the shared library over the loader,
// the path helpers, the file search, the version reader and the block list,
// all of them fakes here.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "dll/DllLoader.h"
#include "dll/SharedLibrary.h"
#include "include/ModuleException.h"
#include "tests/support/LogScope.h"

namespace {

using tarn_test::LogScope;

INT_PTR WINAPI entryPoint() { return 1; }

HMODULE fakeModule() { return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x20000)); }

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
    return std::string(name) == "Known" ? &entryPoint : nullptr;
  }
  bool getModuleHandleEx(DWORD, const wchar_t* name, HMODULE*) override {  // never already loaded
    handleQueries.push_back(name);
    return false;
  }

  bool loadSucceeds = true;
  bool throwOnLoad = false;
  bool throwOnLookup = false;
  std::vector<std::wstring> loads;
  std::vector<std::wstring> handleQueries;
};

TEST(DllLoader, LoadsOtherwiseAndReportsFailuresByStatusName) {
  const struct {
    bool withHandle, succeeds, throws;
    const wchar_t* severity;
    const wchar_t* line;
  } cases[] = {
      {false, false, false, L"Warning", L"Invalid pHandle specified. Exiting."},  // the system is not asked
      {true, true, false, L"", nullptr},
      {true, false, false, L"Error",
       L"Failed to load library. Error code: MODULE_STATUS_UNSUCCESSFUL(2147483650)."},
      {true, false, true, L"Error",
       L"Failed to load library. Error code: MODULE_STATUS_UNKNOWN_EXCEPTION(2147483663)."},
  };
  for (const auto& c : cases) {
    const LogScope log;
    auto api = std::make_shared<FakeDllAPI>();
    api->loadSucceeds = c.succeeds;
    api->throwOnLoad = c.throws;
    Ledra::DllLoader loader(api);
    HMODULE module = nullptr;
    EXPECT_EQ(loader.loadDLL(L"C:\\x\\lib.dll", c.withHandle ? &module : nullptr), c.succeeds);
    const std::vector<std::wstring> asked(c.withHandle ? 1 : 0, L"C:\\x\\lib.dll");
    EXPECT_EQ(api->handleQueries, asked);
    EXPECT_EQ(api->loads, asked);
    EXPECT_EQ(log.lines().size(), c.line ? 1u : 0u);
    EXPECT_EQ(log.count({c.severity, c.line ? c.line : L"", L"DllLoader", L"Ledra::DllLoader::loadDLL"}),
              c.line ? 1u : 0u);
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

// Loads nothing: hands out a fake module and finds the exports it is told of.
class FakeLoader : public Ledra::DllLoader {
 public:
  bool loadDLL(const std::wstring& path, HMODULE* handle) override {
    loads.push_back(path);
    *handle = loadSucceeds ? fakeModule() : nullptr;
    return loadSucceeds;
  }
  FARPROC getProcAddress(HMODULE, const char* name) override {
    lookups.push_back(name);
    return exports.count(name) ? &entryPoint : nullptr;
  }
  bool freeLibrary(HMODULE module) override {
    frees.push_back(module);
    return freeSucceeds;
  }

  bool loadSucceeds = true;
  bool freeSucceeds = true;
  std::set<std::string> exports = {"CreateObject", "ReleaseObject", "GetVersionStr", "GetVersionNum"};
  std::vector<std::wstring> loads;
  std::vector<std::string> lookups;
  std::vector<HMODULE> frees;
};

// Replaces "$(Libs)" by C:\libs\ and nothing else.
class FakeExpander : public Ledra::PathHelpers {
 public:
  bool expandMacros(std::wstring& text) override {
    const size_t at = text.find(L"$(Libs)");
    if (at != std::wstring::npos) text.replace(at, 7, L"C:\\libs\\");
    return succeeds;
  }
  bool succeeds = true;
};

// Only the listed paths exist.
class FakeSearch : public Ledra::PathSearch {
 public:
  bool checkIfExists(const std::wstring& path) override { return existing.count(path) != 0; }
  std::set<std::wstring> existing;
};

class FakeVersion : public Basalt::FileVersionInfo {
 public:
  bool read(const std::wstring& path) override {
    reads.push_back(path);
    return hasResource;
  }
  std::wstring fileVersion() const override { return version; }
  bool hasResource = true;
  std::wstring version = L"1.0.0.1";
  std::vector<std::wstring> reads;
};

class FakeBlockList : public Ledra::BlockListKey {
 public:
  bool open(const std::wstring& subKey) override {
    opened.push_back(subKey);
    return keyExists;
  }
  LSTATUS readString(const std::wstring& name, std::wstring& value) override {
    if (name == unreadable) return ERROR_INVALID_DATATYPE;
    const auto found = values.find(name);
    if (found == values.end()) return ERROR_FILE_NOT_FOUND;
    value = found->second;
    return ERROR_SUCCESS;
  }
  std::wstring unreadable = L"(none)";
  bool keyExists = true;
  std::map<std::wstring, std::wstring> values;
  std::vector<std::wstring> opened;
};

struct Fixture {
  std::shared_ptr<FakeLoader> loader = std::make_shared<FakeLoader>();
  std::shared_ptr<FakeExpander> expander = std::make_shared<FakeExpander>();
  std::shared_ptr<FakeSearch> search = std::make_shared<FakeSearch>();
  std::shared_ptr<FakeVersion> version = std::make_shared<FakeVersion>();
  std::shared_ptr<FakeBlockList> blockList = std::make_shared<FakeBlockList>();

  // Builds the library; returns the exception text, or "" when it stands.
  std::string construct(const std::wstring& name, std::vector<std::wstring> folders,
                        std::unique_ptr<Ledra::SharedLibrary>* out = nullptr) {
    try {
      auto library = std::make_unique<Ledra::SharedLibrary>(Ledra::LibraryInfo{name, std::move(folders)},
                                                            loader, expander, search, version, blockList);
      if (out != nullptr) *out = std::move(library);
      return "";
    } catch (const Ledra::ModuleException& e) {
      return e.what();
    }
  }
};

TEST(SharedLibrary, LoadsFromFirstFolderHoldingTheFileAndImportsAllFourInOrder) {
  const LogScope log;
  Fixture f;
  f.search->existing = {L"C:\\libs\\\\Plugin.dll", L"D:\\other\\Plugin.dll"};
  std::unique_ptr<Ledra::SharedLibrary> library;
  ASSERT_EQ(f.construct(L"Plugin.dll", {L"C:\\missing", L"$(Libs)", L"D:\\other"}, &library), "");
  EXPECT_EQ(f.search->getSearchPaths(),
            (std::vector<std::wstring>{L"C:\\missing", L"C:\\libs\\", L"D:\\other"}));
  EXPECT_EQ(f.loader->loads, (std::vector<std::wstring>{L"C:\\libs\\Plugin.dll"}));
  EXPECT_TRUE(log.has({L"Normal", L"Loading Plugin.dll from C:\\libs.", L"SharedLibrary"}));
  EXPECT_EQ(f.loader->lookups,
            (std::vector<std::string>{"CreateObject", "ReleaseObject", "GetVersionStr", "GetVersionNum"}));
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(library->getFunctions()[i], reinterpret_cast<FARPROC>(&entryPoint));
  EXPECT_EQ(library->module(), fakeModule());

  library.reset();
  EXPECT_EQ(f.loader->frees, (std::vector<HMODULE>{fakeModule()}));
}

TEST(SharedLibrary, BlockListDecidesByTheFileVersionValue) {
  const struct {
    const wchar_t* what;
    const wchar_t* name;
    bool hasResource;
    const wchar_t* version;
    bool keyExists;
    std::map<std::wstring, std::wstring> values;
    bool blocked;
    const wchar_t* unreadable = L"(none)";
  } cases[] = {
      {L"listed version", L"Plugin.dll", true, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.1"}}, true},
      {L"listed, other data", L"Plugin.dll", true, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.2"}}, false},
      {L"data differs in case", L"Plugin.dll", true, L"1.0.0.a", true, {{L"1.0.0.a", L"1.0.0.A"}}, false},
      {L"other version listed", L"Plugin.dll", true, L"1.0.0.1", true, {{L"2.0.0.0", L"2.0.0.0"}}, false},
      {L"no version resource", L"Plugin.dll", false, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.1"}}, false},
      {L"no list key", L"Plugin.dll", true, L"1.0.0.1", false, {{L"1.0.0.1", L"1.0.0.1"}}, false},
      {L"no FileVersion, key present", L"Plugin.dll", true, L"", true, {}, true},
      {L"core, mixed case", L"MessageBus.dll", true, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.1"}}, false},
      {L"core, upper case", L"MESSAGEBUS.DLL", true, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.1"}}, false},
      {L"core settings", L"SettingsManager.dll", true, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.1"}}, false},
      {L"core monitor", L"SystemMonitor.dll", true, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.1"}}, false},
      {L"core manager", L"moduleMANAGER.dll", true, L"1.0.0.1", true, {{L"1.0.0.1", L"1.0.0.1"}}, false},
      {L"listed value unreadable", L"Plugin.dll", true, L"1.0.0.1", true, {}, true, L"1.0.0.1"},
      {L"other value unreadable", L"Plugin.dll", true, L"1.0.0.1", true, {}, false, L"2.0.0.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LogScope log;
    Fixture f;
    f.version->hasResource = c.hasResource;
    f.version->version = c.version;
    f.blockList->keyExists = c.keyExists;
    f.blockList->values = c.values;
    f.blockList->unreadable = c.unreadable;
    const std::wstring name = c.name;
    f.search->existing = {L"C:\\Libs\\" + name};
    EXPECT_EQ(f.construct(name, {L"C:\\Libs"}), c.blocked ? "Failed to load library" : "");
    EXPECT_EQ(f.loader->loads.empty(), c.blocked);
    const bool core = name != L"Plugin.dll";  // the host's own libraries are never looked up
    EXPECT_EQ(f.version->reads,
              core ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"c:\\libs\\plugin.dll"});
    EXPECT_EQ(f.blockList->opened, core || !c.hasResource ? std::vector<std::wstring>{}
                                                          : std::vector<std::wstring>{
                                                                L"SOFTWARE\\Brenix\\Kiln\\List\\plugin.dll"});
    EXPECT_EQ(log.count({L"Information", L"Blocked library: C:\\Libs\\Plugin.dll.", L"SharedLibrary",
                         L"Ledra::SharedLibrary::loadLibrary"}),
              c.blocked ? 1u : 0u);
  }
}

TEST(SharedLibrary, EachFailureLogsWhyAndThrowsOrFreesAsItShould) {
  const std::string loadError = "Failed to load library",
                    importError = "Failed to import functions from library";
  struct Case {
    std::function<void(Fixture&)> setup;
    std::wstring folder;
    std::string error;  // thrown by the constructor
    std::wstring line;  // an error
    size_t loads, lookups, frees;
  };
  const Case cases[] = {
      {[](Fixture& f) { f.expander->succeeds = false; }, L"C:\\a", loadError,
       L"Failed to resolve file path, C:\\a, for library: Lib.dll.", 0, 0, 0},
      // An unexpanded macro or a relative folder would make the load search the DLL search order.
      {[](Fixture& f) { f.search->existing = {L"libs\\Lib.dll"}; }, L"libs", loadError,
       L"Refused to load libs\\Lib.dll: not an absolute path.", 0, 0, 0},
      {[](Fixture& f) { f.search->existing = {L"$(Unknown)\\Lib.dll"}; }, L"$(Unknown)", loadError,
       L"Refused to load $(Unknown)\\Lib.dll: not an absolute path.", 0, 0, 0},
      {[](Fixture& f) { f.search->existing.clear(); }, L"C:\\a", loadError,
       L"Failed to find valid path for library: Lib.dll.", 0, 0, 0},
      {[](Fixture& f) { f.loader->loadSucceeds = false; }, L"C:\\a", loadError,
       L"Failed to load library: Lib.dll.", 1, 0, 0},
      {[](Fixture& f) { f.loader->exports.erase("GetVersionNum"); }, L"C:\\a", importError,
       L"Failed to load GetVersionNum function from library: Lib.dll.", 1, 4, 1},
      {[](Fixture& f) { f.loader->exports.erase("ReleaseObject"); }, L"C:\\a", importError,
       L"Failed to load ReleaseObject function from library: Lib.dll.", 1, 2, 1},
      {[](Fixture& f) { f.loader->freeSucceeds = false; }, L"C:\\a", "", L"Failed to free library: Lib.dll.",
       1, 4, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line.c_str());
    const LogScope log;
    Fixture f;
    f.search->existing = {L"C:\\a\\Lib.dll"};
    c.setup(f);
    std::unique_ptr<Ledra::SharedLibrary> library;
    EXPECT_EQ(f.construct(L"Lib.dll", {c.folder}, &library), c.error);
    EXPECT_NO_THROW(library.reset());  // a failed release is logged, not thrown
    EXPECT_EQ(f.loader->loads.size(), c.loads);
    EXPECT_EQ(f.loader->lookups.size(), c.lookups);
    EXPECT_EQ(f.loader->frees, std::vector<HMODULE>(c.frees, fakeModule()));
    EXPECT_TRUE(log.has({L"Error", c.line, L"SharedLibrary"}));
    if (!c.error.empty()) {
      EXPECT_TRUE(log.has(
          {L"Error", std::wstring(c.error.begin(), c.error.end()) + L": Lib.dll. Throwing ModuleException.",
           L"SharedLibrary", L"Ledra::SharedLibrary::SharedLibrary"}));
    }
  }
}

}  // namespace
