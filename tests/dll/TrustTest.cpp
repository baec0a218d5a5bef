// Trust verdicts kept per loaded image, loading a library from a file held
// open from its check to its load with its dependencies searched only beside
// it and in System32, and the shared library over all of it: signed, refused
// and blocked libraries on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <softpub.h>
#include <wintrust.h>

#include <functional>
#include <memory>
#include <string>

#include "dll/SharedLibrary.h"
#include "include/ModuleException.h"
#include "tests/support/LogScope.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/DllAPI.h"
#include "wrappers/ImageTrust.h"
#include "wrappers/ScopedHandle.h"
#include "wrappers/TrustCheck.h"

namespace {

using tarn_test::LogScope;
using tarn_test::programFolder;
using tarn_test::TempFolder;

// The product's check, counted, with something to do while it holds the file.
class CountingCheck : public Ledra::TrustCheck {
 public:
  uint32_t check(const std::wstring& path, HANDLE file) override {
    ++calls;
    if (whileChecking) whileChecking(path);
    return real_->check(path, file);
  }
  int calls = 0;
  std::function<void(const std::wstring&)> whileChecking;

 private:
  std::shared_ptr<Ledra::TrustCheck> real_ = Ledra::signatureTrustCheck();
};

void copyFile(const std::wstring& from, const std::wstring& to) {
  ASSERT_TRUE(::CopyFileW(from.c_str(), to.c_str(), FALSE)) << ::GetLastError();
}

// A library loaded the plain way, as a COM server is loaded by COM: the check
// is asked about an image already in the process.
class PlainlyLoaded {
 public:
  explicit PlainlyLoaded(const std::wstring& path) : module_(::LoadLibraryW(path.c_str())) {}
  void unload() { module_.reset(); }
  const void* code() const {
    return reinterpret_cast<const void*>(::GetProcAddress(module_.get(), "CreateObject"));
  }
  HMODULE module() const { return module_.get(); }

 private:
  Ledra::ScopedLibrary module_;
};

TEST(ImageTrust, KeepsAPassingVerdictOnlyWhileTheImageStaysLoaded) {
  TempFolder folder;
  const std::wstring path = folder.path() + L"\\TarnVerdictLib.dll";
  copyFile(programFolder() + L"TarnTestLib.dll", path);
  auto counting = std::make_shared<CountingCheck>();
  Ledra::ImageTrust trust(counting);

  PlainlyLoaded signedImage(path);
  ASSERT_NE(signedImage.module(), nullptr);
  EXPECT_EQ(trust.checkImageAt(signedImage.code()), 0u);
  EXPECT_EQ(trust.checkImageAt(signedImage.code()), 0u);
  EXPECT_EQ(counting->calls, 1) << "the second check of a mapped image ran the trust check again";
  EXPECT_EQ(trust.keptVerdicts(), 1u);

  // Unloaded, then replaced by an unsigned file and loaded again: refused.
  signedImage.unload();
  EXPECT_EQ(trust.keptVerdicts(), 0u) << "the verdict outlived its image";
  copyFile(programFolder() + L"trust_unsigned\\TarnTestLibUnsigned.dll", path);
  PlainlyLoaded replacement(path);
  ASSERT_NE(replacement.module(), nullptr);
  EXPECT_EQ(trust.checkImageAt(replacement.code()), static_cast<uint32_t>(TRUST_E_NOSIGNATURE));
  EXPECT_EQ(counting->calls, 2);
}

TEST(ImageTrust, ChecksAFailingFileEveryTimeAndKeepsNothing) {
  auto counting = std::make_shared<CountingCheck>();
  Ledra::ImageTrust trust(counting);
  // An image of a publisher this machine does not trust, already in the process.
  PlainlyLoaded rogue(programFolder() + L"trust_rogue\\TarnTestLibRogue.dll");
  ASSERT_NE(rogue.module(), nullptr);
  // A tampered file, asked to be loaded.
  const std::wstring tampered = programFolder() + L"trust_tampered\\TarnTestLibTampered.dll";
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(trust.checkImageAt(rogue.code()), static_cast<uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED));
    ::SetLastError(0);
    EXPECT_EQ(trust.loadLibrary(tampered), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(TRUST_E_BAD_DIGEST));
  }
  EXPECT_EQ(counting->calls, 4);
  EXPECT_EQ(trust.keptVerdicts(), 0u);
  EXPECT_EQ(::GetModuleHandleW(tampered.c_str()), nullptr);
  // An address in no image at all is refused too.
  EXPECT_NE(trust.checkImageAt(reinterpret_cast<const void*>(static_cast<uintptr_t>(0x1000))), 0u);
}

