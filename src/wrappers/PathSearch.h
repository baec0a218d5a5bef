// Finds the first folder of a list that holds a given file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "wrappers/DllAPI.h"
#include "wrappers/PathAPI.h"

namespace Ledra {

class PathSearch {
 public:
  // Null collaborators are replaced by the system's own.
  PathSearch(std::shared_ptr<PathAPI> pathApi = nullptr, std::shared_ptr<DllAPI> dllApi = nullptr);
  virtual ~PathSearch() = default;

  virtual std::vector<std::wstring> getSearchPaths() const;
  // Folders are only ever appended, in order of preference.
  virtual void addSearchPaths(const std::vector<std::wstring>& folders);
  virtual void addSearchPath(const wchar_t* folder);
  virtual void addSearchPath(const std::wstring& folder);
  // The first folder holding fileName, without a trailing backslash. On a
  // miss folder keeps its previous contents.
  virtual bool findFilePath(const std::wstring& fileName, std::wstring& folder);
  // Whether a file (not a directory) exists at path.
  virtual bool checkIfExists(const std::wstring& path);

 private:
  std::shared_ptr<PathAPI> pathApi_;
  std::shared_ptr<DllAPI> dllApi_;  // kept for derived searches; the search itself needs no loading
  std::vector<std::wstring> folders_;
};

}  // namespace Ledra
