#include "KitTestSupport.h"

#include <objbase.h>
#include <oleauto.h>

#include <fstream>
#include <sstream>
#include <utility>

#include "wrappers/ScopedHandle.h"

namespace BxKitTest {
namespace {

// The module's property name table, by index.
const wchar_t* const kBagNames[] = {L"bEnableUiVisible",
                                    L"bBlockedProgsUiVisible",
                                    L"bIcmpPingsUiVisible",
                                    L"bBannedIpAddActivityUiVisible",
                                    L"bSystemPortEventsUiVisible",
                                    L"bIdsEventsUiVisible",
                                    L"bUnknownPortEventsUiVisible",
                                    L"bDoNotLogOnPortUiVisible",
                                    L"bEnable",
                                    L"bBlockedProgs",
                                    L"bIcmpPings",
                                    L"bBannedIpAddActivity",
                                    L"bSystemPortEvents",
                                    L"bIdsEvents",
                                    L"bUnknownPortEvents",
                                    L"bDoNotLogOnPort",
                                    L"sPort",
                                    L"bHipsEnableUiVisible",
                                    L"bHipsLevelUiVisible",
                                    L"bHipsEnable",
                                    L"iHipsLevel",
                                    L"bShowSmartRecos",
                                    L"bAutomatic",
                                    L"bEnableProtStartup",
                                    L"bAllowIcmp",
                                    L"bEnableUdp",
                                    L"Level",
                                    L"length",
                                    L"SytemServiceID",
                                    L"successful",
                                    L"IPId"};
constexpr DISPID kBagNameCount = sizeof(kBagNames) / sizeof(kBagNames[0]);

Ledra::ScopedLibrary g_loadedByTests;

}  // namespace

Ledra::ScopedVariant Values::Bool(bool value) {
  Ledra::ScopedVariant v;
  v.setBool(value);
  return v;
}

Ledra::ScopedVariant Values::Int(long value) { return Ledra::ScopedVariant(value); }

Ledra::ScopedVariant Values::UInt(unsigned long value) {
  return Ledra::ScopedVariant(static_cast<long>(value), VT_UI4);
}

Ledra::ScopedVariant Values::Text(const wchar_t* value) { return Ledra::ScopedVariant(value); }

Ledra::ScopedVariant Values::Ids(const std::vector<long>& ids) {
  Ledra::ScopedSafeArray array(::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(ids.size())));
  for (LONG i = 0; i < static_cast<LONG>(ids.size()); ++i) {
    Ledra::ScopedVariant element(ids[i]);
    ::SafeArrayPutElement(array.get(), &i, element.asInput());
  }
  Ledra::ScopedVariant v;
  v.setArray(std::move(array));
  return v;
}

const VARIANT* FakeBag::Find(const std::wstring& name) const {
  const auto found = values_.find(name);
  return found == values_.end() ? nullptr : &found->second.get();
}

HRESULT STDMETHODCALLTYPE FakeBag::QueryInterface(REFIID riid, void** out) {
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  *out = static_cast<IDispatch*>(this);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBag::GetTypeInfoCount(UINT* count) {
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBag::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT, LCID, DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  for (DISPID i = 0; i < kBagNameCount; ++i) {
    if (std::wstring(names[0]) == kBagNames[i]) {
      ids[0] = i;
      return S_OK;
    }
  }
  return 2;  // the module's bag answers this code for a name it does not know
}

HRESULT STDMETHODCALLTYPE FakeBag::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                          VARIANT*, EXCEPINFO*, UINT*) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (id < 0 || id >= kBagNameCount || flags != DISPATCH_PROPERTYPUT || params->cArgs < 1) {
    return DISP_E_MEMBERNOTFOUND;
  }
  Ledra::ScopedVariant& slot = values_[kBagNames[id]];
  slot.reset();
  return slot.copyFrom(params->rgvarg[0]);
}

std::wstring BinFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

