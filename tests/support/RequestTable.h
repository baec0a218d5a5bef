// The module's requests as its callers know them: every request name, whether
// any session may send it (plain) or only the module's own (scoped), and one
// payload it accepts. Written here from the protocol, not taken from the
// module's own table, so that a row the module drops is caught.
#pragma once

namespace tarn_test {

struct RequestRow {
  const wchar_t* name;
  bool plain;
  const wchar_t* payload;
};

const RequestRow kRequests[] = {
    {L"Core.Firewall.ChangeState", true, LR"({"state":"on"})"},
    {L"Core.Firewall.RefreshState", true, L"{}"},
    {L"Core.Firewall.ProtectionStatusChange", true, L"{}"},
    {L"Core.Protection.IgnoreFirewall", true, L"{}"},
    {L"Core.Firewall.HIPS.State", true, L"{}"},
    {L"Core.Firewall.SetState", false, LR"({"state":"off","reenable":5})"},
    {L"Core.Firewall.UpdateTrafficController", false, LR"({"traffic_controller":"stealth"})"},
    {L"Core.Firewall.RefreshTrafficController", false, L"{}"},
    {L"Core.Firewall.UpdateSmartAdvice", false,
     LR"({"enable_smart_advice":true,"automatic_smart_advice":false,"enable_protection_at_startup":true,)"
     LR"("allow_icmp_ping":false,"enable_udp_tracking":true})"},
    {L"Core.Firewall.RefreshSmartAdvice", false, L"{}"},
    {L"Core.Firewall.SetHistory", false,
     LR"({"log_events":true,"what_events_to_log":{"blocked_programs":true,"icmp_pings":false,)"
     LR"("banned_ips":true,"system_service_ports":false,"intrusion_detection":true,"unknown_events":false},)"
     LR"("dont_log_events_on_ports":true,"what_ports_not_to_log":"80,443"})"},
    {L"Core.Firewall.RefreshHistory", false, L"{}"},
    {L"Core.Firewall.SetIntrusionDetection", false,
     LR"({"enable_intrusion_detection":true,"intrusion_detection_level":"medium"})"},
    {L"Core.Firewall.RefreshIntrusionDetection", false, L"{}"},
    {L"Core.Firewall.AddProgramInternetConnection", false,
     LR"({"program_filename":"C:\\Tools\\tool.exe","permission":1,"access":2,"net_guard":"on"})"},
    {L"Core.Firewall.EditProgramInternetConnection", false,
     LR"({"program_id":1,"program_filename":"C:\\Tools\\tool.exe","permission":0,"access":1,"net_guard":"off"})"},
    {L"Core.Firewall.DeleteProgramInternetConnection", false, LR"({"program_ids":"1,2"})"},
    {L"Core.Firewall.RefreshProgramInternetConnection", false, L"{}"},
    {L"Core.Firewall.AddPortsAndSystemServices", false,
     LR"({"name":"Remote desktop","enabled":true,"category":"Admin","portinfo":{"tcp_local":"3389",)"
     LR"("udp_local":""},"description":"rdp","openportsto":1,"forwardactivity":false})"},
    {L"Core.Firewall.UpdatePortsAndSystemServices", false,
     LR"({"portsysid":1,"name":"Remote desktop","enabled":false,"category":"Admin","portinfo":)"
     LR"({"tcp_local":"3389","udp_local":""},"description":"rdp","openportsto":0,"forwardactivity":true})"},
    {L"Core.Firewall.DeletePortsAndSystemServices", false, LR"({"portsysid":"1"})"},
    {L"Core.Firewall.RefreshPortsAndSystemServices", false, L"{}"},
    {L"Core.Firewall.SetNetGuard", false, LR"({"enable_net_guard":true})"},
    {L"Core.Firewall.EditNetGuard", false, LR"({"SSID":1,"action":1})"},
    {L"Core.Firewall.DeleteNetGuard", false, LR"({"SSIDs":"1"})"},
    {L"Core.Firewall.RefreshNetGuard", false, L"{}"},
    {L"Core.Firewall.AddNetworkConnection", false,
     LR"({"notes":"lab","IsIpV4":true,"IPType":0,"StartAddress":"10.0.0.1","EndAddress":"",)"
     LR"("network_type":1,"ExpiresIn":0})"},
    {L"Core.Firewall.EditNetworkConnection", false,
     LR"({"uniqueID":1,"notes":"lab","IsIpV4":true,"IPType":1,"StartAddress":"10.0.0.1",)"
     LR"("EndAddress":"10.0.0.9","network_type":2,"ExpiresIn":3})"},
    {L"Core.Firewall.DeleteNetworkConnection", false, LR"({"uniqueIDs":"1"})"},
    {L"Core.Firewall.RefreshNetworkConnection", false, L"{}"},
    {L"Core.Firewall.RestoreDefaults", false, L"{}"},
    {L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", false, L"{}"},
    {L"Core.Firewall.RequestUserState", false, L"{}"},
    {L"Core.Firewall.GetUploadedFilePath", false, LR"({"session_ID":1})"},
    {L"Core.Firewall.GetTrustLevel", false, LR"({"mac_address":"00-11-22-33-44-55"})"},
    {L"Core.Firewall.SetTrustLevel", false, LR"({"mac_address":"00-11-22-33-44-55","trust_level":1})"},
};

}  // namespace tarn_test
