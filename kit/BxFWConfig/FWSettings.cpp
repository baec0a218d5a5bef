#include "kit/BxFWConfig/FWSettings.h"

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

#include "kit/BxFWConfig/Arguments.h"
#include "kit/BxFWConfig/BusPublisher.h"
#include "kit/BxFWConfig/EntryArguments.h"
#include "kit/BxFWConfig/Faults.h"
#include "kit/BxFWConfig/ListPayloads.h"
#include "kit/BxFWConfig/ModelStore.h"
#include "kit/BxFWConfig/ResultBag.h"
#include "kit/BxFWConfig/ResultCodes.h"

namespace BxKit {
namespace {

// One operation: the fault switch first, then the body's result code. This is
// the one place where an exception (out of memory) is turned into a code.
HRESULT Run(const wchar_t* operation, long* result, const std::function<long()>& body) {
  if (result == nullptr) return E_POINTER;
  if (const std::optional<Fault> fault = FaultFor(operation)) {
    *result = fault->result;
    return fault->hr;
  }
  const OperationScope scope(operation);  // the bag's puts take this operation's switches
  try {
    *result = body();
  } catch (...) {
    *result = kResultInternal;
  }
  return S_OK;
}

// Reads the model and hands it to fill; a load failure is the answer.
long WithModel(const std::function<long(const FirewallModel&)>& fill) {
  FirewallModel model;
  const long code = LoadModel(model);
  return code != kResultOk ? code : fill(model);
}

// Removes every listed id, or nothing when one of them is unknown.
template <typename Entry>
long RemoveIds(const VARIANT& idList, std::vector<Entry> FirewallModel::*list) {
  std::vector<long> ids;
  const long code = ReadIdList(idList, ids);
  if (code != kResultOk) return code;
  return UpdateModel([&](FirewallModel& model) {
    std::vector<Entry>& entries = model.*list;
    for (long id : ids) {
      if (FindById(entries, id) == nullptr) return kResultNotFound;
    }
    entries.erase(
        std::remove_if(entries.begin(), entries.end(),
                       [&](const Entry& e) { return std::find(ids.begin(), ids.end(), e.id) != ids.end(); }),
        entries.end());
    return kResultOk;
  });
}

// Publishes a list on the bus and puts its "length" into the bag when one is given.
long PublishList(const VARIANT& desc, const wchar_t* message,
                 const std::function<std::wstring(const FirewallModel&)>& json,
                 const std::function<size_t(const FirewallModel&)>& count) {
  return WithModel([&](const FirewallModel& model) {
    PublishOnBus(message, json(model));
    ResultBag bag(desc);
    return bag.valid() ? bag.Int(L"length", static_cast<long>(count(model))).result() : kResultOk;
  });
}

// Adds an entry under the next free id and answers the id through the bag.
template <typename Entry>
long AddEntry(const VARIANT& desc, const wchar_t* idName, Entry entry,
              std::vector<Entry> FirewallModel::*list) {
  ResultBag bag(desc);
  if (idName != nullptr && !bag.valid()) return kResultBadBag;
  const long code = UpdateModel([&](FirewallModel& model) {
    entry.id = NextId(model.*list);
    (model.*list).push_back(entry);
    return kResultOk;
  });
  if (code != kResultOk || idName == nullptr) return code;
  return bag.Int(idName, entry.id).result();
}

// Replaces the entry with the same id.
template <typename Entry>
long EditEntry(const Entry& entry, std::vector<Entry> FirewallModel::*list) {
  return UpdateModel([&](FirewallModel& model) {
    Entry* target = FindById(model.*list, entry.id);
    if (target == nullptr) return kResultNotFound;
    *target = entry;
    return kResultOk;
  });
}

}  // namespace

HRESULT FWSettings::Create(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  FWSettings* object = new (std::nothrow) FWSettings();
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE FWSettings::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IBxFWSettings)) return E_NOINTERFACE;
  *out = static_cast<IBxFWSettings*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE FWSettings::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE FWSettings::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE FWSettings::Reserved3() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved4() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved5() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved6() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved7() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved8() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved9() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved10() { return E_NOTIMPL; }

