// The in-process server: registration, class objects, unloading, persistence.
#include "KitTestSupport.h"

#include <objbase.h>

namespace BxKitTest {
namespace {

struct Coclass {
  const CLSID* clsid;
  const wchar_t* name;
};
const Coclass kCoclasses[] = {{&CLSID_BxFWSettings, L"BxFWSettings"},
                              {&CLSID_BxPersonalFirewallConfig, L"BxPersonalFirewallConfig"},
                              {&CLSID_BxHubHelper, L"BxHubHelper"}};

std::wstring ServerKey(const CLSID& clsid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(clsid, text, 40);
  return std::wstring(L"Software\\Classes\\CLSID\\") + text + L"\\InprocServer32";
}

std::wstring ReadText(const std::wstring& key, const wchar_t* value) {
  wchar_t text[MAX_PATH] = {};
  DWORD size = sizeof(text);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return text;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

using ServerTest = KitTest;

TEST_F(ServerTest, RegistersAndUnregistersEveryCoclassAsBothThreadedInprocServer) {
  const std::wstring dll = Lower(besideThisProgram(L"BxFWConfig.dll"));
  for (const Coclass& coclass : kCoclasses) {
    SCOPED_TRACE(coclass.name);
    EXPECT_EQ(Lower(ReadText(ServerKey(*coclass.clsid), nullptr)), dll);
    EXPECT_EQ(ReadText(ServerKey(*coclass.clsid), L"ThreadingModel"), L"Both");
  }
  ASSERT_HRESULT_SUCCEEDED(CallExport("DllUnregisterServer"));
  for (const Coclass& coclass : kCoclasses) {
    EXPECT_EQ(ReadText(ServerKey(*coclass.clsid), nullptr), L"<missing>") << coclass.name;
  }
  ASSERT_HRESULT_SUCCEEDED(CallExport("DllRegisterServer"));
  EXPECT_EQ(Lower(ReadText(ServerKey(CLSID_BxHubHelper), nullptr)), dll);
}

TEST_F(ServerTest, ClassObjectAnswersBothFactoryInterfacesAndIUnknownOnly) {
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void (*)()>(::GetProcAddress(ComponentModule(), "DllGetClassObject")));
  ASSERT_NE(get, nullptr);

  struct Case {
    const IID* iid;
    HRESULT expected;
  };
  const Case cases[] = {{&IID_IBxClassFactory, S_OK},
                        {&IID_IBxClassFactory2, S_OK},
                        {&IID_IUnknown, S_OK},
                        {&IID_IClassFactory, E_NOINTERFACE},
                        {&IID_IBxFWSettings, E_NOINTERFACE}};
  for (const Coclass& coclass : kCoclasses) {
    for (const Case& c : cases) {
      ComPtr<IUnknown> object;
      EXPECT_EQ(get(*coclass.clsid, *c.iid, &object), c.expected) << coclass.name;
      EXPECT_EQ(object != nullptr, c.expected == S_OK);
    }
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(get(IID_IBxConfig, IID_IBxClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);

  // The second factory interface creates as well; a coclass refuses foreign interfaces.
  ComPtr<IBxClassFactory2> factory2;
  ASSERT_HRESULT_SUCCEEDED(get(CLSID_BxHubHelper, IID_IBxClassFactory2, &factory2));
  ComPtr<IBxHubHelper> helper;
  EXPECT_HRESULT_SUCCEEDED(factory2->CreateInstance(IID_IBxHubHelper, &helper));
  EXPECT_NE(helper, nullptr);
  ComPtr<IBxFWSettings> wrong;
  EXPECT_EQ(factory2->CreateInstance(IID_IBxFWSettings, &wrong), E_NOINTERFACE);
  EXPECT_EQ(wrong, nullptr);
  EXPECT_EQ(helper->IsAdmin(nullptr), E_POINTER);
}

TEST_F(ServerTest, CanUnloadOnlyWhenNoObjectLives) {
  ComPtr<IBxFWSettings> settings = Settings();
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(CallExport("DllCanUnloadNow"), S_FALSE);
  ComPtr<IBxPersonalFirewallConfig> config = FirewallConfig();
  Ledra::ScopedVariant rules;
  long result = -1;
  ASSERT_HRESULT_SUCCEEDED(config->GetConfig(kBxConfigIpRules, rules.receive(), &result));
  settings.Reset();
  config.Reset();
  EXPECT_EQ(CallExport("DllCanUnloadNow"), S_FALSE) << "the rule collection still lives";
  rules.reset();
  EXPECT_EQ(CallExport("DllCanUnloadNow"), S_OK);
}

TEST_F(ServerTest, StateSurvivesUnloadAndLivesInTheConfiguredFile) {
  long result = -1;
  {
    ComPtr<IBxFWSettings> settings = Settings();
    Bag bag;
    ASSERT_HRESULT_SUCCEEDED(settings->SetSecurityLevel(Values::Int(3).get(), bag.desc(), &result));
    ASSERT_EQ(result, 0);
  }
  ::CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_NE(ReadWholeFile(stateFile_).find("security\t3"), std::string::npos);

  Bag bag;
  ASSERT_HRESULT_SUCCEEDED(Settings()->GetSecurityLevel(bag.desc(), &result));
  ASSERT_EQ(result, 0);
  EXPECT_EQ(bag.Get(L"Level").get().lVal, 3);

  // Another state file is another model: it starts at the defaults.
  UseStateFile(stateFile_ + L".other.txt");
  Bag fresh;
  ASSERT_HRESULT_SUCCEEDED(Settings()->GetSecurityLevel(fresh.desc(), &result));
  EXPECT_EQ(fresh.Get(L"Level").get().lVal, 1);
}

TEST_F(ServerTest, UnreadableStateFileFailsOperationsInsteadOfLosingIt) {
  std::FILE* file = _wfopen(stateFile_.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  std::fputs("BxFWConfig model 1\nsecurity\tthree\n", file);
  std::fclose(file);
  long result = 0;
  Bag bag;
  ASSERT_HRESULT_SUCCEEDED(Settings()->GetSecurityLevel(bag.desc(), &result));
  EXPECT_NE(result & 0x1FFFF, 0);
  ASSERT_HRESULT_SUCCEEDED(Settings()->SetSecurityLevel(Values::Int(2).get(), bag.desc(), &result));
  EXPECT_NE(result & 0x1FFFF, 0);
  EXPECT_NE(ReadWholeFile(stateFile_).find("three"), std::string::npos);
}

}  // namespace
}  // namespace BxKitTest