TEST(ImageTrust, LoadsOnlyAbsolutePaths) {
  Ledra::ImageTrust trust;
  for (const std::wstring path :
       {L"", L"TarnTestLib.dll", L".\\TarnTestLib.dll", L"$(App.Folder)TarnTestLib.dll", L"\\TarnTestLib.dll",
        L"C:TarnTestLib.dll"}) {
    ::SetLastError(0);
    EXPECT_EQ(trust.loadLibrary(path), nullptr) << path;
    EXPECT_EQ(::GetLastError(),
              static_cast<DWORD>(path.empty() ? ERROR_INVALID_PARAMETER : ERROR_BAD_PATHNAME))
        << path;
  }
  EXPECT_TRUE(Ledra::isAbsolutePath(L"C:\\folder\\x.dll"));
  EXPECT_TRUE(Ledra::isAbsolutePath(L"\\\\server\\share\\x.dll"));

  // Through the system layer: logged, answered as a failed load.
  const LogScope log;
  for (const std::wstring path : {L"", L"$(Kiln.InstallDir)\\MessageBus.dll"}) {
    HMODULE module = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(1));
    EXPECT_FALSE(Ledra::DllAPI().loadLibrary(path, &module)) << path;
    EXPECT_EQ(module, nullptr) << path;
  }
  EXPECT_TRUE(log.has({L"Error", L"Refused to load $(Kiln.InstallDir)\\MessageBus.dll: not an absolute path.",
                       L"DllAPI", L"Ledra::DllAPI::loadLibrary"}));
  EXPECT_TRUE(log.has({L"Error", L"LoadLibrary Failed. GLE: 87", L"DllAPI"}));
  EXPECT_TRUE(log.has({L"Error", L"LoadLibrary Failed. GLE: " + std::to_wstring(ERROR_BAD_PATHNAME)}));
}

TEST(ImageTrust, HoldsTheFileFromTheCheckUntilTheLoadHasReturned) {
  TempFolder folder;
  const std::wstring path = folder.path() + L"\\TarnHeldLib.dll";
  const std::wstring unsignedCopy = folder.path() + L"\\unsigned.dll";
  copyFile(programFolder() + L"TarnTestLib.dll", path);
  copyFile(programFolder() + L"trust_unsigned\\TarnTestLibUnsigned.dll", unsignedCopy);
  auto counting = std::make_shared<CountingCheck>();
  bool replaced = true, deleted = true, renamed = true, writable = true;
  counting->whileChecking = [&](const std::wstring& checked) {
    replaced = ::MoveFileExW(unsignedCopy.c_str(), checked.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    deleted = ::DeleteFileW(checked.c_str()) != FALSE;
    renamed = ::MoveFileW(checked.c_str(), (checked + L".old").c_str()) != FALSE;
    const Ledra::ScopedFileHandle writer(::CreateFileW(checked.c_str(), GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                       OPEN_EXISTING, 0, nullptr));
    writable = writer.valid();
  };
  Ledra::ImageTrust trust(counting);
  const Ledra::ScopedLibrary module(trust.loadLibrary(path));
  ASSERT_TRUE(module) << ::GetLastError();
  EXPECT_FALSE(replaced);
  EXPECT_FALSE(deleted);
  EXPECT_FALSE(renamed);
  EXPECT_FALSE(writable);
  EXPECT_NE(::GetProcAddress(module.get(), "GetVersionNum"), nullptr)
      << "the loaded file is not the checked one";
}

TEST(ImageTrust, SearchesALibrarysDependenciesOnlyBesideItAndInSystem32) {
  const std::wstring user = programFolder() + L"dep_user\\TarnTestUser.dll";
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW((programFolder() + L"dep_cwd").c_str()));
  struct Restore {
    const wchar_t* folder;
    ~Restore() { ::SetCurrentDirectoryW(folder); }
  } restore{previous};

  Ledra::ImageTrust trust;
  EXPECT_EQ(trust.loadLibrary(user), nullptr) << "the dependency came from the current folder";
  EXPECT_EQ(::GetModuleHandleW(L"TarnTestDep.dll"), nullptr);

  // The same library with its dependency beside it loads and works.
  Ledra::ScopedLibrary beside(trust.loadLibrary(programFolder() + L"dep_beside\\TarnTestUser.dll"));
  ASSERT_TRUE(beside) << ::GetLastError();
  using ValueFn = int (*)();
  EXPECT_EQ(reinterpret_cast<ValueFn>(
                reinterpret_cast<void*>(::GetProcAddress(beside.get(), "TarnTestUserValue")))(),
            42);
  beside.reset();

  // Control: the default search order would have taken it from the current folder.
  const Ledra::ScopedLibrary unsafe(::LoadLibraryW(user.c_str()));
  EXPECT_TRUE(unsafe) << "this test shows nothing where the current folder is not searched";
}

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

// Through the whole stack (the check itself refuses each kind of file: see ImageTrust above).
TEST(SharedLibraryOnDisk, ALibrarySignedByAnotherPublisherIsRefusedAndNotLoaded) {
  const LogScope log;
  const std::wstring path = programFolder() + L"trust_rogue\\TarnTestLibRogue.dll";
  ASSERT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  std::string error;
  try {
    Ledra::SharedLibrary library(Ledra::LibraryInfo{L"TarnTestLibRogue.dll", {L"$(App.Folder)trust_rogue"}});
  } catch (const Ledra::ModuleException& e) {
    error = e.what();
  }
  EXPECT_EQ(error, "Failed to load library");
  EXPECT_FALSE(isLoaded(path));
  EXPECT_TRUE(log.has(
      {L"Error",
       L"LoadLibrary Failed. GLE: " + std::to_wstring(static_cast<uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED)),
       L"DllAPI"}));
  EXPECT_TRUE(log.has({L"Error", L"Failed to load library: TarnTestLibRogue.dll.", L"SharedLibrary"}));
}

TEST(SharedLibraryOnDisk, SignedLibraryLoadsIsSharedByReferenceAndUnloads) {
  const LogScope log;
  const std::wstring path = programFolder() + L"TarnTestLib.dll";
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
  const std::wstring path = programFolder() + L"blocklist\\TarnBlockListTest.dll";
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
