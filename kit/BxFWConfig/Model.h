// The firewall model the component keeps: switches, settings groups, lists and
// IP rules, with their defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace BxKit {

struct SmartAdvice {
  bool showSmartRecos = true;
  bool automatic = true;
  bool enableProtStartup = true;
  bool allowIcmp = false;
  bool enableUdp = true;
};

struct EventLog {
  bool enable = true;
  bool blockedProgs = true;
  bool icmpPings = false;
  bool bannedIpAddActivity = true;
  bool systemPortEvents = true;
  bool idsEvents = true;
  bool unknownPortEvents = false;
  bool doNotLogOnPort = false;
  std::wstring ports;  // port list text, see PortList.h
};

struct HipsSettings {
  bool enabled = true;
  long level = 1;  // 0 basic, 1 medium, 2 high
};

struct ProgramPermission {
  long id = 0;
  std::wstring file;
  long permission = 0;  // 0 allow, 1 block, 2 ask
  long scope = 0;       // 0 any network, 1 trusted networks, 2 local computer
  long netGuard = 0;    // 0 off, 1 on
};

struct IpAddress {
  long id = 0;
  std::wstring notes;
  long ipType = 0;  // 0 single address, 1 range start..end
  std::wstring start;
  std::wstring end;
  long networkType = 0;  // 0 public, 1 home, 2 work
  long expiresIn = 0;    // days, 0 never
};

struct SystemService {
  long id = 0;
  std::wstring name;
  bool enabled = true;
  std::wstring category;
  std::wstring tcpLocal;
  std::wstring udpLocal;
  std::wstring tcpRemote;  // the third and fourth port lists
  std::wstring udpRemote;
  std::wstring description;
  long networkType = 0;  // 0 trusted networks, 1 any network
  bool forwardActivity = false;
};

struct IpReputationEntry {
  long id = 0;
  bool action = false;  // true blocks the address
};

struct IpRule {
  long id = 0;
  std::wstring address;
  std::optional<std::wstring> mac;  // none: the rule applies to every network
  long trustLevel = 0;              // 0 public, 1 home, 2 work
};

struct FirewallModel {
  bool firewallOn = true;
  long reenableMinutes = -1;  // after a switch-off with a re-enable time
  long securityLevel = 1;     // 1 smart access .. 4 lockdown
  SmartAdvice smartAdvice;
  EventLog eventLog;
  HipsSettings hips;
  std::vector<ProgramPermission> programs;
  std::vector<IpAddress> ipAddresses;
  std::vector<SystemService> systemServices;
  bool ipReputationEnabled = true;
  std::vector<IpReputationEntry> ipReputation;
  std::vector<IpRule> ipRules;
};

// The model of a fresh installation, seeded with a few entries per list.
FirewallModel DefaultModel();

// Everything that restoring the defaults touches: all but the on/off switch.
bool SameSettings(const FirewallModel& a, const FirewallModel& b);
void RestoreDefaultSettings(FirewallModel& model);

// The next free id of a list: one above the largest.
template <typename Entry>
long NextId(const std::vector<Entry>& entries) {
  long largest = 0;
  for (const Entry& entry : entries) {
    if (entry.id > largest) largest = entry.id;
  }
  return largest + 1;
}

template <typename Entry>
Entry* FindById(std::vector<Entry>& entries, long id) {
  for (Entry& entry : entries) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

}  // namespace BxKit
