// The system wrappers (registry, OS version, file version, file paths) and
// the path macros and file search over them: the macros over small doubles of
// the system services, the rest over the real system.
#include <gtest/gtest.h>
#include <windows.h>

#include <knownfolders.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/LogScope.h"
#include "tests/support/ScratchKey.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/FileVersionInfo.h"
#include "wrappers/OSVersionAPI.h"
#include "wrappers/PathAPI.h"
#include "wrappers/PathHelpers.h"
#include "wrappers/PathSearch.h"
#include "wrappers/RegistryAPI.h"
#include "wrappers/ShlObjAPI.h"

namespace {

using tarn_test::LogScope;
using tarn_test::ScratchKey;
using tarn_test::TempFolder;

// Answers every known folder with a path that names the folder's identifier.
class FakeShlObj : public Ledra::ShlObjAPI {
 public:
  static std::wstring pathFor(REFKNOWNFOLDERID id) {
    wchar_t text[64] = {};
    ::StringFromGUID2(id, text, 64);
    return std::wstring(L"K:\\") + text;
  }
  HRESULT getKnownFolderPath(REFKNOWNFOLDERID id, DWORD, HANDLE, PWSTR* path) override {
    ++calls;
    if (fail) {
      *path = nullptr;
      return E_FAIL;
    }
    const std::wstring value = pathFor(id);
    *path = static_cast<PWSTR>(::CoTaskMemAlloc((value.size() + 1) * sizeof(wchar_t)));
    value.copy(*path, value.size());
    (*path)[value.size()] = L'\0';
    return S_OK;
  }
  bool fail = false;
  int calls = 0;
};

class FakeOSVersion : public Basalt::OSVersionAPI {
 public:
  bool isWow64() override {
    ++wow64Calls;
    return wow64;
  }
  uint32_t getPlatform() override {
    ++platformCalls;
    return platform;
  }
  bool wow64 = false;
  uint32_t platform = Basalt::kPlatformX64;
  int wow64Calls = 0;
  int platformCalls = 0;
};

// Values by "key|name"; records every read.
class FakeRegistry : public Ledra::RegistryAPI {
 public:
  bool readString(const std::wstring& keyPath, const std::wstring& valueName, std::wstring& out) override {
    reads.push_back(keyPath + L"|" + valueName);
    const auto found = strings.find(keyPath + L"|" + valueName);
    if (found == strings.end()) return false;
    out = found->second;
    return true;
  }
  std::map<std::wstring, std::wstring> strings;
  std::vector<std::wstring> reads;
};

TEST(RegistryApi, ReadsStringsOfBothTypesUpTo260CharactersAndDwordsOrLeavesTheOutputAlone) {
  const ScratchKey key(L"wrappers");
  key.setText(L"plain", L"C:\\Kiln");
  key.setText(L"expand", L"%ProgramFiles%\\Kiln", REG_EXPAND_SZ);
  key.setText(L"longest", std::wstring(260, L'a'));
  key.setText(L"toolong", std::wstring(261, L'a'));
  const std::wstring unterminated = L"abc";
  key.set(L"unterminated", REG_SZ, unterminated.c_str(), unterminated.size() * sizeof(wchar_t));
  key.setDword(L"number", 42);
  const std::wstring missingKey = std::wstring(key.path()) + L"\\missing";

  Ledra::RegistryAPI registry;
  const struct {
    std::wstring key;
    const wchar_t* name;
    std::wstring text;  // read as a string; "before" when the read fails
    DWORD number;       // read as a DWORD; 7 when the read fails
  } cases[] = {
      {key.path(), L"plain", L"C:\\Kiln", 7},
      {key.path(), L"expand", L"%ProgramFiles%\\Kiln", 7},
      {key.path(), L"longest", std::wstring(260, L'a'), 7},
      {key.path(), L"unterminated", L"abc", 7},
      {key.path(), L"toolong", L"before", 7},
      {key.path(), L"number", L"before", 42},
      {key.path(), L"missing", L"before", 7},
      {missingKey, L"plain", L"before", 7},
      {missingKey, L"number", L"before", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring text = L"before";
    DWORD number = 7;
    EXPECT_EQ(registry.readString(c.key, c.name, text), c.text != L"before");
    EXPECT_EQ(registry.readDword(c.key, c.name, number), c.number != 7);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(number, c.number);
  }
}

TEST(OSVersion, PlatformCodeFollowsVersion) {
  const struct {
    bool ok;
    uint32_t major, minor, platformId, code;
  } cases[] = {
      {false, 10, 0, 2, Basalt::kPlatformUnknown}, {true, 4, 10, 1, Basalt::kPlatformWin32},
      {true, 4, 0, 2, Basalt::kPlatformWin32},     {true, 5, 0, 2, Basalt::kPlatformWin32},
      {true, 5, 1, 2, Basalt::kPlatformX64},       {true, 6, 0, 2, Basalt::kPlatformX64},
      {true, 10, 0, 2, Basalt::kPlatformX64},      {true, 10, 0, 0, Basalt::kPlatformUnknown},
      {true, 10, 0, 3, Basalt::kPlatformUnknown},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Basalt::platformFromVersion(c.ok, c.major, c.minor, c.platformId), c.code)
        << c.ok << " " << c.major << "." << c.minor << " id " << c.platformId;
  }
}

TEST(OSVersion, ProxyAsksTheSystemOncePerAnswer) {
  auto inner = std::make_shared<FakeOSVersion>();
  inner->wow64 = true;
  inner->platform = Basalt::kPlatformWin32;
  Basalt::CachingOSVersionAPI proxy(inner);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(proxy.isWow64());
    EXPECT_EQ(proxy.getPlatform(), Basalt::kPlatformWin32);
  }
  inner->platform = Basalt::kPlatformX64;
  EXPECT_EQ(proxy.getPlatform(), Basalt::kPlatformWin32);
  EXPECT_EQ(inner->wow64Calls, 1);
  EXPECT_EQ(inner->platformCalls, 1);
}

