// The trusted-signature check that guards every library load and every
// component object creation: WinVerifyTrust accepts the file's Authenticode
// signature and the signer's certificate is in the local machine's
// TrustedPublisher store. There is no way to switch it off.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace Ledra {

class TrustCheck {
 public:
  virtual ~TrustCheck() = default;
  // 0 when the file passes; otherwise a Windows error code or HRESULT saying
  // why (87, ERROR_INVALID_PARAMETER, for an empty path). `file` is a handle,
  // open for reading, to the file at `path`: the check reads the file through
  // it, so what is checked is what that handle holds.
  virtual uint32_t check(const std::wstring& path, HANDLE file) = 0;
};

// The product's check: WinVerifyTrust and the TrustedPublisher store.
std::shared_ptr<TrustCheck> signatureTrustCheck();

// Opens the file (others may read it, not change it) and runs the product's check on it.
uint32_t checkTrustedSignature(const std::wstring& path);

}  // namespace Ledra
