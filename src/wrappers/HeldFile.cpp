#include "wrappers/HeldFile.h"

namespace Ledra {

bool isAbsolutePath(const std::wstring& path) {
  auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
      path[1] == L':' && isSeparator(path[2])) {
    return true;
  }
  // "\\server\share" and "\\?\C:\...": two separators, then a name.
  return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
}

HeldFile::HeldFile(const std::wstring& path)
    : file_(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!file_.valid()) {
    error_ = ::GetLastError();
    if (error_ == 0) error_ = ERROR_OPEN_FAILED;
  }
}

bool HeldFile::identity(FileIdentity& out) const {
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!file_.valid() || !::GetFileInformationByHandle(file_.get(), &information)) return false;
  out.volumeSerial = information.dwVolumeSerialNumber;
  out.fileIndex = (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  out.size = (static_cast<uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  out.lastWriteTime = (static_cast<uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
                      information.ftLastWriteTime.dwLowDateTime;
  return true;
}

}  // namespace Ledra
