// Trusted-signature verdicts kept per loaded image, so that each component
// object created does not cost a WinVerifyTrust over the same mapped file.
// Why this keeps the guarantee: Windows refuses writes to a file while it is mapped as an image, and a
// verdict lives only while its image stays mapped with an unchanged file, so the file that passed is what
// runs.
//
// A verdict is keyed on the image's base and the identity of the file read
// through the handle opened for the check (volume, file index, size, last
// write time); it is dropped when the loader reports the image unloaded or
// when the identity read for a later check differs. Only passing verdicts are
// kept: a failing file is checked again every time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wrappers/HeldFile.h"
#include "wrappers/SrwSync.h"
#include "wrappers/TrustCheck.h"

namespace Ledra {

class ImageTrust {
 public:
  // A null check is the product's signature check.
  explicit ImageTrust(std::shared_ptr<TrustCheck> check = nullptr);
  ~ImageTrust();
  ImageTrust(const ImageTrust&) = delete;
  ImageTrust& operator=(const ImageTrust&) = delete;

  // The process's own: verified creation and library loading share it.
  static ImageTrust& process();

  // 0 when the image holding `address` comes from a file that passes the
  // check (by its kept verdict, or by a check that keeps one); otherwise why not.
  uint32_t checkImageAt(const void* address);

  // Loads a library by absolute path once its file passes: the file is held
  // open (write and delete denied to others) from the check until
  // LoadLibraryExW has returned, and the library's own dependencies are
  // searched in its folder and System32 only. Null on failure, with the reason
  // as the thread's last error (ERROR_BAD_PATHNAME for a path that is not absolute).
  HMODULE loadLibrary(const std::wstring& path);

  // How many passing verdicts are kept now.
  size_t keptVerdicts();

 private:
  struct Verdict {
    const void* imageBase;
    FileIdentity identity;
  };

  // A kept verdict for this image with this identity. A verdict of the image
  // with another identity is dropped.
  bool isKept(const void* imageBase, const FileIdentity& identity);
  // A kept verdict of some mapped image read from a file of this identity.
  bool isKeptForFile(const FileIdentity& identity);
  void keep(const void* imageBase, const FileIdentity& identity);
  // Called by the loader (with its lock held) when an image is unloaded.
  void forget(const void* imageBase) noexcept;
  static void CALLBACK onLoaderNotification(ULONG reason, const void* data, void* context);

  std::shared_ptr<TrustCheck> check_;
  // Never held while calling the loader: the loader calls forget() under its own lock.
  SrwMutex mutex_;
  std::vector<Verdict> verdicts_;
  // Null when the loader gives no unload notifications: then no verdict is kept.
  void* notificationCookie_ = nullptr;
};

}  // namespace Ledra