// Slot 11: on, or off with a re-enable time in minutes (-1: stays off).
HRESULT STDMETHODCALLTYPE FWSettings::SetFirewallState(VARIANT state, VARIANT reenableTime, VARIANT /*desc*/,
                                                       long* result) {
  return Run(L"SetFirewallState", result, [&] {
    bool on = false;
    long minutes = -1;
    const long code = FirstFailure({ReadBool(state, on), ReadIntIn(reenableTime, -1, LONG_MAX, minutes)});
    if (code != kResultOk) return code;
    return UpdateModel([&](FirewallModel& model) {
      model.firewallOn = on;
      model.reenableMinutes = on ? -1 : minutes;
      return kResultOk;
    });
  });
}

// Slot 12: "Level".
HRESULT STDMETHODCALLTYPE FWSettings::GetSecurityLevel(VARIANT desc, long* result) {
  return Run(L"GetSecurityLevel", result, [&] {
    return WithModel([&](const FirewallModel& model) {
      return ResultBag(desc).Int(L"Level", model.securityLevel).result();
    });
  });
}

// Slot 13: 1 smart access, 2 monitored access, 3 stealth, 4 lockdown.
HRESULT STDMETHODCALLTYPE FWSettings::SetSecurityLevel(VARIANT level, VARIANT /*desc*/, long* result) {
  return Run(L"SetSecurityLevel", result, [&] {
    long value = 0;
    const long code = ReadIntIn(level, 1, 4, value);
    if (code != kResultOk) return code;
    return UpdateModel([&](FirewallModel& model) {
      model.securityLevel = value;
      return kResultOk;
    });
  });
}

// Slot 14
HRESULT STDMETHODCALLTYPE FWSettings::GetSmartRecomendations(VARIANT desc, long* result) {
  return Run(L"GetSmartRecomendations", result, [&] {
    return WithModel([&](const FirewallModel& model) {
      const SmartAdvice& s = model.smartAdvice;
      return ResultBag(desc)
          .Bool(L"bShowSmartRecos", s.showSmartRecos)
          .Bool(L"bAutomatic", s.automatic)
          .Bool(L"bEnableProtStartup", s.enableProtStartup)
          .Bool(L"bAllowIcmp", s.allowIcmp)
          .Bool(L"bEnableUdp", s.enableUdp)
          .result();
    });
  });
}

// Slot 15
HRESULT STDMETHODCALLTYPE FWSettings::SetSmartRecomendations(VARIANT showSmartRecos, VARIANT automatic,
                                                             VARIANT enableProtStartup, VARIANT allowIcmp,
                                                             VARIANT enableUdp, VARIANT /*desc*/,
                                                             long* result) {
  return Run(L"SetSmartRecomendations", result, [&] {
    SmartAdvice s;
    const long code =
        FirstFailure({ReadBool(showSmartRecos, s.showSmartRecos), ReadBool(automatic, s.automatic),
                      ReadBool(enableProtStartup, s.enableProtStartup), ReadBool(allowIcmp, s.allowIcmp),
                      ReadBool(enableUdp, s.enableUdp)});
    if (code != kResultOk) return code;
    return UpdateModel([&](FirewallModel& model) {
      model.smartAdvice = s;
      return kResultOk;
    });
  });
}

// Slot 16
HRESULT STDMETHODCALLTYPE FWSettings::GetEventLog(VARIANT desc, long* result) {
  return Run(L"GetEventLog", result, [&] {
    return WithModel([&](const FirewallModel& model) {
      const EventLog& e = model.eventLog;
      return ResultBag(desc)
          .Bool(L"bEnable", e.enable)
          .Bool(L"bBlockedProgs", e.blockedProgs)
          .Bool(L"bIcmpPings", e.icmpPings)
          .Bool(L"bBannedIpAddActivity", e.bannedIpAddActivity)
          .Bool(L"bSystemPortEvents", e.systemPortEvents)
          .Bool(L"bIdsEvents", e.idsEvents)
          .Bool(L"bUnknownPortEvents", e.unknownPortEvents)
          .Bool(L"bDoNotLogOnPort", e.doNotLogOnPort)
          .Text(L"sPort", e.ports)
          .result();
    });
  });
}

