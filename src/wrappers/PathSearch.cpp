#include "wrappers/PathSearch.h"

#include "Logging/Log.h"

namespace Ledra {

namespace {

constexpr wchar_t kLogFile[] = L"PathSearch";
constexpr wchar_t kEnteringFindFilePath[] = L"Entering findFilePath for file %ls";
constexpr wchar_t kFileFound[] = L"File found at path %ls. Returning success.";
constexpr wchar_t kFileNotFound[] = L"File not found.";
constexpr wchar_t kEnteringCheckIfExists[] = L"Entering checkIfExists for %ls";
constexpr wchar_t kFileExists[] = L"File exists";
constexpr wchar_t kFileDoesNotExist[] = L"File does not exist.";

}  // namespace

PathSearch::PathSearch(std::shared_ptr<PathAPI> pathApi, std::shared_ptr<DllAPI> dllApi)
    : pathApi_(pathApi ? std::move(pathApi) : std::make_shared<PathAPI>()),
      dllApi_(dllApi ? std::move(dllApi) : std::make_shared<DllAPI>()) {}

std::vector<std::wstring> PathSearch::getSearchPaths() const { return folders_; }

void PathSearch::addSearchPaths(const std::vector<std::wstring>& folders) {
  folders_.insert(folders_.end(), folders.begin(), folders.end());
}

void PathSearch::addSearchPath(const wchar_t* folder) {
  if (folder != nullptr) folders_.emplace_back(folder);
}

void PathSearch::addSearchPath(const std::wstring& folder) { folders_.push_back(folder); }

bool PathSearch::findFilePath(const std::wstring& fileName, std::wstring& folder) {
  LEDRA_LOG(logging::Normal, L"Ledra::PathSearch::findFilePath", __LINE__, kEnteringFindFilePath,
            fileName.c_str());
  for (const std::wstring& candidate : folders_) {
    if (!checkIfExists(candidate + L"\\" + fileName)) continue;
    folder = candidate;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    LEDRA_LOG(logging::Normal, L"Ledra::PathSearch::findFilePath", __LINE__, kFileFound, folder.c_str());
    return true;
  }
  LEDRA_LOG(logging::Warning, L"Ledra::PathSearch::findFilePath", __LINE__, kFileNotFound);
  return false;
}

bool PathSearch::checkIfExists(const std::wstring& path) {
  LEDRA_LOG(logging::Normal, L"Ledra::PathSearch::checkIfExists", __LINE__, kEnteringCheckIfExists,
            path.c_str());
  if (pathApi_->fileExists(path)) {
    LEDRA_LOG(logging::Normal, L"Ledra::PathSearch::checkIfExists", __LINE__, kFileExists);
    return true;
  }
  LEDRA_LOG(logging::Warning, L"Ledra::PathSearch::checkIfExists", __LINE__, kFileDoesNotExist);
  return false;
}

}  // namespace Ledra
