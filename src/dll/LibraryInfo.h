// A sibling library to load: its file name and the folders to look in.
#pragma once

#include <string>
#include <vector>

namespace Ledra {

struct LibraryInfo {
  std::wstring name;                        // file name, such as "MessageBus.dll"
  std::vector<std::wstring> searchFolders;  // in order of preference; may hold path macros
};

}  // namespace Ledra