// Slot 17: eight switches and the port list not to log.
HRESULT STDMETHODCALLTYPE FWSettings::SetEventLog(VARIANT logEvents, VARIANT blockedPrograms,
                                                  VARIANT icmpPings, VARIANT bannedIps,
                                                  VARIANT systemServicePorts, VARIANT intrusionDetection,
                                                  VARIANT unknownEvents, VARIANT dontLogOnPorts,
                                                  VARIANT portsNotToLog, VARIANT /*desc*/, long* result) {
  return Run(L"SetEventLog", result, [&] {
    EventLog e;
    const long code =
        FirstFailure({ReadBool(logEvents, e.enable), ReadBool(blockedPrograms, e.blockedProgs),
                      ReadBool(icmpPings, e.icmpPings), ReadBool(bannedIps, e.bannedIpAddActivity),
                      ReadBool(systemServicePorts, e.systemPortEvents),
                      ReadBool(intrusionDetection, e.idsEvents), ReadBool(unknownEvents, e.unknownPortEvents),
                      ReadBool(dontLogOnPorts, e.doNotLogOnPort), ReadText(portsNotToLog, e.ports)});
    if (code != kResultOk) return code;
    if (!IsPortList(e.ports)) return kResultOutOfRange;
    return UpdateModel([&](FirewallModel& model) {
      model.eventLog = e;
      return kResultOk;
    });
  });
}

// Slot 18
HRESULT STDMETHODCALLTYPE FWSettings::as_GetProgramPermissions(VARIANT desc, long* result) {
  return Run(L"as_GetProgramPermissions", result, [&] {
    return PublishList(desc, kProgramPermissionsMessage, ProgramPermissionsJson,
                       [](const FirewallModel& m) { return m.programs.size(); });
  });
}

// Slot 19
HRESULT STDMETHODCALLTYPE FWSettings::AddProgramPermission(VARIANT fileName, VARIANT permission,
                                                           VARIANT scope, VARIANT netGuard, VARIANT desc,
                                                           long* result) {
  return Run(L"AddProgramPermission", result, [&] {
    ProgramPermission entry;
    const long code = ReadProgramPermission(fileName, permission, scope, netGuard, entry);
    return code != kResultOk ? code : AddEntry(desc, nullptr, entry, &FirewallModel::programs);
  });
}

// Slot 20: changes permission, scope and net guard; the file stays.
HRESULT STDMETHODCALLTYPE FWSettings::EditProgramPermission(VARIANT programId, VARIANT permission,
                                                            VARIANT scope, VARIANT netGuard, VARIANT /*desc*/,
                                                            long* result) {
  return Run(L"EditProgramPermission", result, [&] {
    ProgramPermission entry;
    const long code =
        FirstFailure({ReadInt(programId, entry.id), ReadIntIn(permission, 0, 2, entry.permission),
                      ReadIntIn(scope, 0, 2, entry.scope), ReadIntIn(netGuard, 0, 1, entry.netGuard)});
    if (code != kResultOk) return code;
    return UpdateModel([&](FirewallModel& model) {
      ProgramPermission* target = FindById(model.programs, entry.id);
      if (target == nullptr) return kResultNotFound;
      target->permission = entry.permission;
      target->scope = entry.scope;
      target->netGuard = entry.netGuard;
      return kResultOk;
    });
  });
}

// Slot 21
HRESULT STDMETHODCALLTYPE FWSettings::RemoveProgramPermissions(VARIANT ids, VARIANT /*desc*/, long* result) {
  return Run(L"RemoveProgramPermissions", result, [&] { return RemoveIds(ids, &FirewallModel::programs); });
}

// Slot 22
HRESULT STDMETHODCALLTYPE FWSettings::as_GetIPAddresses(VARIANT desc, long* result) {
  return Run(L"as_GetIPAddresses", result, [&] {
    return PublishList(desc, kIpAddressesMessage, IpAddressesJson,
                       [](const FirewallModel& m) { return m.ipAddresses.size(); });
  });
}

