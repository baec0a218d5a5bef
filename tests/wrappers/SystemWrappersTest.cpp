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

TEST(RegistryApi, ReadsStringsOfBothTypesUpTo260Characters) {
  const ScratchKey key(L"wrappers");
  key.setText(L"plain", L"C:\\Kiln");
  key.setText(L"expand", L"%ProgramFiles%\\Kiln", REG_EXPAND_SZ);
  key.setText(L"longest", std::wstring(260, L'a'));
  const std::wstring unterminated = L"abc";
  key.set(L"unterminated", REG_SZ, unterminated.c_str(), unterminated.size() * sizeof(wchar_t));

  Ledra::RegistryAPI registry;
  const struct {
    const wchar_t* name;
    std::wstring text;
  } cases[] = {{L"plain", L"C:\\Kiln"},
               {L"expand", L"%ProgramFiles%\\Kiln"},
               {L"longest", std::wstring(260, L'a')},
               {L"unterminated", L"abc"}};
  for (const auto& c : cases) {
    std::wstring out = L"before";
    EXPECT_TRUE(registry.readString(key.path(), c.name, out)) << c.name;
    EXPECT_EQ(out, c.text) << c.name;
  }
}

TEST(RegistryApi, LeavesOutputAloneOnEveryFailure) {
  const ScratchKey key(L"wrappers");
  const DWORD number = 42;
  key.set(L"number", REG_DWORD, &number, sizeof(number));
  key.setText(L"text", L"x");
  key.setText(L"toolong", std::wstring(261, L'a'));

  Ledra::RegistryAPI registry;
  const struct {
    std::wstring key;
    const wchar_t* name;
  } stringFailures[] = {{std::wstring(key.path()) + L"\\missing", L"text"},
                        {key.path(), L"missing"},
                        {key.path(), L"number"},
                        {key.path(), L"toolong"}};
  for (const auto& c : stringFailures) {
    std::wstring out = L"before";
    EXPECT_FALSE(registry.readString(c.key, c.name, out)) << c.name;
    EXPECT_EQ(out, L"before") << c.name;
  }
  DWORD value = 7;
  EXPECT_FALSE(registry.readDword(key.path(), L"text", value));
  EXPECT_FALSE(registry.readDword(key.path(), L"missing", value));
  EXPECT_FALSE(registry.readDword(std::wstring(key.path()) + L"\\missing", L"number", value));
  EXPECT_EQ(value, 7u);
  EXPECT_TRUE(registry.readDword(key.path(), L"number", value));
  EXPECT_EQ(value, 42u);
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
}

TEST(FileVersionInfo, FileWithoutVersionResourceHasNone) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  Basalt::FileVersionInfo info;
  ASSERT_TRUE(info.read(tarn_test::programFolder() + L"TarnVersionResource.dll"));
  EXPECT_FALSE(info.read(self));  // a failed read forgets the earlier one
  EXPECT_EQ(info.fileVersion(), L"");
  EXPECT_FALSE(info.read(tarn_test::programFolder() + L"no-such-file.dll"));
  EXPECT_FALSE(info.read(L""));
  EXPECT_EQ(info.fileVersion(), L"");
}

}  // namespace
