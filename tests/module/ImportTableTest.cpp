// The shipped libraries import only Windows system DLLs: the C and C++ runtimes
// are linked in, so nothing else has to be installed beside them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "wrappers/ScopedHandle.h"

namespace {

// The names in a PE file's import directory, lower-cased.
std::vector<std::string> importedDlls(const std::wstring& path) {
  std::vector<char> image;
  const Ledra::ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file) {
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0)
      image.insert(image.end(), chunk, chunk + got);
  }
  std::vector<std::string> names;
  if (image.size() < sizeof(IMAGE_DOS_HEADER)) return names;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return names;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    return names;
  }
  const auto* sections = IMAGE_FIRST_SECTION(nt);
  auto offsetOf = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const auto& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData)) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return 0;
  };
  const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  size_t at = offsetOf(directory.VirtualAddress);
  for (; at != 0 && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size();
       at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + at);
    if (descriptor->Name == 0) break;
    std::string name(image.data() + offsetOf(descriptor->Name));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    names.push_back(name);
  }
  return names;
}

bool isSystemDll(const std::string& name) {
  static const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll",
                                               "ole32.dll",    "oleaut32.dll", "shell32.dll", "shlwapi.dll",
                                               "wintrust.dll", "crypt32.dll",  "msvcrt.dll",  "version.dll",
                                               "ntdll.dll",    "rpcrt4.dll",   "bcrypt.dll",  "ws2_32.dll"};
  return system.count(name) != 0 || name.rfind("api-ms-win-", 0) == 0;
}

TEST(ImportTable, NamesOnlyWindowsSystemDllsInEveryShippedLibrary) {
  const wchar_t* libraries[] = {L"TarnModule.dll", L"MessageBus.dll", L"SettingsManager.dll",
                                L"BxFWConfig.dll"};
  int checked = 0;
  for (const wchar_t* library : libraries) {
    if (GetFileAttributesW(library) == INVALID_FILE_ATTRIBUTES) continue;
    const auto names = importedDlls(library);
    ASSERT_FALSE(names.empty()) << "no import directory read from "
                                << std::string(library, library + wcslen(library));
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "kernel32.dll"));
    for (const auto& name : names) EXPECT_TRUE(isSystemDll(name)) << name;
    ++checked;
  }
  EXPECT_GE(checked, 1) << "TarnModule.dll was not built beside the test";
  EXPECT_EQ(0u, GetFileAttributesW(L"TarnModule.dll") == INVALID_FILE_ATTRIBUTES ? 1u : 0u);
}

}  // namespace
