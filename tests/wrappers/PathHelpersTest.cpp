#include <gtest/gtest.h>
#include <windows.h>

#include <knownfolders.h>

#include <memory>
#include <map>
#include <string>

#include "tests/wrappers/Fakes.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/PathAPI.h"
#include "wrappers/PathHelpers.h"

namespace {

using tarn_test::FakeOSVersion;
using tarn_test::FakeRegistry;
using tarn_test::FakeShlObj;

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

TEST(PathMacros, KeepsTextThatIsNoMacroOrHasNoValue) {
  Helpers h;
  const std::wstring name = executableParts().name;
  const struct {
    const wchar_t* input;
    std::wstring output;
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
  };
  for (const auto& c : cases) EXPECT_EQ(h.expand(c.input), c.output) << c.input;
}

TEST(PathMacros, KnownFolderThatCannotBeHadStaysAsWritten) {
  Helpers h;
  h.shlObj->fail = true;
  EXPECT_EQ(h.expand(L"$(FOLDERID_Desktop)\\a"), L"$(FOLDERID_Desktop)\\a");
  EXPECT_EQ(h.shlObj->calls, 1);
}

TEST(PathMacros, PlatformWordFollowsPlatformCode) {
  const struct {
    uint32_t code;
    const wchar_t* word;
  } cases[] = {
      {0, L"win32"}, {1, L"x64"}, {2, L"PlatformUnknown"}, {3, L"$(OS.Platform)"}, {77, L"$(OS.Platform)"}};
  for (const auto& c : cases) {
    Helpers h;
    h.os->platform = c.code;
    EXPECT_EQ(h.expand(L"$(OS.Platform)"), c.word) << c.code;
  }
}

TEST(PathMacros, InstallDirComesFromInstallDir32UnderWow64) {
  for (const bool wow64 : {false, true}) {
    Helpers h;
    h.os->wow64 = wow64;
    h.registry->strings[L"SOFTWARE\\BRENIX\\KILN|Install Dir"] = L"C:\\Kiln64";
    h.registry->strings[L"SOFTWARE\\BRENIX\\KILN|Install Dir32"] = L"C:\\Kiln32";
    EXPECT_EQ(h.expand(L"$(Kiln.InstallDir)\\MessageBus.dll"),
              wow64 ? L"C:\\Kiln32\\MessageBus.dll" : L"C:\\Kiln64\\MessageBus.dll");
    EXPECT_EQ(h.registry->reads.size(), 1u);
  }
}

TEST(PathMacros, ValuesAreNotScannedAgain) {
  Helpers h;
  h.registry->strings[L"SOFTWARE\\BRENIX\\KILN|Install Dir"] = L"C:\\$(App.Name)";
  EXPECT_EQ(h.expand(L"$(Kiln.InstallDir)"), L"C:\\$(App.Name)");
}

TEST(PathMacros, DefaultServicesGiveRealFoldersAndPlatform) {
  Ledra::PathHelpers helpers;
  std::wstring programData = L"$(FOLDERID_ProgramData)", platform = L"$(OS.Platform)";
  EXPECT_TRUE(helpers.expandMacros(programData) && helpers.expandMacros(platform));
  EXPECT_TRUE(Ledra::PathAPI().directoryExists(programData)) << programData;
  EXPECT_EQ(platform, L"x64");
}

}  // namespace
