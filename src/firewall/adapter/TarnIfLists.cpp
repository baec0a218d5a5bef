// The adapter operations of the firewall's lists: program permissions, ports
// and system services, net guard and network connections. Each is one call of
// the component through callSettings; the two adds read the new entry's id back.
#include <utility>

#include "Logging/Log.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/adapter/TarnIf.h"
#include "firewall/adapter/TarnModuleUtil.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"TarnIf";

constexpr wchar_t kServiceIdProperty[] = L"SytemServiceID";
constexpr wchar_t kIpIdProperty[] = L"IPId";

// Stores the bag's number property in newId as VT_I4 (-1 when the read fails).
TarnIf::DescReader newIdReader(const wchar_t* property, VARIANT* newId) {
  return [property, newId](const VARIANT& desc) {
    long id = -1;
    tarn_moduleutil::get_property_byname(desc, property, id);
    if (newId == nullptr) return;
    VariantClear(newId);
    V_VT(newId) = VT_I4;
    V_I4(newId) = static_cast<LONG>(id);
  };
}

}  // namespace

// Program permissions.

uint32_t TarnIf::firewall_add_proginternetconn(VARIANT fileName, VARIANT permission, VARIANT scope,
                                               VARIANT netGuard, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::firewall_add_proginternetconn",
      L"firewall_add_proginternetconn,bxFwSettings was NULL.",
      L"Firewall firewall_add_proginternetconn failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->AddProgramPermission(fileName, permission, scope, netGuard, desc, result);
  });
}

uint32_t TarnIf::firewall_edit_proginternetconn(VARIANT programId, VARIANT permission, VARIANT scope,
                                                VARIANT netGuard, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::firewall_edit_proginternetconn",
      L"firewall_edit_proginternetconn, bxFwSettings was NULL.",
      L"Firewall firewall_edit_proginternetconn failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->EditProgramPermission(programId, permission, scope, netGuard, desc, result);
  });
}

uint32_t TarnIf::firewall_delete_proginternetconn(VARIANT programIds, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::firewall_delete_proginternetconn",
      L"firewall_delete_proginternetconn, bxFwSettings was NULL.",
      L"Firewall firewall_delete_proginternetconn failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->RemoveProgramPermissions(programIds, desc, result);
  });
}

uint32_t TarnIf::get_proginternetconn_settings(SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {L"Brenix::TarnIf::get_proginternetconn_settings",
                                           L"get_proginternetconn_settings, bxFwSettings was NULL.",
                                           L"Firewall as_GetProgramPermissions failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->as_GetProgramPermissions(desc, result);
  });
}

// Ports and system services.

uint32_t TarnIf::add_portsandsystemservices_settings(VARIANT name, VARIANT enabled, VARIANT category,
                                                     VARIANT tcpLocal, VARIANT udpLocal, VARIANT portList3,
                                                     VARIANT portList4, VARIANT description,
                                                     VARIANT networkType, VARIANT forwardActivity,
                                                     SettingsPtr settings, VARIANT* newId) {
  static const SettingsCallTexts kTexts = {L"Brenix::TarnIf::add_portsandsystemservices_settings",
                                           L"add_portsandsystemservices_settings:: m_bxfw_settings was NULL.",
                                           L"FirewallAddPortsAndSystemServices failed: hr 0x%x result %d"};
  return callSettings(
      std::move(settings), kTexts,
      [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
        return fw->AddSystemService(name, enabled, category, tcpLocal, udpLocal, portList3, portList4,
                                    description, networkType, forwardActivity, desc, result);
      },
      newIdReader(kServiceIdProperty, newId));
}

uint32_t TarnIf::update_portsandsystemservices_settings(VARIANT serviceId, VARIANT name, VARIANT enabled,
                                                        VARIANT category, VARIANT tcpLocal, VARIANT udpLocal,
                                                        VARIANT portList3, VARIANT portList4,
                                                        VARIANT description, VARIANT networkType,
                                                        VARIANT forwardActivity, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::update_portsandsystemservices_settings",
      L"update_portsandsystemservices_settings, bxFwSettings was NULL.",
      L"update_portsandsystemservices_settings: EditSystemService failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->EditSystemService(serviceId, name, enabled, category, tcpLocal, udpLocal, portList3, portList4,
                                 description, networkType, forwardActivity, desc, result);
  });
}

