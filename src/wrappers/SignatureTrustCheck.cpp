// The product's trusted-signature check over WinVerifyTrust and the
// TrustedPublisher store of the local machine.
#include "wrappers/TrustCheck.h"

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "wrappers/HeldFile.h"
#include "wrappers/ScopedHandle.h"

namespace Ledra {

namespace {

constexpr wchar_t kTrustedPublisherStore[] = L"TrustedPublisher";

struct CertStoreTraits {
  using Handle = HCERTSTORE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::CertCloseStore(h, 0); }
};

struct CertContextTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::CertFreeCertificateContext(h); }
};

using ScopedCertStore = ScopedHandleT<CertStoreTraits>;
using ScopedCertContext = ScopedHandleT<CertContextTraits>;

// Runs the verification with its state kept, so that the signer can be read
// afterwards, and releases that state when it goes out of scope.
class TrustVerification {
 public:
  TrustVerification(const std::wstring& path, HANDLE file) {
    file_.cbStruct = sizeof(file_);
    file_.pcwszFilePath = path.c_str();
    file_.hFile = file;
    data_.cbStruct = sizeof(data_);
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
    status_ = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  ~TrustVerification() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  TrustVerification(const TrustVerification&) = delete;
  TrustVerification& operator=(const TrustVerification&) = delete;

  LONG status() const { return status_; }

  // The signer's own certificate, owned by the verification state.
  PCCERT_CONTEXT signerCertificate() const {
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data_.hWVTStateData);
    if (provider == nullptr) return nullptr;
    CRYPT_PROVIDER_SGNR* signer = ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr) return nullptr;
    return signer->pasCertChain[0].pCert;
  }

 private:
  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  WINTRUST_FILE_INFO file_ = {};
  WINTRUST_DATA data_ = {};
  LONG status_ = 0;
};

class SignatureTrustCheck : public TrustCheck {
 public:
  uint32_t check(const std::wstring& path, HANDLE file) override {
    if (path.empty()) return ERROR_INVALID_PARAMETER;
    if (file == nullptr || file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;

    TrustVerification verification(path, file);
    if (verification.status() != ERROR_SUCCESS) return static_cast<uint32_t>(verification.status());

    // A valid signature is not enough: its signer must be one this machine
    // trusts by name.
    PCCERT_CONTEXT signer = verification.signerCertificate();
    if (signer == nullptr) return static_cast<uint32_t>(TRUST_E_NO_SIGNER_CERT);

    ScopedCertStore store(::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                          CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG,
                                          kTrustedPublisherStore));
    if (!store) return static_cast<uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED);

    ScopedCertContext found(::CertFindCertificateInStore(store.get(), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                         0, CERT_FIND_EXISTING, signer, nullptr));
    if (!found) return static_cast<uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED);
    return 0;
  }
};

}  // namespace

std::shared_ptr<TrustCheck> signatureTrustCheck() { return std::make_shared<SignatureTrustCheck>(); }

uint32_t checkTrustedSignature(const std::wstring& path) {
  if (path.empty()) return ERROR_INVALID_PARAMETER;
  const HeldFile file(path);
  if (!file.valid()) return file.error();
  return SignatureTrustCheck().check(path, file.handle());
}

}  // namespace Ledra
