#include "kit/BxFWConfig/Model.h"

#include <tuple>

namespace BxKit {
namespace {

auto Fields(const SmartAdvice& s) {
  return std::tie(s.showSmartRecos, s.automatic, s.enableProtStartup, s.allowIcmp, s.enableUdp);
}
auto Fields(const EventLog& e) {
  return std::tie(e.enable, e.blockedProgs, e.icmpPings, e.bannedIpAddActivity, e.systemPortEvents,
                  e.idsEvents, e.unknownPortEvents, e.doNotLogOnPort, e.ports);
}
auto Fields(const HipsSettings& h) { return std::tie(h.enabled, h.level); }
auto Fields(const ProgramPermission& p) { return std::tie(p.id, p.file, p.permission, p.scope, p.netGuard); }
auto Fields(const IpAddress& a) {
  return std::tie(a.id, a.notes, a.ipType, a.start, a.end, a.networkType, a.expiresIn);
}
auto Fields(const SystemService& s) {
  return std::tie(s.id, s.name, s.enabled, s.category, s.tcpLocal, s.udpLocal, s.tcpRemote, s.udpRemote,
                  s.description, s.networkType, s.forwardActivity);
}
auto Fields(const IpReputationEntry& e) { return std::tie(e.id, e.action); }
auto Fields(const IpRule& r) { return std::tie(r.id, r.address, r.mac, r.trustLevel); }

template <typename T>
bool Same(const T& a, const T& b) {
  return Fields(a) == Fields(b);
}

template <typename T>
bool Same(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!Same(a[i], b[i])) return false;
  }
  return true;
}

}  // namespace

FirewallModel DefaultModel() {
  FirewallModel model;
  model.programs = {
      {1, L"C:\\Windows\\System32\\svchost.exe", 0, 0, 0},
      {2, L"C:\\Program Files\\Internet Explorer\\iexplore.exe", 2, 1, 1},
  };
  model.ipAddresses = {
      {1, L"Home network", 1, L"192.168.0.1", L"192.168.0.254", 1, 0},
  };
  model.systemServices = {
      {1, L"Remote Desktop", false, L"Remote access", L"3389", L"", L"", L"", L"Remote Desktop Protocol", 0,
       false},
      {2, L"Web Server (HTTP)", true, L"Web", L"80,8080", L"", L"", L"", L"Incoming web traffic", 1, false},
      {3, L"DNS", true, L"Name resolution", L"", L"53", L"", L"", L"Domain name service", 1, true},
  };
  model.ipReputation = {{1, true}, {2, false}};
  model.ipRules = {
      {1, L"192.168.1.10", std::wstring(L"00-1A-2B-3C-4D-5E"), 1},
      {2, L"10.0.0.1", std::nullopt, 0},
      {3, L"fe80::1", std::wstring(L"00-1A-2B-3C-4D-5E"), 1},
      {4, L"172.16.5.4", std::wstring(L"A4-5E-60-C2-11-09"), 2},
  };
  return model;
}

bool SameSettings(const FirewallModel& a, const FirewallModel& b) {
  return a.securityLevel == b.securityLevel && Same(a.smartAdvice, b.smartAdvice) &&
         Same(a.eventLog, b.eventLog) && Same(a.hips, b.hips) && Same(a.programs, b.programs) &&
         Same(a.ipAddresses, b.ipAddresses) && Same(a.systemServices, b.systemServices) &&
         a.ipReputationEnabled == b.ipReputationEnabled && Same(a.ipReputation, b.ipReputation) &&
         Same(a.ipRules, b.ipRules);
}

void RestoreDefaultSettings(FirewallModel& model) {
  const bool on = model.firewallOn;
  const long reenable = model.reenableMinutes;
  model = DefaultModel();
  model.firewallOn = on;
  model.reenableMinutes = reenable;
}

}  // namespace BxKit
