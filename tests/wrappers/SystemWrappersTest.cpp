#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/ScratchKey.h"
#include "tests/wrappers/Fakes.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/FileVersionInfo.h"
#include "wrappers/OSVersionAPI.h"
#include "wrappers/RegistryAPI.h"

namespace {

using tarn_test::ScratchKey;

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
  auto inner = std::make_shared<tarn_test::FakeOSVersion>();
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

}  // namespace
