#include "kit/BxFWConfig/ModelStore.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>

#include "kit/BxFWConfig/KitRegistry.h"
#include "kit/BxFWConfig/ModelFile.h"
#include "kit/BxFWConfig/ResultCodes.h"
#include "wrappers/ScopedHandle.h"

namespace BxKit {
namespace {

constexpr wchar_t kDefaultRelativePath[] = L"\\Brenix\\FirewallKit\\model.txt";

std::mutex& StoreMutex() {
  static std::mutex mutex;
  return mutex;
}

std::wstring ProgramDataFolder() {
  Ledra::ScopedCoTaskMemString folder;
  std::wstring out;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, folder.receive())) && folder) {
    out = folder.get();
  }
  return out;
}

void CreateParentFolders(const std::wstring& file) {
  for (size_t slash = file.find_first_of(L"\\/", 3); slash != std::wstring::npos;
       slash = file.find_first_of(L"\\/", slash + 1)) {
    ::CreateDirectoryW(file.substr(0, slash).c_str(), nullptr);
  }
}

// Answers false only when the file exists and cannot be read.
bool ReadFileText(const std::wstring& path, std::string& text, bool& exists) {
  exists = false;
  Ledra::ScopedFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  exists = true;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > (16 << 20)) return false;
  text.assign(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!text.empty() && (!::ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
                        read != text.size())) {
    return false;
  }
  return true;
}

// Writes beside the file and moves it into place, so a reader never sees half a model.
bool WriteFileText(const std::wstring& path, const std::string& text) {
  CreateParentFolders(path);
  const std::wstring temporary = path + L".new";
  {
    Ledra::ScopedFileHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
      return false;
    }
  }
  return ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         0;
}

long LoadLocked(const std::wstring& path, FirewallModel& model) {
  std::string text;
  bool exists = false;
  if (!ReadFileText(path, text, exists)) return kResultStorage;
  if (!exists) {
    model = DefaultModel();
    return kResultOk;
  }
  return ParseModel(text, model) ? kResultOk : kResultStorage;
}

}  // namespace

std::wstring StateFilePath() {
  const std::optional<std::wstring> configured = ReadMachineText(kKitKey, kStateFileValue);
  if (configured && !configured->empty()) return *configured;
  return ProgramDataFolder() + kDefaultRelativePath;
}

long LoadModel(FirewallModel& model) {
  const std::wstring path = StateFilePath();
  std::lock_guard<std::mutex> lock(StoreMutex());
  return LoadLocked(path, model);
}

long UpdateModel(const std::function<long(FirewallModel&)>& change) {
  const std::wstring path = StateFilePath();
  std::lock_guard<std::mutex> lock(StoreMutex());
  FirewallModel model;
  long result = LoadLocked(path, model);
  if (result != kResultOk) return result;
  result = change(model);
  if (result != kResultOk) return result;
  return WriteFileText(path, FormatModel(model)) ? kResultOk : kResultStorage;
}

}  // namespace BxKit
