#include "kit/SettingsManager/PropertyStore.h"

#include <windows.h>
#include <shlobj.h>

#include "message/JSONFormatter.h"
#include "wrappers/ScopedHandle.h"

namespace SettingsKit {
namespace {

constexpr wchar_t kProperties[] = L"properties";
constexpr wchar_t kName[] = L"name";
constexpr wchar_t kValue[] = L"value";

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring parentFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The whole file as UTF-16LE text (byte-order mark dropped). False when it
// cannot be opened; *missing says whether it simply does not exist.
bool readText(const std::wstring& path, std::wstring& text, bool& missing) {
  Ledra::ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return false;
  }
  missing = false;
  std::string bytes;
  char buffer[8192];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  text.clear();
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  return true;
}

// Writes beside the target, then replaces it, so a crash never leaves half a file.
bool writeText(const std::wstring& path, const std::wstring& text) {
  const std::wstring folder = parentFolder(path);
  if (!folder.empty()) SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  const std::wstring temporary = path + L".tmp";
  {
    Ledra::ScopedFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t unit : text) {
      bytes.push_back(static_cast<char>(unit & 0xFF));
      bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
      return false;
    }
  }
  return MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         0;
}

}  // namespace

PropertyStore::PropertyStore(std::wstring statePath) : statePath_(std::move(statePath)) {}

std::wstring PropertyStore::defaultStatePath() {
  Ledra::ScopedCoTaskMemString root;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, root.receive()))) return std::wstring();
  return std::wstring(root.get()) + L"\\Brenix\\SettingsManager\\properties.json";
}

bool PropertyStore::load() {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  properties_.clear();
  if (statePath_.empty()) return true;
  std::wstring text;
  bool missing = false;
  if (!readText(statePath_, text, missing)) return missing;
  Ledra::JSONFormatter document;
  std::vector<Ledra::JSONFormatter> entries;
  if (!document.fromString(text) || !document.getObjectArray(kProperties, entries)) return false;
  for (const auto& entry : entries) {
    std::wstring name, value;
    if (entry.getString(kName, name) && entry.getString(kValue, value))
      properties_[name] = Entry{value, false};
  }
  return true;
}

bool PropertyStore::saveLocked() const {
  if (statePath_.empty()) return true;
  std::vector<Ledra::JSONFormatter> entries;
  for (const auto& property : properties_) {
    if (property.second.isVolatile) continue;
    Ledra::JSONFormatter entry;
    entry.setString(kName, property.first);
    entry.setString(kValue, property.second.value);
    entries.push_back(std::move(entry));
  }
  Ledra::JSONFormatter document;
  document.setObjectArray(kProperties, entries);
  return writeText(statePath_, document.toString());
}

bool PropertyStore::set(const std::wstring& name, const std::wstring& value, bool isVolatile) {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  auto found = properties_.find(name);
  const bool wasPersisted = found != properties_.end() && !found->second.isVolatile;
  properties_[name] = Entry{value, isVolatile};
  return isVolatile && !wasPersisted ? true : saveLocked();
}

bool PropertyStore::get(const std::wstring& name, std::wstring& value) const {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  const auto found = properties_.find(name);
  if (found == properties_.end()) return false;
  value = found->second.value;
  return true;
}

PropertyStore::Properties PropertyStore::withPrefix(const std::wstring& prefix) const {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  Properties matches;
  for (auto it = properties_.lower_bound(prefix); it != properties_.end() && startsWith(it->first, prefix);
       ++it) {
    matches.emplace_back(it->first, it->second.value);
  }
  return matches;
}

bool PropertyStore::remove(const std::wstring& name) {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  const auto found = properties_.find(name);
  if (found == properties_.end()) return false;
  const bool wasPersisted = !found->second.isVolatile;
  properties_.erase(found);
  if (wasPersisted) saveLocked();
  return true;
}

std::vector<std::wstring> PropertyStore::removePrefix(const std::wstring& prefix) {
  std::lock_guard<Ledra::SrwMutex> lock(mutex_);
  std::vector<std::wstring> removed;
  auto it = properties_.lower_bound(prefix);
  while (it != properties_.end() && startsWith(it->first, prefix)) {
    removed.push_back(it->first);
    it = properties_.erase(it);
  }
  if (!removed.empty()) saveLocked();
  return removed;
}

}  // namespace SettingsKit
