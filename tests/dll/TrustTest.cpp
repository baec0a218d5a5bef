#include <gtest/gtest.h>
#include <windows.h>

#include <softpub.h>
#include <wintrust.h>

#include <functional>
#include <memory>

#include "dll/SharedLibrary.h"
#include "wrappers/TrustCheck.h"
#include "include/ModuleException.h"
#include "tests/support/LogScope.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/ScopedHandle.h"

namespace {

using tarn_test::LogScope;
using tarn_test::programFolder;

std::wstring inProgramFolder(const std::wstring& relative) { return programFolder() + relative; }

bool isLoaded(const std::wstring& path) { return ::GetModuleHandleW(path.c_str()) != nullptr; }

// The real system layer, counting the loads it is asked for.
class CountingDllAPI : public Ledra::DllAPI {
 public:
  bool loadLibrary(const std::wstring& path, HMODULE* out) override {
    ++loads;
    return DllAPI::loadLibrary(path, out);
  }
  int loads = 0;
};

TEST(TrustTest, UnsignedTamperedAndRogueCopiesAreRefusedAndNotLoaded) {
  const struct {
    const wchar_t* folder;
    const wchar_t* name;
    uint32_t code;
  } cases[] = {
      {L"trust_unsigned", L"TarnTestLibUnsigned.dll", static_cast<uint32_t>(TRUST_E_NOSIGNATURE)},
      {L"trust_tampered", L"TarnTestLibTampered.dll", static_cast<uint32_t>(TRUST_E_BAD_DIGEST)},
      {L"trust_rogue", L"TarnTestLibRogue.dll", static_cast<uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LogScope log;
    const std::wstring path = inProgramFolder(std::wstring(c.folder) + L"\\" + c.name);
    ASSERT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    std::string error;
    try {
      Ledra::SharedLibrary library(Ledra::LibraryInfo{c.name, {std::wstring(L"$(App.Folder)") + c.folder}});
    } catch (const Ledra::ModuleException& e) {
      error = e.what();
    }
    EXPECT_EQ(error, "Failed to load library");
    EXPECT_FALSE(isLoaded(path));
    EXPECT_TRUE(log.has({L"Error", L"LoadLibrary Failed. GLE: " + std::to_wstring(c.code), L"DllAPI"}));
    EXPECT_TRUE(
        log.has({L"Error", std::wstring(L"Failed to load library: ") + c.name + L".", L"SharedLibrary"}));
  }
}

TEST(SharedLibraryOnDisk, SignedLibraryLoadsIsSharedByReferenceAndUnloads) {
  const LogScope log;
  const std::wstring path = inProgramFolder(L"TarnTestLib.dll");
  EXPECT_TRUE(Ledra::DllAPI().isTrusted(path));
  EXPECT_FALSE(Ledra::DllAPI().isTrusted(L""));
  EXPECT_EQ(Ledra::checkTrustedSignature(L""), 87u);
  ASSERT_FALSE(isLoaded(path));
  {
    // The folder is written with a trailing backslash: the log shows it without.
    Ledra::SharedLibrary library(Ledra::LibraryInfo{L"TarnTestLib.dll", {L"C:\\nowhere", L"$(App.Folder)"}});
    ASSERT_TRUE(isLoaded(path));
    std::wstring folder = programFolder();
    folder.pop_back();
    EXPECT_TRUE(log.has({L"Normal", L"Loading TarnTestLib.dll from " + folder + L".", L"SharedLibrary"}));

    using GetVersionNumFn = unsigned (*)();
    using GetVersionStrFn = const wchar_t* (*)();
    FARPROC* functions = library.getFunctions();
    EXPECT_EQ(reinterpret_cast<GetVersionNumFn>(
                  reinterpret_cast<void*>(functions[Ledra::SharedLibrary::kGetVersionNum]))(),
              1020304u);
    EXPECT_STREQ(reinterpret_cast<GetVersionStrFn>(
                     reinterpret_cast<void*>(functions[Ledra::SharedLibrary::kGetVersionStr]))(),
                 L"1.2.3.4");
    EXPECT_EQ(functions[Ledra::SharedLibrary::kCreateObject],
              ::GetProcAddress(library.module(), "CreateObject"));

    // Already in the process: taken with its count raised, no new load.
    auto api = std::make_shared<CountingDllAPI>();
    Ledra::DllLoader loader(api);
    HMODULE again = nullptr;
    ASSERT_TRUE(loader.loadDLL(path, &again));
    EXPECT_EQ(again, library.module());
    EXPECT_EQ(api->loads, 0);
    EXPECT_TRUE(loader.freeLibrary(again));
    EXPECT_TRUE(isLoaded(path));  // the library's own reference still holds it
  }
  EXPECT_FALSE(isLoaded(path));
}

// The block list as the installation writes it: HKLM\SOFTWARE\Brenix\Kiln\List\<name>.
class BlockListEntry {
 public:
  explicit BlockListEntry(const std::wstring& lowerName)
      : path_(L"SOFTWARE\\Brenix\\Kiln\\List\\" + lowerName) {
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key_.receive(), nullptr);
  }
  ~BlockListEntry() {
    key_.reset();
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path_.c_str());
  }
  void setBytes(const std::wstring& name, DWORD type, const void* data, size_t bytes) {
    ASSERT_EQ(::RegSetValueExW(key_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                               static_cast<DWORD>(bytes)),
              ERROR_SUCCESS);
  }
  void set(const std::wstring& name, DWORD type, const std::wstring& text, bool terminated = true) {
    setBytes(name, type, text.c_str(), (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
  }

 private:
  std::wstring path_;
  Ledra::ScopedRegKey key_;
};

TEST(SharedLibraryOnDisk, RegistryBlockListRefusesTheListedVersionInEveryStoredForm) {
  const LogScope log;
  const std::wstring path = inProgramFolder(L"blocklist\\TarnBlockListTest.dll");
  const Ledra::LibraryInfo info{L"TarnBlockListTest.dll", {L"$(App.Folder)blocklist"}};
  const DWORD number = 1;
  const char odd[] = {'1', 0, '.'};
  const struct {
    const wchar_t* what;
    std::function<void(BlockListEntry&)> store;
    bool blocked;
  } cases[] = {
      {L"REG_SZ", [](BlockListEntry& e) { e.set(L"1.2.3.4", REG_SZ, L"1.2.3.4"); }, true},
      {L"REG_EXPAND_SZ", [](BlockListEntry& e) { e.set(L"1.2.3.4", REG_EXPAND_SZ, L"1.2.3.4"); }, true},
      {L"REG_BINARY text",
       [](BlockListEntry& e) { e.set(L"1.2.3.4", REG_BINARY, std::wstring(L"1.2.3.4"), false); }, true},
      {L"REG_BINARY other text", [](BlockListEntry& e) { e.set(L"1.2.3.4", REG_BINARY, L"0.0.0.0"); }, false},
      {L"REG_SZ other text", [](BlockListEntry& e) { e.set(L"1.2.3.4", REG_SZ, L"0.0.0.0"); }, false},
      {L"REG_DWORD", [&](BlockListEntry& e) { e.setBytes(L"1.2.3.4", REG_DWORD, &number, sizeof(number)); },
       true},
      {L"REG_BINARY, half a unit",
       [&](BlockListEntry& e) { e.setBytes(L"1.2.3.4", REG_BINARY, odd, sizeof(odd)); }, true},
      {L"another version listed", [](BlockListEntry& e) { e.set(L"9.9.9.9", REG_SZ, L"9.9.9.9"); }, false},
  };
  for (const auto& c : cases) {
    {
      BlockListEntry entry(L"tarnblocklisttest.dll");
      c.store(entry);
      std::string error;
      try {
        Ledra::SharedLibrary library(info);
        EXPECT_TRUE(isLoaded(path)) << c.what;
      } catch (const Ledra::ModuleException& e) {
        error = e.what();
      }
      EXPECT_EQ(error, c.blocked ? "Failed to load library" : "") << c.what;
    }
    EXPECT_FALSE(isLoaded(path)) << c.what;
  }
  EXPECT_TRUE(log.hasMessage(L"Blocked library: " + path + L"."));
}

}  // namespace
