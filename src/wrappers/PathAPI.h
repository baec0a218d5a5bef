// File-system questions asked while resolving library folders.
#pragma once

#include <string>

namespace Ledra {

class PathAPI {
 public:
  virtual ~PathAPI() = default;
  // True for an existing file; a directory of that name does not count.
  virtual bool fileExists(const std::wstring& path);
  // True for an existing directory.
  virtual bool directoryExists(const std::wstring& path);
};

}  // namespace Ledra
