// Coclass BxHubHelper: whether the caller is an administrator, and the program
// file a user picked. The pick is not a dialog here: it is the path configured
// in HKLM\SOFTWARE\Brenix\FirewallKit "OpenFilePath", or nothing.
#pragma once

#include <windows.h>

#include <atomic>

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/ServerModule.h"

namespace BxKit {

class HubHelper : public IBxHubHelper {
 public:
  static HRESULT Create(REFIID riid, void** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IBxHubHelper
  HRESULT STDMETHODCALLTYPE Reserved3() override;                                     // 3
  HRESULT STDMETHODCALLTYPE Reserved4() override;                                     // 4
  HRESULT STDMETHODCALLTYPE Reserved5() override;                                     // 5
  HRESULT STDMETHODCALLTYPE Reserved6() override;                                     // 6
  HRESULT STDMETHODCALLTYPE Reserved7() override;                                     // 7
  HRESULT STDMETHODCALLTYPE Reserved8() override;                                     // 8
  HRESULT STDMETHODCALLTYPE Reserved9() override;                                     // 9
  HRESULT STDMETHODCALLTYPE Reserved10() override;                                    // 10
  HRESULT STDMETHODCALLTYPE Reserved11() override;                                    // 11
  HRESULT STDMETHODCALLTYPE Reserved12() override;                                    // 12
  HRESULT STDMETHODCALLTYPE OpenFile(long mode, HWND owner, VARIANT* path) override;  // 13
  HRESULT STDMETHODCALLTYPE Reserved14() override;                                    // 14
  HRESULT STDMETHODCALLTYPE Reserved15() override;                                    // 15
  HRESULT STDMETHODCALLTYPE Reserved16() override;                                    // 16
  HRESULT STDMETHODCALLTYPE IsAdmin(VARIANT_BOOL* isAdmin) override;                  // 17

 private:
  HubHelper() = default;
  virtual ~HubHelper() = default;

  std::atomic<ULONG> references_{1};
  ServerObjectCount count_;
};

}  // namespace BxKit
