// Path macros over fakes of the system services, and the search for a file
// among folders over the real file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <knownfolders.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/LogScope.h"
#include "tests/wrappers/Fakes.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/PathAPI.h"
#include "wrappers/PathHelpers.h"
#include "wrappers/PathSearch.h"

namespace {

using tarn_test::FakeOSVersion;
using tarn_test::FakeRegistry;
using tarn_test::FakeShlObj;
using tarn_test::LogScope;
using tarn_test::TempFolder;

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
