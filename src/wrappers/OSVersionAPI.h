// The operating-system version service: which platform the process runs on
// and whether it runs under WOW64.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

namespace Basalt {

// Platform codes as the path macros know them.
constexpr uint32_t kPlatformWin32 = 0;
constexpr uint32_t kPlatformX64 = 1;
constexpr uint32_t kPlatformUnknown = 2;

class OSVersionAPI {
 public:
  virtual ~OSVersionAPI() = default;
  // False when IsWow64Process is missing or fails.
  virtual bool isWow64() = 0;
  virtual uint32_t getPlatform() = 0;
};

// The platform code for a version: 2 when it could not be read or for an
// unknown platform id; 0 for the Windows 9x family (id 1) and NT before 5.1;
// 1 for NT 5.1 and later.
uint32_t platformFromVersion(bool readOk, uint32_t major, uint32_t minor, uint32_t platformId);

// Asks the system on every call.
class WinOSVersionAPI : public OSVersionAPI {
 public:
  bool isWow64() override;
  uint32_t getPlatform() override;
};

// Asks the wrapped service once per answer and keeps it for the lifetime of
// the proxy; safe to share between threads.
class CachingOSVersionAPI : public OSVersionAPI {
 public:
  explicit CachingOSVersionAPI(std::shared_ptr<OSVersionAPI> inner = nullptr);
  bool isWow64() override;
  uint32_t getPlatform() override;

 private:
  std::shared_ptr<OSVersionAPI> inner_;
  std::once_flag wow64Once_;
  std::once_flag platformOnce_;
  bool wow64_ = false;
  uint32_t platform_ = kPlatformUnknown;
};

}  // namespace Basalt