TEST(OSVersion, SixtyFourBitProcessIsNotWow64AndRunsOnX64) {
  Basalt::WinOSVersionAPI os;
  EXPECT_FALSE(os.isWow64());
  EXPECT_EQ(os.getPlatform(), Basalt::kPlatformX64);
}

TEST(FileVersionInfo, TakesFileVersionOfTheFirstTranslationThatHasIt) {
  Basalt::FileVersionInfo info;
  ASSERT_TRUE(info.read(tarn_test::programFolder() + L"TarnVersionResource.dll"));
  EXPECT_EQ(info.fileVersion(), L"5.6.7.8");
  // A file without a version resource has none, and a failed read forgets the earlier one.
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_FALSE(info.read(self));
  EXPECT_EQ(info.fileVersion(), L"");
  EXPECT_FALSE(info.read(tarn_test::programFolder() + L"no-such-file.dll"));
  EXPECT_FALSE(info.read(L""));
  EXPECT_EQ(info.fileVersion(), L"");
}

struct ExecutableParts {
  std::wstring folder, name, extension;
};

// Worked out here independently of the code under test.
ExecutableParts executableParts() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  const std::wstring path(buffer);
  const size_t slash = path.find_last_of(L'\\');
  const std::wstring file = path.substr(slash + 1);
  const size_t dot = file.find_last_of(L'.');
  return {path.substr(0, slash + 1), file.substr(0, dot), file.substr(dot)};
}

struct Helpers {
  std::shared_ptr<FakeShlObj> shlObj = std::make_shared<FakeShlObj>();
  std::shared_ptr<FakeOSVersion> os = std::make_shared<FakeOSVersion>();
  std::shared_ptr<FakeRegistry> registry = std::make_shared<FakeRegistry>();
  Ledra::PathHelpers helpers{shlObj, os, registry};

  std::wstring expand(std::wstring text) {
    EXPECT_TRUE(helpers.expandMacros(text));
    return text;
  }
};

