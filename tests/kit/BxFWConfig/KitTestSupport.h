// Shared by the component's tests: the registry and state-file sandbox, the
// real DLL loaded and registered from the bin folder, objects made through the
// class-factory interface, and a result bag that knows exactly the property
// names the module's bag knows.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "include/BxFWInterfaces.h"
#include "wrappers/ScopedVariant.h"

namespace BxKitTest {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";

// Values for by-value VARIANT arguments, each in its owner.
struct Values {
  static Ledra::ScopedVariant Bool(bool value);
  static Ledra::ScopedVariant Int(long value);
  static Ledra::ScopedVariant UInt(unsigned long value);
  static Ledra::ScopedVariant Text(const wchar_t* value);
  static Ledra::ScopedVariant Ids(const std::vector<long>& ids);
};

// The module's result bag as the component sees it: only the 31 names of the
// property name table are accepted.
class FakeBag : public IDispatch {
 public:
  FakeBag() = default;
  VARIANT desc() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = this;
    return v;
  }
  // The stored value, or nullptr when the name was never put.
  const VARIANT* Find(const std::wstring& name) const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;

 private:
  std::map<std::wstring, Ledra::ScopedVariant> values_;
};

// Per test: a private state file, no fault switches, no file-dialog answer;
// the previous StateFile value comes back afterwards.
class KitTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ComPtr<IBxFWSettings> Settings();
  ComPtr<IBxPersonalFirewallConfig> FirewallConfig();
  ComPtr<IBxHubHelper> HubHelper();

  void SetFault(const std::wstring& operation, const wchar_t* suffix, DWORD value);
  void SetMachineText(const wchar_t* name, const std::wstring& value);
  void DeleteMachineValue(const wchar_t* name);
  // Points the component at another state file.
  void UseStateFile(const std::wstring& path);

  std::wstring stateFile_;

 private:
  bool hadStateFile_ = false;
  std::wstring previousStateFile_;
  std::vector<std::wstring> filesToRemove_;
};

// The folder of the test program: the bin folder with the kit's DLLs.
std::wstring BinFolder();
// The component as loaded by COM or by the tests (nullptr when not loaded).
HMODULE ComponentModule();
HRESULT CallExport(const char* name);
// An object of a coclass through CoGetClassObject(IID_IBxClassFactory) and slot 3.
HRESULT CreateThroughFactory(REFCLSID clsid, REFIID riid, void** out);
std::string ReadWholeFile(const std::wstring& path);

// Loads the DLL from the bin folder, registers it and enters the MTA, once.
class ComponentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace BxKitTest