uint32_t TarnIf::delete_portsandsystemservices_settings(VARIANT serviceIds, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::delete_portsandsystemservices_settings",
      L"delete_portsandsystemservices_settings, bxFwSettings was NULL.",
      L"delete_portsandsystemservices_settings:RemoveSystemServices failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->RemoveSystemServices(serviceIds, desc, result);
  });
}

uint32_t TarnIf::get_portsandsystemservice_settings(SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::get_portsandsystemservice_settings",
      L"get_portsandsystemservice_settings, bxFwSettings was NULL.",
      L"get_portsandsystemservice_settings: Firewall as_GetSystemServices failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->as_GetSystemServices(desc, result);
  });
}

// Net guard.

uint32_t TarnIf::set_firewall_netguard(VARIANT enable, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::set_firewall_netguard", L"set_firewall_netguard, bxFwSettings was NULL.",
      L"set_firewall_netguard:EnableIPReputation call failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->EnableIPReputation(enable, desc, result);
  });
}

uint32_t TarnIf::edit_firewall_netguard(VARIANT ssid, VARIANT action, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::edit_firewall_netguard", L"edit_firewall_netguard, bxFwSettings was NULL.",
      L"edit_firewall_netguard:EditIPReputation call failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->EditIPReputation(ssid, action, desc, result);
  });
}

uint32_t TarnIf::delete_firewall_netguard(VARIANT ssids, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::delete_firewall_netguard", L"delete_firewall_netguard, bxFwSettings was NULL.",
      L"delete_firewall_netguard:RemoveIPReputation call failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->RemoveIPReputation(ssids, desc, result);
  });
}

uint32_t TarnIf::get_netguard_settings(SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::get_netguard_settings", L"get_netguard_settings, bxFwSettings was NULL.",
      L"get_netguard_settings:Firewall as_GetIPReputation failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->as_GetIPReputation(desc, result);
  });
}

// Network connections.

uint32_t TarnIf::add_my_networkconnection(VARIANT notes, VARIANT ipType, VARIANT startAddress,
                                          VARIANT endAddress, VARIANT networkType, VARIANT expiresIn,
                                          SettingsPtr settings, VARIANT* newId, long* result) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::add_my_networkconnection", L"add_my_networkconnection, bxFwSettings was NULL.",
      L"add_my_networkconnection: AddIPAddress call failed: hr 0x%x result %d"};
  return callSettings(
      std::move(settings), kTexts,
      [&](IBxFWSettings* fw, const VARIANT& desc, long* code) {
        return fw->AddIPAddress(notes, ipType, startAddress, endAddress, networkType, expiresIn, desc, code);
      },
      newIdReader(kIpIdProperty, newId), result);
}

uint32_t TarnIf::edit_my_networkconnection(VARIANT uniqueId, VARIANT notes, VARIANT ipType,
                                           VARIANT startAddress, VARIANT endAddress, VARIANT networkType,
                                           VARIANT expiresIn, SettingsPtr settings, long* result) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::edit_my_networkconnection", L"edit_my_networkconnection, bxFwSettings was NULL.",
      L"edit_my_networkconnection:EditIPAddress call failed: hr 0x%x result %d"};
  return callSettings(
      std::move(settings), kTexts,
      [&](IBxFWSettings* fw, const VARIANT& desc, long* code) {
        return fw->EditIPAddress(uniqueId, notes, ipType, startAddress, endAddress, networkType, expiresIn,
                                 desc, code);
      },
      nullptr, result);
}

uint32_t TarnIf::delete_my_networkconnection(VARIANT uniqueIds, SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::delete_my_networkconnection", L"delete_my_networkconnection, bxFwSettings was NULL.",
      L"delete_my_networkconnection:RemoveIPAddresses call failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->RemoveIPAddresses(uniqueIds, desc, result);
  });
}

uint32_t TarnIf::get_my_netconnsettings(SettingsPtr settings) {
  static const SettingsCallTexts kTexts = {
      L"Brenix::TarnIf::get_my_netconnsettings", L"get_my_netconnsettings, bxFwSettings was NULL.",
      L"get_my_netconnsettings:Firewall as_GetIPAddresses failed: hr 0x%x result %d"};
  return callSettings(std::move(settings), kTexts, [](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->as_GetIPAddresses(desc, result);
  });
}

}  // namespace Brenix
