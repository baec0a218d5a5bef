// Where the logs live, and the names of modules as logs show them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wrappers/ScopedHandle.h"

namespace ETWLogging {

// What the file back end answers when a reparse point (a junction, a symbolic
// link, a mount point) stands where a log folder or file should be
// (ERROR_REPARSE_POINT_ENCOUNTERED, which not every SDK names).
constexpr uint32_t kErrorReparsePoint = 4395;

// The common application-data folder (created if missing), without a
// trailing backslash. Empty when it cannot be had.
std::wstring commonAppDataFolder() noexcept;

// The common application-data folder + "\Brenix\BXLOGS\". Nothing is created
// here: LogFolderGuard makes the folders below the application-data folder,
// checking each one. Empty when the application-data folder cannot be had.
std::wstring defaultLogsRoot() noexcept;

// Creates every missing folder of `path` (which may end in a backslash),
// following whatever it finds: only for folders nobody but an administrator
// can plant a link in.
void createFolders(const std::wstring& path) noexcept;

// The file name of `module` (the process image when null) without its folder
// and without the part from its last ".". Empty when it cannot be had.
std::wstring moduleBaseName(HMODULE module) noexcept;

// True when `path` names a reparse point itself. Asked by path, which does not
// follow the point (Wine reports a link this way only, not through a handle).
bool isReparsePoint(const std::wstring& path) noexcept;

// The folders from the logs root down to a log directory, refused when any of
// them is a reparse point that a local user may have planted to send the
// lines (and the truncations of the rotation) somewhere else.
//
// Each folder is created when missing, checked, and then held open without
// delete sharing until the guard goes: a held folder can be neither renamed
// nor removed, so nobody can swap a link in after the check, and a line needs
// no check of its folders. (Windows also refuses to rename a folder with an
// open handle below it.) A folder that cannot be made or opened yet is
// checked again by the next secure().
class LogFolderGuard {
 public:
  // folders: outermost first, without trailing backslashes.
  void reset(std::vector<std::wstring> folders) noexcept;

  // Makes, checks and holds every folder not held yet. 0 when all are held;
  // kErrorReparsePoint (the folders stay refused: every later call answers
  // the same); otherwise the error of the first folder that cannot be had.
  uint32_t secure() noexcept;

  // True when all folders are held and `file` (an open handle) lies in the
  // last of them under `name`, links followed: the test for a link that does
  // not show as a reparse point.
  bool holdsFile(HANDLE file, const std::wstring& name) const;

 private:
  std::vector<std::wstring> folders_;
  std::vector<Ledra::ScopedFileHandle> held_;
  bool refused_ = false;
};

}  // namespace ETWLogging
