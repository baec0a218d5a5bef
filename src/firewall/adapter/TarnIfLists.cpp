// The adapter operations of the firewall's lists: program permissions, ports
// and system services, net guard and network connections. Each is one call of
// the settings object; the two adds read the new entry's id back.
#include <utility>

#include "firewall/adapter/TarnIf.h"
#include "firewall/adapter/TarnIfCalls.h"
#include "firewall/adapter/TarnModuleUtil.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace {

// Stores the bag's number property in newId as VT_I4 (-1 when the read fails).
TarnIf::DescReader newIdReader(const wchar_t* property, Ledra::ScopedVariant* newId) {
  return [property, newId](const VARIANT& desc) {
    long id = -1;
    tarn_moduleutil::get_property_byname(desc, property, id);
    if (newId) newId->setLong(id);
  };
}

}  // namespace

uint32_t TarnIf::firewall_add_proginternetconn(VARIANT fileName, VARIANT permission, VARIANT scope,
                                               VARIANT netGuard, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kAddProgram, &IBxFWSettings::AddProgramPermission, fileName,
                permission, scope, netGuard);
}

uint32_t TarnIf::firewall_edit_proginternetconn(VARIANT programId, VARIANT permission, VARIANT scope,
                                                VARIANT netGuard, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kEditProgram, &IBxFWSettings::EditProgramPermission, programId,
                permission, scope, netGuard);
}

uint32_t TarnIf::firewall_delete_proginternetconn(VARIANT programIds, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kDeletePrograms, &IBxFWSettings::RemoveProgramPermissions,
                programIds);
}

uint32_t TarnIf::get_proginternetconn_settings(SettingsPtr settings) {
  return invoke(std::move(settings), calls::kGetPrograms, &IBxFWSettings::as_GetProgramPermissions);
}

uint32_t TarnIf::add_portsandsystemservices_settings(VARIANT name, VARIANT enabled, VARIANT category,
                                                     VARIANT tcpLocal, VARIANT udpLocal, VARIANT portList3,
                                                     VARIANT portList4, VARIANT description,
                                                     VARIANT networkType, VARIANT forwardActivity,
                                                     SettingsPtr settings, Ledra::ScopedVariant* newId) {
  return callSettings(
      std::move(settings), calls::kAddService,
      [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
        return fw->AddSystemService(name, enabled, category, tcpLocal, udpLocal, portList3, portList4,
                                    description, networkType, forwardActivity, desc, result);
      },
      newIdReader(L"SytemServiceID", newId));
}

uint32_t TarnIf::update_portsandsystemservices_settings(VARIANT serviceId, VARIANT name, VARIANT enabled,
                                                        VARIANT category, VARIANT tcpLocal, VARIANT udpLocal,
                                                        VARIANT portList3, VARIANT portList4,
                                                        VARIANT description, VARIANT networkType,
                                                        VARIANT forwardActivity, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kEditService, &IBxFWSettings::EditSystemService, serviceId, name,
                enabled, category, tcpLocal, udpLocal, portList3, portList4, description, networkType,
                forwardActivity);
}

uint32_t TarnIf::delete_portsandsystemservices_settings(VARIANT serviceIds, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kDeleteServices, &IBxFWSettings::RemoveSystemServices,
                serviceIds);
}

uint32_t TarnIf::get_portsandsystemservice_settings(SettingsPtr settings) {
  return invoke(std::move(settings), calls::kGetServices, &IBxFWSettings::as_GetSystemServices);
}

uint32_t TarnIf::set_firewall_netguard(VARIANT enable, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kSetNetGuard, &IBxFWSettings::EnableIPReputation, enable);
}

uint32_t TarnIf::edit_firewall_netguard(VARIANT ssid, VARIANT action, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kEditNetGuard, &IBxFWSettings::EditIPReputation, ssid, action);
}

uint32_t TarnIf::delete_firewall_netguard(VARIANT ssids, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kDeleteNetGuard, &IBxFWSettings::RemoveIPReputation, ssids);
}

uint32_t TarnIf::get_netguard_settings(SettingsPtr settings) {
  return invoke(std::move(settings), calls::kGetNetGuard, &IBxFWSettings::as_GetIPReputation);
}

uint32_t TarnIf::add_my_networkconnection(VARIANT notes, VARIANT ipType, VARIANT startAddress,
                                          VARIANT endAddress, VARIANT networkType, VARIANT expiresIn,
                                          SettingsPtr settings, Ledra::ScopedVariant* newId, long* result) {
  return callSettings(
      std::move(settings), calls::kAddAddress,
      [&](IBxFWSettings* fw, const VARIANT& desc, long* code) {
        return fw->AddIPAddress(notes, ipType, startAddress, endAddress, networkType, expiresIn, desc, code);
      },
      newIdReader(L"IPId", newId), result);
}

uint32_t TarnIf::edit_my_networkconnection(VARIANT uniqueId, VARIANT notes, VARIANT ipType,
                                           VARIANT startAddress, VARIANT endAddress, VARIANT networkType,
                                           VARIANT expiresIn, SettingsPtr settings, long* result) {
  return callSettings(
      std::move(settings), calls::kEditAddress,
      [&](IBxFWSettings* fw, const VARIANT& desc, long* code) {
        return fw->EditIPAddress(uniqueId, notes, ipType, startAddress, endAddress, networkType, expiresIn,
                                 desc, code);
      },
      nullptr, result);
}

uint32_t TarnIf::delete_my_networkconnection(VARIANT uniqueIds, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kDeleteAddresses, &IBxFWSettings::RemoveIPAddresses, uniqueIds);
}

uint32_t TarnIf::get_my_netconnsettings(SettingsPtr settings) {
  return invoke(std::move(settings), calls::kGetAddresses, &IBxFWSettings::as_GetIPAddresses);
}

}  // namespace Brenix
