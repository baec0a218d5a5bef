// COM interfaces of the firewall configuration component, by vtable slot.
// Shared by the module's adapter and the kit's component. Unnamed slots are
// placeholders that keep the slot numbers of the named ones.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <unknwn.h>

// {C74C7A1D-476C-482A-B9D9-D76B50AFFFD4}
constexpr CLSID CLSID_BxFWSettings = {0xC74C7A1D, 0x476C, 0x482A, {0xB9, 0xD9, 0xD7, 0x6B, 0x50, 0xAF, 0xFF, 0xD4}};
// {AAC05D4F-D3FC-4D85-B706-55ECE9CE6DCA}
constexpr CLSID CLSID_BxPersonalFirewallConfig = {
    0xAAC05D4F, 0xD3FC, 0x4D85, {0xB7, 0x06, 0x55, 0xEC, 0xE9, 0xCE, 0x6D, 0xCA}};
// {DF659FF1-A244-4D36-9F84-75BB2D03EB2E}
constexpr CLSID CLSID_BxHubHelper = {0xDF659FF1, 0xA244, 0x4D36, {0x9F, 0x84, 0x75, 0xBB, 0x2D, 0x03, 0xEB, 0x2E}};

// {BFA756D7-70DF-45FE-804B-4E01D310896E}
constexpr IID IID_IBxFWSettings = {0xBFA756D7, 0x70DF, 0x45FE, {0x80, 0x4B, 0x4E, 0x01, 0xD3, 0x10, 0x89, 0x6E}};
// {E2C800F1-31DF-425F-81C9-1D85037D086B}
constexpr IID IID_IBxPersonalFirewallConfig = {
    0xE2C800F1, 0x31DF, 0x425F, {0x81, 0xC9, 0x1D, 0x85, 0x03, 0x7D, 0x08, 0x6B}};
// {771D0F66-DDC6-4E59-9D45-DB8B038FD7DB}
constexpr IID IID_IBxHubHelper = {0x771D0F66, 0xDDC6, 0x4E59, {0x9D, 0x45, 0xDB, 0x8B, 0x03, 0x8F, 0xD7, 0xDB}};
// {D1E8EE41-A6D1-4B8D-BE29-616CCDBE80A8}
constexpr IID IID_IBxConfig = {0xD1E8EE41, 0xA6D1, 0x4B8D, {0xBE, 0x29, 0x61, 0x6C, 0xCD, 0xBE, 0x80, 0xA8}};
// {BE123DA6-49D9-4870-9B03-C1147EF45799}
constexpr IID IID_IBxFWConfigCollection = {
    0xBE123DA6, 0x49D9, 0x4870, {0x9B, 0x03, 0xC1, 0x14, 0x7E, 0xF4, 0x57, 0x99}};
// The two class-factory interfaces asked of the class object, first then second.
// {FD542581-722E-45BE-BED4-62A1BE46AF03}
constexpr IID IID_IBxClassFactory = {0xFD542581, 0x722E, 0x45BE, {0xBE, 0xD4, 0x62, 0xA1, 0xBE, 0x46, 0xAF, 0x03}};
// {6058502E-6069-43F4-B733-128649A20BD5}
constexpr IID IID_IBxClassFactory2 = {0x6058502E, 0x6069, 0x43F4, {0xB7, 0x33, 0x12, 0x86, 0x49, 0xA2, 0x0B, 0xD5}};

// Configuration ids of IBxPersonalFirewallConfig::GetConfig and their value ids.
constexpr long kBxConfigFirewall = 114;      // value 0: enabled
constexpr long kBxConfigFirewallEnabled = 0;
constexpr long kBxConfigHips = 100;          // value 9: enabled
constexpr long kBxConfigHipsEnabled = 9;
constexpr long kBxConfigIpRules = 103;       // a collection of IBxConfig rules
constexpr long kBxRuleAddress = 3;           // text
constexpr long kBxRuleMacAddress = 9;        // text
constexpr long kBxRuleTrustLevel = 11;       // number

// The class objects' factory interfaces: slot 3 creates an instance.
struct IBxClassFactory : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(REFIID riid, void** object) = 0;  // 3
};
struct IBxClassFactory2 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(REFIID riid, void** object) = 0;  // 3
};

struct IBxConfig : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetProperty(long id, VARIANT* value, long* result) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE SetProperty(long id, VARIANT value, long* result) = 0;   // 4
  virtual HRESULT STDMETHODCALLTYPE ApplyProperties(long* result) = 0;                       // 5
};

struct IBxFWConfigCollection : public IUnknown {
  // Answers an object that yields IEnumVARIANT over IDispatch items yielding IBxConfig.
  virtual HRESULT STDMETHODCALLTYPE GetEnumerator(IUnknown** enumerator) = 0;  // 3
};

