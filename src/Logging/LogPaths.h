// Where the logs live, and the names of modules as logs show them.
#pragma once

#include <windows.h>

#include <string>

namespace ETWLogging {

// The common application-data folder (created if missing), without a
// trailing backslash. Empty when it cannot be had.
std::wstring commonAppDataFolder() noexcept;

// The common application-data folder + "\Brenix\BXLOGS\", each folder created
// when missing. Empty when the application-data folder cannot be had.
std::wstring defaultLogsRoot() noexcept;

// Creates every missing folder of `path` (which may end in a backslash).
void createFolders(const std::wstring& path) noexcept;

// The file name of `module` (the process image when null) without its folder
// and without the part from its last ".". Empty when it cannot be had.
std::wstring moduleBaseName(HMODULE module) noexcept;

}  // namespace ETWLogging