TEST(PathMacros, ExpandsEveryMacroOfTheTable) {
  Helpers h;
  h.registry->strings[L"SOFTWARE\\BRENIX\\KILN|Install Dir"] = L"D:\\Kiln";
  const ExecutableParts exe = executableParts();
  const std::map<std::wstring, std::wstring> expected = {
      {L"$(OS.Platform)", L"x64"},
      {L"$(App.Binary)", exe.name + exe.extension},
      {L"$(App.Name)", exe.name},
      {L"$(App.Folder)", exe.folder},
      {L"$(App.Path)", exe.folder + exe.name + exe.extension},
      {L"$(Kiln.InstallDir)", L"D:\\Kiln"},
      {L"$(FOLDERID_Profile)", FakeShlObj::pathFor(FOLDERID_Profile)},
      {L"$(FOLDERID_Desktop)", FakeShlObj::pathFor(FOLDERID_Desktop)},
      {L"$(FOLDERID_Documents)", FakeShlObj::pathFor(FOLDERID_Documents)},
      {L"$(FOLDERID_LocalAppDataLow)", FakeShlObj::pathFor(FOLDERID_LocalAppDataLow)},
      {L"$(FOLDERID_LocalAppData)", FakeShlObj::pathFor(FOLDERID_LocalAppData)},
      {L"$(FOLDERID_RoamingAppData)", FakeShlObj::pathFor(FOLDERID_RoamingAppData)},
      {L"$(FOLDERID_ProgramData)", FakeShlObj::pathFor(FOLDERID_ProgramData)},
      {L"$(FOLDERID_ProgramFiles)", FakeShlObj::pathFor(FOLDERID_ProgramFiles)},
      {L"$(FOLDERID_ProgramFilesX64)", FakeShlObj::pathFor(FOLDERID_ProgramFilesX64)},
      {L"$(FOLDERID_ProgramFilesX86)", FakeShlObj::pathFor(FOLDERID_ProgramFilesX86)},
      {L"$(FOLDERID_ProgramFilesCommon)", FakeShlObj::pathFor(FOLDERID_ProgramFilesCommon)},
      {L"$(FOLDERID_ProgramFilesCommonX64)", FakeShlObj::pathFor(FOLDERID_ProgramFilesCommonX64)},
      {L"$(FOLDERID_ProgramFilesCommonX86)", FakeShlObj::pathFor(FOLDERID_ProgramFilesCommonX86)},
  };
  for (const auto& entry : expected) {
    EXPECT_EQ(h.expand(L"<" + entry.first + L">"), L"<" + entry.second + L">") << entry.first;
  }
}

