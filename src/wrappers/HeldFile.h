// A file held open from its trust check until the load that follows has
// returned: read access for us, read sharing only for others, so that nobody
// can write, replace, rename or delete it in between.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "wrappers/ScopedHandle.h"

namespace Ledra {

// What tells one file's contents from another's while nobody writes it: the
// volume, the file's index on it, its size and its last write time.
struct FileIdentity {
  DWORD volumeSerial = 0;
  uint64_t fileIndex = 0;
  uint64_t size = 0;
  uint64_t lastWriteTime = 0;

  bool operator==(const FileIdentity& other) const {
    return volumeSerial == other.volumeSerial && fileIndex == other.fileIndex && size == other.size &&
           lastWriteTime == other.lastWriteTime;
  }
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// A drive-absolute ("C:\...") or UNC ("\\server\share\...") path. Anything
// else (relative, "C:file", "\folder", an unexpanded "$(...)") would be
// resolved against the current folder or the search order.
bool isAbsolutePath(const std::wstring& path);

class HeldFile {
 public:
  explicit HeldFile(const std::wstring& path);

  bool valid() const { return file_.valid(); }
  HANDLE handle() const { return file_.get(); }
  // Why the file could not be opened (the system's error code); 0 when it was.
  DWORD error() const { return error_; }
  // Read from the open handle; false (with the reason as last error) when it cannot be read.
  bool identity(FileIdentity& out) const;

 private:
  ScopedFileHandle file_;
  DWORD error_ = 0;
};

}  // namespace Ledra
