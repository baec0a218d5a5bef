#include "wrappers/PathAPI.h"

#include <windows.h>

namespace Ledra {

namespace {

// False when the path is empty or the file system knows no such entry.
bool hasAttributes(const std::wstring& path, DWORD* attributes) {
  if (path.empty()) return false;
  *attributes = ::GetFileAttributesW(path.c_str());
  return *attributes != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool PathAPI::fileExists(const std::wstring& path) {
  DWORD attributes = 0;
  return hasAttributes(path, &attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathAPI::directoryExists(const std::wstring& path) {
  DWORD attributes = 0;
  return hasAttributes(path, &attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace Ledra