// Slot 23: answers "IPId".
HRESULT STDMETHODCALLTYPE FWSettings::AddIPAddress(VARIANT notes, VARIANT ipType, VARIANT startAddress,
                                                   VARIANT endAddress, VARIANT networkType, VARIANT expiresIn,
                                                   VARIANT desc, long* result) {
  return Run(L"AddIPAddress", result, [&] {
    IpAddress entry;
    const long code = ReadIpAddress(notes, ipType, startAddress, endAddress, networkType, expiresIn, entry);
    return code != kResultOk ? code : AddEntry(desc, L"IPId", entry, &FirewallModel::ipAddresses);
  });
}

// Slot 24
HRESULT STDMETHODCALLTYPE FWSettings::EditIPAddress(VARIANT uniqueId, VARIANT notes, VARIANT ipType,
                                                    VARIANT startAddress, VARIANT endAddress,
                                                    VARIANT networkType, VARIANT expiresIn, VARIANT /*desc*/,
                                                    long* result) {
  return Run(L"EditIPAddress", result, [&] {
    IpAddress entry;
    const long code =
        FirstFailure({ReadInt(uniqueId, entry.id),
                      ReadIpAddress(notes, ipType, startAddress, endAddress, networkType, expiresIn, entry)});
    return code != kResultOk ? code : EditEntry(entry, &FirewallModel::ipAddresses);
  });
}

// Slot 25
HRESULT STDMETHODCALLTYPE FWSettings::RemoveIPAddresses(VARIANT ids, VARIANT /*desc*/, long* result) {
  return Run(L"RemoveIPAddresses", result, [&] { return RemoveIds(ids, &FirewallModel::ipAddresses); });
}

// Slot 26
HRESULT STDMETHODCALLTYPE FWSettings::as_GetSystemServices(VARIANT desc, long* result) {
  return Run(L"as_GetSystemServices", result, [&] {
    return PublishList(desc, kSystemServicesMessage, SystemServicesJson,
                       [](const FirewallModel& m) { return m.systemServices.size(); });
  });
}

// Slot 27: answers "SytemServiceID".
HRESULT STDMETHODCALLTYPE FWSettings::AddSystemService(VARIANT name, VARIANT enabled, VARIANT category,
                                                       VARIANT tcpLocal, VARIANT udpLocal, VARIANT portList3,
                                                       VARIANT portList4, VARIANT description,
                                                       VARIANT networkType, VARIANT forwardActivity,
                                                       VARIANT desc, long* result) {
  return Run(L"AddSystemService", result, [&] {
    const VARIANT* const arguments[10] = {&name,        &enabled,        &category,  &tcpLocal,
                                          &udpLocal,    &portList3,      &portList4, &description,
                                          &networkType, &forwardActivity};
    SystemService entry;
    const long code = ReadSystemService(arguments, entry);
    return code != kResultOk ? code
                             : AddEntry(desc, L"SytemServiceID", entry, &FirewallModel::systemServices);
  });
}

// Slot 28
HRESULT STDMETHODCALLTYPE FWSettings::EditSystemService(VARIANT serviceId, VARIANT name, VARIANT enabled,
                                                        VARIANT category, VARIANT tcpLocal, VARIANT udpLocal,
                                                        VARIANT portList3, VARIANT portList4,
                                                        VARIANT description, VARIANT networkType,
                                                        VARIANT forwardActivity, VARIANT /*desc*/,
                                                        long* result) {
  return Run(L"EditSystemService", result, [&] {
    const VARIANT* const arguments[10] = {&name,        &enabled,        &category,  &tcpLocal,
                                          &udpLocal,    &portList3,      &portList4, &description,
                                          &networkType, &forwardActivity};
    SystemService entry;
    const long code = FirstFailure({ReadInt(serviceId, entry.id), ReadSystemService(arguments, entry)});
    return code != kResultOk ? code : EditEntry(entry, &FirewallModel::systemServices);
  });
}

// Slot 29
HRESULT STDMETHODCALLTYPE FWSettings::RemoveSystemServices(VARIANT ids, VARIANT /*desc*/, long* result) {
  return Run(L"RemoveSystemServices", result, [&] { return RemoveIds(ids, &FirewallModel::systemServices); });
}