TEST(PathMacros, KeepsTextThatIsNoMacroOrHasNoValueAndAsksTheServicesOnce) {
  const std::wstring name = executableParts().name;
  const std::wstring installDir = L"SOFTWARE\\BRENIX\\KILN|Install Dir";
  const auto install = [installDir](bool wow64) {
    return [installDir, wow64](Helpers& h) {
      h.os->wow64 = wow64;
      h.registry->strings[installDir] = L"C:\\Kiln64";
      h.registry->strings[installDir + L"32"] = L"C:\\Kiln32";
    };
  };
  const auto platform = [](uint32_t code) { return [code](Helpers& h) { h.os->platform = code; }; };
  const struct {
    const wchar_t* input;
    std::wstring output;
    std::function<void(Helpers&)> setup = nullptr;
  } cases[] = {
      {L"", L""},
      {L"C:\\plain\\folder", L"C:\\plain\\folder"},
      {L"$(Unknown.Macro)\\x", L"$(Unknown.Macro)\\x"},
      {L"$(app.name)", L"$(app.name)"},                          // names are compared with their case
      {L"$(Kiln.InstallDir)\\bin", L"$(Kiln.InstallDir)\\bin"},  // no registry value
      {L"$$(App.Name)", L"$" + name},
      {L"$()$(App.Name)", L"$()" + name},
      {L"$(App.Name", L"$(App.Name"},
      {L"$(App.Name$(App.Name))", L"$(App.Name" + name + L")"},
      {L"$(App.Name)-$(App.Name)", name + L"-" + name},
      {L"$(FOLDERID_Desktop)\\a", L"$(FOLDERID_Desktop)\\a", [](Helpers& h) { h.shlObj->fail = true; }},
      {L"$(Kiln.InstallDir)", L"C:\\$(App.Name)",  // values are not scanned again
       [installDir](Helpers& h) { h.registry->strings[installDir] = L"C:\\$(App.Name)"; }},
      {L"$(Kiln.InstallDir)\\MessageBus.dll", L"C:\\Kiln64\\MessageBus.dll", install(false)},
      {L"$(Kiln.InstallDir)\\MessageBus.dll", L"C:\\Kiln32\\MessageBus.dll", install(true)},  // under Wow64
      {L"$(OS.Platform)", L"win32", platform(0)},
      {L"$(OS.Platform)", L"x64", platform(1)},
      {L"$(OS.Platform)", L"PlatformUnknown", platform(2)},
      {L"$(OS.Platform)", L"$(OS.Platform)", platform(3)},
      {L"$(OS.Platform)", L"$(OS.Platform)", platform(77)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    Helpers h;
    if (c.setup) c.setup(h);
    EXPECT_EQ(h.expand(c.input), c.output);
    EXPECT_LE(h.registry->reads.size(), 1u);
    EXPECT_LE(h.shlObj->calls, 1);
  }
}

TEST(PathMacros, DefaultServicesGiveRealFoldersAndPlatform) {
  Ledra::PathHelpers helpers;
  std::wstring programData = L"$(FOLDERID_ProgramData)", platform = L"$(OS.Platform)";
  EXPECT_TRUE(helpers.expandMacros(programData) && helpers.expandMacros(platform));
  EXPECT_TRUE(Ledra::PathAPI().directoryExists(programData)) << programData;
  EXPECT_EQ(platform, L"x64");
}

TEST(PathApi, TellsFilesFromDirectories) {
  TempFolder temp;
  const std::wstring file = temp.addFile(L"lib.dll");
  const std::wstring folder = temp.addFolder(L"sub");
  Ledra::PathAPI api;
  EXPECT_TRUE(api.fileExists(file));
  EXPECT_FALSE(api.directoryExists(file));
  EXPECT_TRUE(api.directoryExists(folder));
  EXPECT_FALSE(api.fileExists(folder));
  EXPECT_FALSE(api.fileExists(temp.path() + L"\\missing.dll"));
  EXPECT_FALSE(api.directoryExists(temp.path() + L"\\missing"));
  EXPECT_FALSE(api.fileExists(L""));
  EXPECT_FALSE(api.directoryExists(L""));
}

TEST(PathSearch, KeepsFoldersInTheOrderTheyWereAdded) {
  Ledra::PathSearch search;
  search.addSearchPath(L"A");
  search.addSearchPath(static_cast<const wchar_t*>(nullptr));
  search.addSearchPath(std::wstring(L"B"));
  search.addSearchPaths({L"C", L"D"});
  EXPECT_EQ(search.getSearchPaths(), (std::vector<std::wstring>{L"A", L"B", L"C", L"D"}));
}

// Each folder is probed as folder + "\" + name, in order, until the first
// hit, which is answered without a trailing backslash; a directory with the
// file's name does not count. Each step is logged.
TEST(PathSearch, FindsTheFirstFolderHoldingTheFileAndLogsEachProbe) {
  TempFolder temp;
  const std::wstring first = temp.addFolder(L"first");
  const std::wstring second = temp.addFolder(L"second");
  for (const wchar_t* file : {L"first\\only-first.dll", L"first\\both.dll", L"second\\both.dll",
                              L"second\\only-second.dll", L"second\\lib.dll"})
    temp.addFile(file);
  temp.addFolder(L"first\\lib.dll");
  Ledra::PathSearch search;
  search.addSearchPaths({first + L"\\", second});
  const struct {
    const wchar_t* file;
    std::wstring folder;  // empty: not found
  } cases[] = {{L"only-first.dll", first},
               {L"both.dll", first},
               {L"only-second.dll", second},
               {L"lib.dll", second},
               {L"nowhere.dll", L""}};
  const std::wstring entering = L"Entering checkIfExists for ";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const LogScope log;
    std::wstring folder = L"unchanged";
    EXPECT_EQ(search.findFilePath(c.file, folder), !c.folder.empty());
    EXPECT_EQ(folder, c.folder.empty() ? L"unchanged" : c.folder);
    std::vector<std::wstring> probes, expected = {first + L"\\\\" + c.file};
    if (c.folder != first) expected.push_back(second + L"\\" + c.file);
    for (const auto& line : log.lines())
      if (line.severity == L"Normal" && line.message.compare(0, entering.size(), entering) == 0)
        probes.push_back(line.message.substr(entering.size()));
    EXPECT_EQ(probes, expected);
    const size_t found = c.folder.empty() ? 0 : 1;
    EXPECT_EQ(log.count({L"Normal", L"File exists", L"PathSearch", L"Ledra::PathSearch::checkIfExists"}),
              found);
    EXPECT_EQ(log.count({L"Warning", L"File does not exist.", L"PathSearch"}), probes.size() - found);
    EXPECT_TRUE(log.has({L"Normal", L"Entering findFilePath for file " + std::wstring(c.file), L"PathSearch",
                         L"Ledra::PathSearch::findFilePath"}));
    EXPECT_TRUE(log.has(
        found ? tarn_test::LogLine{L"Normal", L"File found at path " + c.folder + L". Returning success.",
                                   L"PathSearch"}
              : tarn_test::LogLine{L"Warning", L"File not found.", L"PathSearch"}));
  }
}

}  // namespace