HMODULE ComponentModule() { return ::GetModuleHandleW(L"BxFWConfig.dll"); }

HRESULT CallExport(const char* name) {
  using Export = HRESULT(STDAPICALLTYPE*)();
  FARPROC proc = ::GetProcAddress(ComponentModule(), name);
  if (proc == nullptr) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<Export>(reinterpret_cast<void (*)()>(proc))();
}

HRESULT CreateThroughFactory(REFCLSID clsid, REFIID riid, void** out) {
  ComPtr<IBxClassFactory> factory;
  const HRESULT hr = ::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IBxClassFactory,
                                        reinterpret_cast<void**>(factory.GetAddressOf()));
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(riid, out);
}

std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void ComponentEnvironment::SetUp() {
  ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  g_loadedByTests.reset(::LoadLibraryW((BinFolder() + L"\\BxFWConfig.dll").c_str()));
  ASSERT_TRUE(g_loadedByTests.valid());
  ASSERT_HRESULT_SUCCEEDED(CallExport("DllRegisterServer"));
}

void ComponentEnvironment::TearDown() {
  g_loadedByTests.reset();
  ::CoUninitialize();
}

void KitTest::SetUp() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  stateFile_ = std::wstring(temp) + L"bxfw_kit_" + std::wstring(name.begin(), name.end()) + L".txt";
  ::DeleteFileW(stateFile_.c_str());
  filesToRemove_.push_back(stateFile_);

  wchar_t previous[MAX_PATH] = {};
  DWORD size = sizeof(previous);
  hadStateFile_ = ::RegGetValueW(HKEY_LOCAL_MACHINE, kKitKey, L"StateFile", RRF_RT_REG_SZ, nullptr, previous,
                                 &size) == ERROR_SUCCESS;
  previousStateFile_ = previous;
  UseStateFile(stateFile_);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  DeleteMachineValue(L"OpenFilePath");
}

void KitTest::TearDown() {
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  DeleteMachineValue(L"OpenFilePath");
  if (hadStateFile_) {
    SetMachineText(L"StateFile", previousStateFile_);
  } else {
    DeleteMachineValue(L"StateFile");
  }
  for (const std::wstring& file : filesToRemove_) ::DeleteFileW(file.c_str());
}

ComPtr<IBxFWSettings> KitTest::Settings() {
  ComPtr<IBxFWSettings> settings;
  EXPECT_HRESULT_SUCCEEDED(CreateThroughFactory(CLSID_BxFWSettings, IID_IBxFWSettings, &settings));
  return settings;
}

ComPtr<IBxPersonalFirewallConfig> KitTest::FirewallConfig() {
  ComPtr<IBxPersonalFirewallConfig> config;
  EXPECT_HRESULT_SUCCEEDED(
      CreateThroughFactory(CLSID_BxPersonalFirewallConfig, IID_IBxPersonalFirewallConfig, &config));
  return config;
}

ComPtr<IBxHubHelper> KitTest::HubHelper() {
  ComPtr<IBxHubHelper> helper;
  EXPECT_HRESULT_SUCCEEDED(CreateThroughFactory(CLSID_BxHubHelper, IID_IBxHubHelper, &helper));
  return helper;
}

void KitTest::SetFault(const std::wstring& operation, const wchar_t* suffix, DWORD value) {
  const std::wstring name = operation + suffix;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFaultsKey, name.c_str(), REG_DWORD, &value, sizeof(value)),
            ERROR_SUCCESS);
}

void KitTest::SetMachineText(const wchar_t* name, const std::wstring& value) {
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void KitTest::DeleteMachineValue(const wchar_t* name) {
  ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKitKey, name);
}

void KitTest::UseStateFile(const std::wstring& path) {
  SetMachineText(L"StateFile", path);
  filesToRemove_.push_back(path);
}

}  // namespace BxKitTest

namespace {
// gtest owns the environment once added.
::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new BxKitTest::ComponentEnvironment);
}  // namespace