HRESULT STDMETHODCALLTYPE FWSettings::Reserved30() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FWSettings::Reserved31() { return E_NOTIMPL; }

// Slot 32: every setting and list back to the defaults; the on/off switch stays.
HRESULT STDMETHODCALLTYPE FWSettings::ResetToDefaults(long* result) {
  return Run(L"ResetToDefaults", result, [&] {
    return UpdateModel([](FirewallModel& model) {
      RestoreDefaultSettings(model);
      return kResultOk;
    });
  });
}

// Slot 33
HRESULT STDMETHODCALLTYPE FWSettings::IsResetToDefaults(VARIANT_BOOL* atDefaults) {
  if (atDefaults == nullptr) return E_POINTER;
  if (const std::optional<HRESULT> fault = FaultHResultFor(L"IsResetToDefaults")) return *fault;
  FirewallModel model;
  if (LoadModel(model) != kResultOk) return E_FAIL;
  *atDefaults = SameSettings(model, DefaultModel()) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FWSettings::Reserved34() { return E_NOTIMPL; }

// Slot 35
HRESULT STDMETHODCALLTYPE FWSettings::as_GetIPReputation(VARIANT desc, long* result) {
  return Run(L"as_GetIPReputation", result, [&] {
    return PublishList(desc, kIpReputationMessage, IpReputationJson,
                       [](const FirewallModel& m) { return m.ipReputation.size(); });
  });
}

// Slot 36
HRESULT STDMETHODCALLTYPE FWSettings::EditIPReputation(VARIANT ssid, VARIANT action, VARIANT /*desc*/,
                                                       long* result) {
  return Run(L"EditIPReputation", result, [&] {
    IpReputationEntry entry;
    const long code = FirstFailure({ReadInt(ssid, entry.id), ReadBool(action, entry.action)});
    return code != kResultOk ? code : EditEntry(entry, &FirewallModel::ipReputation);
  });
}

// Slot 37
HRESULT STDMETHODCALLTYPE FWSettings::RemoveIPReputation(VARIANT ids, VARIANT /*desc*/, long* result) {
  return Run(L"RemoveIPReputation", result, [&] { return RemoveIds(ids, &FirewallModel::ipReputation); });
}

// Slot 38: VT_I4 1 or 0 (a VT_BOOL is taken as well).
HRESULT STDMETHODCALLTYPE FWSettings::EnableIPReputation(VARIANT enable, VARIANT /*desc*/, long* result) {
  return Run(L"EnableIPReputation", result, [&] {
    bool on = false;
    long number = 0;
    const long code = enable.vt == VT_BOOL ? ReadBool(enable, on) : ReadIntIn(enable, 0, 1, number);
    if (code != kResultOk) return code;
    if (enable.vt != VT_BOOL) on = number == 1;
    return UpdateModel([&](FirewallModel& model) {
      model.ipReputationEnabled = on;
      return kResultOk;
    });
  });
}

// Slot 39: "bHipsEnable", "iHipsLevel".
HRESULT STDMETHODCALLTYPE FWSettings::GetHips(VARIANT desc, long* result) {
  return Run(L"GetHips", result, [&] {
    return WithModel([&](const FirewallModel& model) {
      return ResultBag(desc)
          .Bool(L"bHipsEnable", model.hips.enabled)
          .Int(L"iHipsLevel", model.hips.level)
          .result();
    });
  });
}

// Slot 40: 0 basic, 1 medium, 2 high.
HRESULT STDMETHODCALLTYPE FWSettings::SetHips(VARIANT enable, VARIANT level, VARIANT /*desc*/, long* result) {
  return Run(L"SetHips", result, [&] {
    HipsSettings hips;
    const long code = FirstFailure({ReadBool(enable, hips.enabled), ReadIntIn(level, 0, 2, hips.level)});
    if (code != kResultOk) return code;
    return UpdateModel([&](FirewallModel& model) {
      model.hips = hips;
      return kResultOk;
    });
  });
}

}  // namespace BxKit
