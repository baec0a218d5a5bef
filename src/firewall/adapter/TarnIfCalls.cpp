#include "firewall/adapter/TarnIfCalls.h"

namespace Brenix {
namespace calls {
namespace {

// The lines of the operations that pass a counted bag.
constexpr int kNull = 246, kFailed = 268;
// The lines of the groups' reads into the caller's bag.
constexpr int kReadNull = 16, kReadFailed = 23;

}  // namespace

const SettingsCallTexts kSetFirewallState = {L"Brenix::TarnIf::set_firewall_state",
                                             L"set_firewall_state, bxFwSettings was NULL.",
                                             L"set_firewall_state failed: hr 0x%x result %d", kNull, kFailed};

const SettingsCallTexts kGetSecurityLevel = {
    L"Brenix::TarnIf::get_firewallsecurity_level", L"get_firewallsecurity_level, bxFwSettings was NULL.",
    L"get_firewallsecurity_level: GetSecurityLevel failed: hr 0x%x result %d", kReadNull, kReadFailed};
const SettingsCallTexts kGetSmartAdvice = {
    L"Brenix::TarnIf::get_firewallsmartadvice_settings",
    L"get_firewallsmartadvice_settings, bxFwSettings was NULL.",
    L"get_firewallsmartadvice_settings: Firewall GetSmartRecomendations failed: hr 0x%x result %d", kReadNull,
    kReadFailed};
const SettingsCallTexts kGetHistory = {
    L"Brenix::TarnIf::get_firewallhistory_setting", L"get_firewallhistory_setting, bxFwSettings was NULL.",
    L"get_firewallhistory_setting GetEventLog failed: hr 0x%x result %d", kReadNull, kReadFailed};
const SettingsCallTexts kGetIntrusionDetection = {
    L"Brenix::TarnIf::get_intrusiondetection_settings",
    L"get_intrusiondetection_settings,bxFwSettings was NULL.",
    L"get_intrusiondetection_settings: Firewall GetHips failed: hr 0x%x result %d", kReadNull, kReadFailed};

const SettingsCallTexts kSetSecurityLevel = {L"Brenix::TarnIf::set_firewallsecuritylevel_settings",
                                             L"set_firewallsecuritylevel_settings, bxFwSettings was NULL.",
                                             L"Firewall SetSecurityLevel failed: hr 0x%x result %d", kNull,
                                             kFailed};
const SettingsCallTexts kSetSmartAdvice = {L"Brenix::TarnIf::set_firewallsmartadvice_settings",
                                           L"set_firewallsmartadvice_settings, bxFwSettings was NULL.",
                                           L"Firewall SetSmartRecomendations failed: hr 0x%x result %d",
                                           kNull, kFailed};
const SettingsCallTexts kSetHistory = {
    L"Brenix::TarnIf::set_firewallhistory_setting", L"set_firewallhistory_setting, bxFwSettings was NULL.",
    L"set_firewallhistory_setting:SetEventLog failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kSetIntrusionDetection = {
    L"Brenix::TarnIf::set_firewallintrusiondetection_setting",
    L"set_firewallintrusiondetection_setting, bxFwSettings was NULL.",
    L"set_firewallintrusiondetection_setting:SetHips failed: hr 0x%x result %d", kNull, kFailed};

const SettingsCallTexts kRestoreDefaults = {
    L"Brenix::TarnIf::restore_firewalldefault_settings",
    L"restore_firewalldefault_settings, bxFwSettings was NULL.",
    L"restore_firewalldefault_settings:ResetToDefaults call failed: hr 0x%x result %d", 43, 51};
// IsResetToDefaults takes no result code: only a negative HRESULT fails it.
const SettingsCallTexts kRefreshDefaults = {L"Brenix::TarnIf::refresh_firewalldefault_settings",
                                            L"refresh_firewalldefault_settings, bxFwSettings was NULL.",
                                            L"IsResetToDefaults call failed: hr 0x%x.",
                                            63,
                                            71,
                                            CallRule::HresultNotFailed};

const SettingsCallTexts kAddProgram = {
    L"Brenix::TarnIf::firewall_add_proginternetconn", L"firewall_add_proginternetconn,bxFwSettings was NULL.",
    L"Firewall firewall_add_proginternetconn failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kEditProgram = {L"Brenix::TarnIf::firewall_edit_proginternetconn",
                                        L"firewall_edit_proginternetconn, bxFwSettings was NULL.",
                                        L"Firewall firewall_edit_proginternetconn failed: hr 0x%x result %d",
                                        kNull, kFailed};
const SettingsCallTexts kDeletePrograms = {
    L"Brenix::TarnIf::firewall_delete_proginternetconn",
    L"firewall_delete_proginternetconn, bxFwSettings was NULL.",
    L"Firewall firewall_delete_proginternetconn failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kGetPrograms = {L"Brenix::TarnIf::get_proginternetconn_settings",
                                        L"get_proginternetconn_settings, bxFwSettings was NULL.",
                                        L"Firewall as_GetProgramPermissions failed: hr 0x%x result %d", kNull,
                                        kFailed};

const SettingsCallTexts kAddService = {L"Brenix::TarnIf::add_portsandsystemservices_settings",
                                       L"add_portsandsystemservices_settings:: m_bxfw_settings was NULL.",
                                       L"FirewallAddPortsAndSystemServices failed: hr 0x%x result %d", kNull,
                                       kFailed};
const SettingsCallTexts kEditService = {
    L"Brenix::TarnIf::update_portsandsystemservices_settings",
    L"update_portsandsystemservices_settings, bxFwSettings was NULL.",
    L"update_portsandsystemservices_settings: EditSystemService failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kDeleteServices = {
    L"Brenix::TarnIf::delete_portsandsystemservices_settings",
    L"delete_portsandsystemservices_settings, bxFwSettings was NULL.",
    L"delete_portsandsystemservices_settings:RemoveSystemServices failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kGetServices = {
    L"Brenix::TarnIf::get_portsandsystemservice_settings",
    L"get_portsandsystemservice_settings, bxFwSettings was NULL.",
    L"get_portsandsystemservice_settings: Firewall as_GetSystemServices failed: hr 0x%x result %d", kNull,
    kFailed};

const SettingsCallTexts kSetNetGuard = {
    L"Brenix::TarnIf::set_firewall_netguard", L"set_firewall_netguard, bxFwSettings was NULL.",
    L"set_firewall_netguard:EnableIPReputation call failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kEditNetGuard = {
    L"Brenix::TarnIf::edit_firewall_netguard", L"edit_firewall_netguard, bxFwSettings was NULL.",
    L"edit_firewall_netguard:EditIPReputation call failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kDeleteNetGuard = {
    L"Brenix::TarnIf::delete_firewall_netguard", L"delete_firewall_netguard, bxFwSettings was NULL.",
    L"delete_firewall_netguard:RemoveIPReputation call failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kGetNetGuard = {
    L"Brenix::TarnIf::get_netguard_settings", L"get_netguard_settings, bxFwSettings was NULL.",
    L"get_netguard_settings:Firewall as_GetIPReputation failed: hr 0x%x result %d", kNull, kFailed};

const SettingsCallTexts kAddAddress = {
    L"Brenix::TarnIf::add_my_networkconnection", L"add_my_networkconnection, bxFwSettings was NULL.",
    L"add_my_networkconnection: AddIPAddress call failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kEditAddress = {
    L"Brenix::TarnIf::edit_my_networkconnection", L"edit_my_networkconnection, bxFwSettings was NULL.",
    L"edit_my_networkconnection:EditIPAddress call failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kDeleteAddresses = {
    L"Brenix::TarnIf::delete_my_networkconnection", L"delete_my_networkconnection, bxFwSettings was NULL.",
    L"delete_my_networkconnection:RemoveIPAddresses call failed: hr 0x%x result %d", kNull, kFailed};
const SettingsCallTexts kGetAddresses = {
    L"Brenix::TarnIf::get_my_netconnsettings", L"get_my_netconnsettings, bxFwSettings was NULL.",
    L"get_my_netconnsettings:Firewall as_GetIPAddresses failed: hr 0x%x result %d", kNull, kFailed};

}  // namespace calls
}  // namespace Brenix
