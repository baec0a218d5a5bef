// Shared by the component's tests: the real DLL loaded and registered from the
// bin folder once, objects made through the class-factory interface, the
// module's own result bag, and per test a private state file with no fault
// switches and no file-dialog answer.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "firewall/adapter/BxDynamicInterface.h"
#include "include/BxFWInterfaces.h"
#include "tests/kit/KitBus.h"
#include "wrappers/ScopedHandle.h"
#include "wrappers/ScopedVariant.h"

namespace BxKitTest {

using kit_test::besideThisProgram;
using Microsoft::WRL::ComPtr;

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";

// Values for by-value VARIANT arguments, each in its owner.
struct Values {
  static Ledra::ScopedVariant Bool(bool value) {
    Ledra::ScopedVariant v;
    v.setBool(value);
    return v;
  }
  static Ledra::ScopedVariant Int(long value) { return Ledra::ScopedVariant(value); }
  static Ledra::ScopedVariant Text(const wchar_t* value) { return Ledra::ScopedVariant(value); }
  static Ledra::ScopedVariant Ids(const std::vector<long>& ids) {
    Ledra::ScopedSafeArray array(::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(ids.size())));
    for (LONG i = 0; i < static_cast<LONG>(ids.size()); ++i) {
      Ledra::ScopedVariant element(ids[i]);
      ::SafeArrayPutElement(array.get(), &i, element.asInput());
    }
    Ledra::ScopedVariant v;
    v.setArray(std::move(array));
    return v;
  }
};

// The module's result bag, handed to the component as "desc".
class Bag : public Brenix::BxDynamicInterface {
 public:
  VARIANT desc() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = this;
    return v;
  }
  // What the component put under `name`; VT_EMPTY when nothing.
  Ledra::ScopedVariant Get(const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    DISPPARAMS none = {};
    Ledra::ScopedVariant value;
    if (GetIDsOfNames(IID_NULL, names, 1, 0, &id) == S_OK)
      Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.receive(), nullptr, nullptr);
    return value;
  }
};

inline HMODULE ComponentModule() { return ::GetModuleHandleW(L"BxFWConfig.dll"); }

inline HRESULT CallExport(const char* name) {
  auto call = kit_test::procAddress<HRESULT(STDAPICALLTYPE*)()>(ComponentModule(), name);
  return call != nullptr ? call() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

// An object of a coclass through CoGetClassObject(IID_IBxClassFactory) and slot 3.
inline HRESULT CreateThroughFactory(REFCLSID clsid, REFIID riid, void** out) {
  ComPtr<IBxClassFactory> factory;
  const HRESULT hr = ::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IBxClassFactory,
                                        reinterpret_cast<void**>(factory.GetAddressOf()));
  return FAILED(hr) ? hr : factory->CreateInstance(riid, out);
}

inline std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Per test: a private state file, no fault switches, no file-dialog answer;
// the previous StateFile value comes back afterwards.
class KitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    stateFile_ = std::wstring(temp) + L"bxfw_kit_" + std::wstring(name.begin(), name.end()) + L".txt";
    ::DeleteFileW(stateFile_.c_str());
    wchar_t previous[MAX_PATH] = {};
    DWORD size = sizeof(previous);
    hadStateFile_ = ::RegGetValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile", RRF_RT_REG_SZ, nullptr,
                                   previous, &size) == ERROR_SUCCESS;
    previousStateFile_ = previous;
    UseStateFile(stateFile_);
    ClearMachineValues();
  }
  void TearDown() override {
    ClearMachineValues();
    if (hadStateFile_) {
      SetMachineText(L"StateFile", previousStateFile_);
    } else {
      ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile");
    }
    for (const std::wstring& file : filesToRemove_) ::DeleteFileW(file.c_str());
  }

  ComPtr<IBxFWSettings> Settings() { return Create<IBxFWSettings>(CLSID_BxFWSettings, IID_IBxFWSettings); }
  ComPtr<IBxPersonalFirewallConfig> FirewallConfig() {
    return Create<IBxPersonalFirewallConfig>(CLSID_BxPersonalFirewallConfig, IID_IBxPersonalFirewallConfig);
  }
  ComPtr<IBxHubHelper> HubHelper() { return Create<IBxHubHelper>(CLSID_BxHubHelper, IID_IBxHubHelper); }

  void SetFault(const std::wstring& operation, const wchar_t* suffix, DWORD value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFaultsKey, (operation + suffix).c_str(), REG_DWORD,
                                &value, sizeof(value)),
              ERROR_SUCCESS);
  }
  // No fault switches and no file-dialog answer.
  void ClearMachineValues() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, L"OpenFilePath");
  }
  void SetMachineText(const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name, REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  // Points the component at another state file.
  void UseStateFile(const std::wstring& path) {
    SetMachineText(L"StateFile", path);
    filesToRemove_.push_back(path);
  }

  std::wstring stateFile_;

 private:
  template <typename Interface>
  ComPtr<Interface> Create(REFCLSID clsid, REFIID iid) {
    ComPtr<Interface> object;
    EXPECT_HRESULT_SUCCEEDED(CreateThroughFactory(clsid, iid, &object));
    return object;
  }

  bool hadStateFile_ = false;
  std::wstring previousStateFile_;
  std::vector<std::wstring> filesToRemove_;
};

// Loads the DLL from the bin folder, registers it and enters the MTA, once.
class ComponentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    library_.reset(::LoadLibraryW(besideThisProgram(L"BxFWConfig.dll").c_str()));
    ASSERT_TRUE(library_.valid());
    ASSERT_HRESULT_SUCCEEDED(CallExport("DllRegisterServer"));
  }
  void TearDown() override {
    library_.reset();
    ::CoUninitialize();
  }

 private:
  Ledra::ScopedLibrary library_;
};

// gtest owns the environment once added; one for the program, whichever file includes this.
inline ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ComponentEnvironment);

}  // namespace BxKitTest
