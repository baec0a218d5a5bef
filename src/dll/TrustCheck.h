// The trusted-signature check that guards every library load and every
// component object creation: WinVerifyTrust accepts the file's Authenticode
// signature and the signer's certificate is in the local machine's
// TrustedPublisher store. There is no way to switch it off.
#pragma once

#include <cstdint>
#include <string>

namespace Ledra {

// 0 when the file passes; otherwise a Windows error code or HRESULT saying why
// (87, ERROR_INVALID_PARAMETER, for an empty path).
uint32_t checkTrustedSignature(const std::wstring& path);

}  // namespace Ledra