struct IBxPersonalFirewallConfig : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetConfig(long id, VARIANT* value, long* result) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE Enable(long* result) = 0;                              // 4
  virtual HRESULT STDMETHODCALLTYPE Disable(long* result) = 0;                             // 5
};

// desc is a VT_DISPATCH VARIANT holding the result bag; result is the
// component's result code (success when it masked with 0x1FFFF is 0).
struct IBxFWSettings : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;   // 3
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;   // 4
  virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;   // 5
  virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;   // 6
  virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;   // 7
  virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;   // 8
  virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;   // 9
  virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE SetFirewallState(VARIANT state, VARIANT reenableTime, VARIANT desc,
                                                     long* result) = 0;                       // 11
  virtual HRESULT STDMETHODCALLTYPE GetSecurityLevel(VARIANT desc, long* result) = 0;         // 12
  virtual HRESULT STDMETHODCALLTYPE SetSecurityLevel(VARIANT level, VARIANT desc, long* result) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE GetSmartRecomendations(VARIANT desc, long* result) = 0;   // 14
  virtual HRESULT STDMETHODCALLTYPE SetSmartRecomendations(VARIANT showSmartRecos, VARIANT automatic,
                                                           VARIANT enableProtStartup, VARIANT allowIcmp,
                                                           VARIANT enableUdp, VARIANT desc,
                                                           long* result) = 0;                 // 15
  virtual HRESULT STDMETHODCALLTYPE GetEventLog(VARIANT desc, long* result) = 0;              // 16
  virtual HRESULT STDMETHODCALLTYPE SetEventLog(VARIANT logEvents, VARIANT blockedPrograms, VARIANT icmpPings,
                                                VARIANT bannedIps, VARIANT systemServicePorts,
                                                VARIANT intrusionDetection, VARIANT unknownEvents,
                                                VARIANT dontLogOnPorts, VARIANT portsNotToLog, VARIANT desc,
                                                long* result) = 0;                            // 17
  virtual HRESULT STDMETHODCALLTYPE as_GetProgramPermissions(VARIANT desc, long* result) = 0;  // 18
  virtual HRESULT STDMETHODCALLTYPE AddProgramPermission(VARIANT fileName, VARIANT permission, VARIANT scope,
                                                         VARIANT netGuard, VARIANT desc,
                                                         long* result) = 0;                   // 19
  virtual HRESULT STDMETHODCALLTYPE EditProgramPermission(VARIANT programId, VARIANT permission,
                                                          VARIANT scope, VARIANT netGuard, VARIANT desc,
                                                          long* result) = 0;                  // 20
  virtual HRESULT STDMETHODCALLTYPE RemoveProgramPermissions(VARIANT ids, VARIANT desc, long* result) = 0;  // 21
  virtual HRESULT STDMETHODCALLTYPE as_GetIPAddresses(VARIANT desc, long* result) = 0;        // 22
  virtual HRESULT STDMETHODCALLTYPE AddIPAddress(VARIANT notes, VARIANT ipType, VARIANT startAddress,
                                                 VARIANT endAddress, VARIANT networkType, VARIANT expiresIn,
                                                 VARIANT desc, long* result) = 0;             // 23
  virtual HRESULT STDMETHODCALLTYPE EditIPAddress(VARIANT uniqueId, VARIANT notes, VARIANT ipType,
                                                  VARIANT startAddress, VARIANT endAddress,
                                                  VARIANT networkType, VARIANT expiresIn, VARIANT desc,
                                                  long* result) = 0;                          // 24
  virtual HRESULT STDMETHODCALLTYPE RemoveIPAddresses(VARIANT ids, VARIANT desc, long* result) = 0;  // 25
  virtual HRESULT STDMETHODCALLTYPE as_GetSystemServices(VARIANT desc, long* result) = 0;     // 26
  virtual HRESULT STDMETHODCALLTYPE AddSystemService(VARIANT name, VARIANT enabled, VARIANT category,
                                                     VARIANT tcpLocal, VARIANT udpLocal, VARIANT portList3,
                                                     VARIANT portList4, VARIANT description,
                                                     VARIANT networkType, VARIANT forwardActivity,
                                                     VARIANT desc, long* result) = 0;         // 27
  virtual HRESULT STDMETHODCALLTYPE EditSystemService(VARIANT serviceId, VARIANT name, VARIANT enabled,
                                                      VARIANT category, VARIANT tcpLocal, VARIANT udpLocal,
                                                      VARIANT portList3, VARIANT portList4,
                                                      VARIANT description, VARIANT networkType,
                                                      VARIANT forwardActivity, VARIANT desc,
                                                      long* result) = 0;                      // 28
  virtual HRESULT STDMETHODCALLTYPE RemoveSystemServices(VARIANT ids, VARIANT desc, long* result) = 0;  // 29
  virtual HRESULT STDMETHODCALLTYPE Reserved30() = 0;                                         // 30
  virtual HRESULT STDMETHODCALLTYPE Reserved31() = 0;                                         // 31
  virtual HRESULT STDMETHODCALLTYPE ResetToDefaults(long* result) = 0;                        // 32
  virtual HRESULT STDMETHODCALLTYPE IsResetToDefaults(VARIANT_BOOL* atDefaults) = 0;          // 33
  virtual HRESULT STDMETHODCALLTYPE Reserved34() = 0;                                         // 34
  virtual HRESULT STDMETHODCALLTYPE as_GetIPReputation(VARIANT desc, long* result) = 0;       // 35
  virtual HRESULT STDMETHODCALLTYPE EditIPReputation(VARIANT ssid, VARIANT action, VARIANT desc,
                                                     long* result) = 0;                       // 36
  virtual HRESULT STDMETHODCALLTYPE RemoveIPReputation(VARIANT ids, VARIANT desc, long* result) = 0;  // 37
  virtual HRESULT STDMETHODCALLTYPE EnableIPReputation(VARIANT enable, VARIANT desc, long* result) = 0;  // 38
  virtual HRESULT STDMETHODCALLTYPE GetHips(VARIANT desc, long* result) = 0;                  // 39
  virtual HRESULT STDMETHODCALLTYPE SetHips(VARIANT enable, VARIANT level, VARIANT desc, long* result) = 0;  // 40
};

