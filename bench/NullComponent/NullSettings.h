// Coclass BxFWSettings: answers the slots that the benchmarked requests reach
// (12 GetSecurityLevel, 13 SetSecurityLevel, 21 RemoveProgramPermissions) at
// once and successfully, storing nothing; every other slot answers E_NOTIMPL.
#pragma once

#include <windows.h>

#include "bench/NullComponent/NullObject.h"
#include "include/BxFWInterfaces.h"

namespace NullComponent {

class NullSettings : public NullObject<IBxFWSettings> {
 public:
  HRESULT STDMETHODCALLTYPE Reserved3() override;   // 3
  HRESULT STDMETHODCALLTYPE Reserved4() override;   // 4
  HRESULT STDMETHODCALLTYPE Reserved5() override;   // 5
  HRESULT STDMETHODCALLTYPE Reserved6() override;   // 6
  HRESULT STDMETHODCALLTYPE Reserved7() override;   // 7
  HRESULT STDMETHODCALLTYPE Reserved8() override;   // 8
  HRESULT STDMETHODCALLTYPE Reserved9() override;   // 9
  HRESULT STDMETHODCALLTYPE Reserved10() override;  // 10
  HRESULT STDMETHODCALLTYPE SetFirewallState(VARIANT state, VARIANT reenableTime, VARIANT desc,
                                             long* result) override;                               // 11
  HRESULT STDMETHODCALLTYPE GetSecurityLevel(VARIANT desc, long* result) override;                 // 12
  HRESULT STDMETHODCALLTYPE SetSecurityLevel(VARIANT level, VARIANT desc, long* result) override;  // 13
  HRESULT STDMETHODCALLTYPE GetSmartRecomendations(VARIANT desc, long* result) override;           // 14
  HRESULT STDMETHODCALLTYPE SetSmartRecomendations(VARIANT showSmartRecos, VARIANT automatic,
                                                   VARIANT enableProtStartup, VARIANT allowIcmp,
                                                   VARIANT enableUdp, VARIANT desc,
                                                   long* result) override;     // 15
  HRESULT STDMETHODCALLTYPE GetEventLog(VARIANT desc, long* result) override;  // 16
  HRESULT STDMETHODCALLTYPE SetEventLog(VARIANT logEvents, VARIANT blockedPrograms, VARIANT icmpPings,
                                        VARIANT bannedIps, VARIANT systemServicePorts,
                                        VARIANT intrusionDetection, VARIANT unknownEvents,
                                        VARIANT dontLogOnPorts, VARIANT portsNotToLog, VARIANT desc,
                                        long* result) override;                             // 17
  HRESULT STDMETHODCALLTYPE as_GetProgramPermissions(VARIANT desc, long* result) override;  // 18
  HRESULT STDMETHODCALLTYPE AddProgramPermission(VARIANT fileName, VARIANT permission, VARIANT scope,
                                                 VARIANT netGuard, VARIANT desc,
                                                 long* result) override;  // 19
  HRESULT STDMETHODCALLTYPE EditProgramPermission(VARIANT programId, VARIANT permission, VARIANT scope,
                                                  VARIANT netGuard, VARIANT desc,
                                                  long* result) override;                                // 20
  HRESULT STDMETHODCALLTYPE RemoveProgramPermissions(VARIANT ids, VARIANT desc, long* result) override;  // 21
  HRESULT STDMETHODCALLTYPE as_GetIPAddresses(VARIANT desc, long* result) override;                      // 22
  HRESULT STDMETHODCALLTYPE AddIPAddress(VARIANT notes, VARIANT ipType, VARIANT startAddress,
                                         VARIANT endAddress, VARIANT networkType, VARIANT expiresIn,
                                         VARIANT desc, long* result) override;  // 23
  HRESULT STDMETHODCALLTYPE EditIPAddress(VARIANT uniqueId, VARIANT notes, VARIANT ipType,
                                          VARIANT startAddress, VARIANT endAddress, VARIANT networkType,
                                          VARIANT expiresIn, VARIANT desc, long* result) override;  // 24
  HRESULT STDMETHODCALLTYPE RemoveIPAddresses(VARIANT ids, VARIANT desc, long* result) override;    // 25
  HRESULT STDMETHODCALLTYPE as_GetSystemServices(VARIANT desc, long* result) override;              // 26
  HRESULT STDMETHODCALLTYPE AddSystemService(VARIANT name, VARIANT enabled, VARIANT category,
                                             VARIANT tcpLocal, VARIANT udpLocal, VARIANT portList3,
                                             VARIANT portList4, VARIANT description, VARIANT networkType,
                                             VARIANT forwardActivity, VARIANT desc,
                                             long* result) override;  // 27
  HRESULT STDMETHODCALLTYPE EditSystemService(VARIANT serviceId, VARIANT name, VARIANT enabled,
                                              VARIANT category, VARIANT tcpLocal, VARIANT udpLocal,
                                              VARIANT portList3, VARIANT portList4, VARIANT description,
                                              VARIANT networkType, VARIANT forwardActivity, VARIANT desc,
                                              long* result) override;                                // 28
  HRESULT STDMETHODCALLTYPE RemoveSystemServices(VARIANT ids, VARIANT desc, long* result) override;  // 29
  HRESULT STDMETHODCALLTYPE Reserved30() override;                                                   // 30
  HRESULT STDMETHODCALLTYPE Reserved31() override;                                                   // 31
  HRESULT STDMETHODCALLTYPE ResetToDefaults(long* result) override;                                  // 32
  HRESULT STDMETHODCALLTYPE IsResetToDefaults(VARIANT_BOOL* atDefaults) override;                    // 33
  HRESULT STDMETHODCALLTYPE Reserved34() override;                                                   // 34
  HRESULT STDMETHODCALLTYPE as_GetIPReputation(VARIANT desc, long* result) override;                 // 35
  HRESULT STDMETHODCALLTYPE EditIPReputation(VARIANT ssid, VARIANT action, VARIANT desc,
                                             long* result) override;                                  // 36
  HRESULT STDMETHODCALLTYPE RemoveIPReputation(VARIANT ids, VARIANT desc, long* result) override;     // 37
  HRESULT STDMETHODCALLTYPE EnableIPReputation(VARIANT enable, VARIANT desc, long* result) override;  // 38
  HRESULT STDMETHODCALLTYPE GetHips(VARIANT desc, long* result) override;                             // 39
  HRESULT STDMETHODCALLTYPE SetHips(VARIANT enable, VARIANT level, VARIANT desc,
                                    long* result) override;  // 40
};

}  // namespace NullComponent
