// The state file's text: one record a line, fields separated by tabs, UTF-8.
// Fields escape '\\', tab, CR and LF as \\ \t \r \n; a missing text (a rule
// without MAC address) is the field \0.
//
//   BxFWConfig model 1
//   firewall <on> <reenable minutes>
//   security <level>
//   smart <5 switches>
//   eventlog <8 switches> <port list>
//   hips <enabled> <level>
//   reputation <enabled>
//   program <id> <file> <permission> <scope> <net guard>
//   address <id> <notes> <ip type> <start> <end> <network type> <expires in>
//   service <id> <name> <enabled> <category> <tcp> <udp> <list3> <list4> <description> <network type>
//   <forward> repentry <id> <action> rule <id> <address> <mac or \0> <trust level>
#pragma once

#include <string>

#include "kit/BxFWConfig/Model.h"

namespace BxKit {

std::string FormatModel(const FirewallModel& model);

// Scalars missing from the text keep their defaults; lists hold exactly the
// records of the text. False when a line cannot be read.
bool ParseModel(const std::string& text, FirewallModel& model);

}  // namespace BxKit