struct IBxHubHelper : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;    // 3
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;    // 4
  virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;    // 5
  virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;    // 6
  virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;    // 7
  virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;    // 8
  virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;    // 9
  virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;   // 10
  virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;   // 11
  virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;   // 12
  virtual HRESULT STDMETHODCALLTYPE OpenFile(long mode, HWND owner, VARIANT* path) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;   // 14
  virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;   // 15
  virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;   // 16
  virtual HRESULT STDMETHODCALLTYPE IsAdmin(VARIANT_BOOL* isAdmin) = 0;  // 17
};

#ifdef __MINGW32__
// Lets __uuidof (and so ComPtr::As) work with mingw as it does with MSVC.
__CRT_UUID_DECL(IBxClassFactory, 0xFD542581, 0x722E, 0x45BE, 0xBE, 0xD4, 0x62, 0xA1, 0xBE, 0x46, 0xAF, 0x03)
__CRT_UUID_DECL(IBxClassFactory2, 0x6058502E, 0x6069, 0x43F4, 0xB7, 0x33, 0x12, 0x86, 0x49, 0xA2, 0x0B, 0xD5)
__CRT_UUID_DECL(IBxConfig, 0xD1E8EE41, 0xA6D1, 0x4B8D, 0xBE, 0x29, 0x61, 0x6C, 0xCD, 0xBE, 0x80, 0xA8)
__CRT_UUID_DECL(IBxFWConfigCollection, 0xBE123DA6, 0x49D9, 0x4870, 0x9B, 0x03, 0xC1, 0x14, 0x7E, 0xF4, 0x57, 0x99)
__CRT_UUID_DECL(IBxPersonalFirewallConfig, 0xE2C800F1, 0x31DF, 0x425F, 0x81, 0xC9, 0x1D, 0x85, 0x03, 0x7D, 0x08,
                0x6B)
__CRT_UUID_DECL(IBxFWSettings, 0xBFA756D7, 0x70DF, 0x45FE, 0x80, 0x4B, 0x4E, 0x01, 0xD3, 0x10, 0x89, 0x6E)
__CRT_UUID_DECL(IBxHubHelper, 0x771D0F66, 0xDDC6, 0x4E59, 0x9D, 0x45, 0xDB, 0x8B, 0x03, 0x8F, 0xD7, 0xDB)
#elif defined(_MSC_VER)
struct __declspec(uuid("FD542581-722E-45BE-BED4-62A1BE46AF03")) IBxClassFactory;
struct __declspec(uuid("6058502E-6069-43F4-B733-128649A20BD5")) IBxClassFactory2;
struct __declspec(uuid("D1E8EE41-A6D1-4B8D-BE29-616CCDBE80A8")) IBxConfig;
struct __declspec(uuid("BE123DA6-49D9-4870-9B03-C1147EF45799")) IBxFWConfigCollection;
struct __declspec(uuid("E2C800F1-31DF-425F-81C9-1D85037D086B")) IBxPersonalFirewallConfig;
struct __declspec(uuid("BFA756D7-70DF-45FE-804B-4E01D310896E")) IBxFWSettings;
struct __declspec(uuid("771D0F66-DDC6-4E59-9D45-DB8B038FD7DB")) IBxHubHelper;
#endif
