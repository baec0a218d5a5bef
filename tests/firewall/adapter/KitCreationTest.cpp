// Verified creation against the kit's real component: the signed server
// creates objects that the adapter drives end to end; an unsigned build of the
// same server, registered in its place, is refused.
#include <gtest/gtest.h>

#include <string>

#include "firewall/adapter/ModuleLock.h"
#include "firewall/adapter/TarnIf.h"
#include "firewall/adapter/VerifiedCreation.h"
#include "include/BxFWInterfaces.h"
#include "wrappers/ScopedHandle.h"

namespace {

using Microsoft::WRL::ComPtr;

std::wstring besideThisProgram(const wchar_t* file) {
  wchar_t path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + file;
}

// Registers the server at path as the component's classes, as an installer would.
HRESULT registerServer(const wchar_t* file) {
  Ledra::ScopedLibrary server(::LoadLibraryW(besideThisProgram(file).c_str()));
  if (!server) return HRESULT_FROM_WIN32(::GetLastError());
  auto registerFn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(::GetProcAddress(server.get(), "DllRegisterServer")));
  return registerFn ? registerFn() : E_NOINTERFACE;
}

class AdapterKitCreation : public ::testing::Test {
 protected:
  // Other programs rely on the signed server being the registered one.
  void TearDown() override {
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(S_OK, registerServer(L"BxFWConfig.dll"));
  }
};

TEST_F(AdapterKitCreation, UnsignedServerIsRefusedWithAccessDenied) {
  ASSERT_EQ(S_OK, registerServer(L"BxFWConfigUnsigned.dll"));
  for (const auto& [clsid, iid] :
       {std::make_pair(CLSID_BxFWSettings, IID_IBxFWSettings),
        std::make_pair(CLSID_BxPersonalFirewallConfig, IID_IBxPersonalFirewallConfig)}) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_ACCESSDENIED, Brenix::createVerified(clsid, Brenix::kComponentClassContext, iid, &out));
    EXPECT_EQ(nullptr, out);
  }
  bool enabled = false;
  EXPECT_EQ(0x80000002u, Brenix::TarnIf().GetFirewallState(enabled));
}

TEST_F(AdapterKitCreation, SignedServerCreatesObjectsTheAdapterDrives) {
  ASSERT_EQ(S_OK, registerServer(L"BxFWConfig.dll"));
  ComPtr<IBxFWSettings> settings;
  ASSERT_EQ(S_OK,
            Brenix::createVerified(CLSID_BxFWSettings, Brenix::kComponentClassContext, IID_IBxFWSettings,
                                   reinterpret_cast<void**>(settings.GetAddressOf())));
  ASSERT_TRUE(settings);

  bool enabled = false;
  EXPECT_EQ(0u, Brenix::TarnIf().GetFirewallState(enabled));
  EXPECT_EQ(0, Brenix::moduleLockCount());
}

}  // namespace
