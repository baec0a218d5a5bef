#include "kit/BxFWConfig/ModelFile.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace BxKit {
namespace {

constexpr char kMagic[] = "BxFWConfig model 1";
constexpr char kNullField[] = "\\0";

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
  return out;
}

bool FromUtf8(const std::string& text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return false;
  out.assign(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), &out[0],
                        size);
  return true;
}

std::string Escape(const std::wstring& text) {
  std::string out;
  for (char c : ToUtf8(text)) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

class Line {
 public:
  explicit Line(const char* tag) : text_(tag) {}
  Line& Text(const std::wstring& value) { return Raw(Escape(value)); }
  Line& OptionalText(const std::optional<std::wstring>& value) {
    return value ? Text(*value) : Raw(kNullField);
  }
  Line& Int(long value) { return Raw(std::to_string(value)); }
  Line& Bool(bool value) { return Raw(value ? "1" : "0"); }
  std::string End() const { return text_ + "\n"; }

 private:
  Line& Raw(const std::string& field) {
    text_ += '\t';
    text_ += field;
    return *this;
  }
  std::string text_;
};

// The fields of one record, read in order; any mismatch marks the record bad.
class Fields {
 public:
  explicit Fields(std::vector<std::string> raw) : raw_(std::move(raw)) {}
  bool ok() const { return ok_ && next_ == raw_.size(); }

  Fields& Text(std::wstring& out) {
    const std::string* raw = Take();
    if (raw && !Unescape(*raw, out)) ok_ = false;
    return *this;
  }
  Fields& OptionalText(std::optional<std::wstring>& out) {
    if (next_ < raw_.size() && raw_[next_] == kNullField) {
      ++next_;
      out.reset();
      return *this;
    }
    std::wstring text;
    Text(text);
    out = text;
    return *this;
  }
  Fields& Int(long& out) {
    const std::string* raw = Take();
    if (!raw) return *this;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(raw->c_str(), &end, 10);
    if (raw->empty() || *end != '\0' || errno == ERANGE) {
      ok_ = false;
    } else {
      out = value;
    }
    return *this;
  }
  Fields& Bool(bool& out) {
    const std::string* raw = Take();
    if (raw && (*raw == "0" || *raw == "1")) {
      out = *raw == "1";
    } else {
      ok_ = false;
    }
    return *this;
  }

 private:
  const std::string* Take() {
    if (next_ >= raw_.size()) {
      ok_ = false;
      return nullptr;
    }
    return &raw_[next_++];
  }
  static bool Unescape(const std::string& raw, std::wstring& out) {
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '\\') {
        text += raw[i];
        continue;
      }
      if (++i == raw.size()) return false;
      switch (raw[i]) {
        case '\\':
          text += '\\';
          break;
        case 't':
          text += '\t';
          break;
        case 'r':
          text += '\r';
          break;
        case 'n':
          text += '\n';
          break;
        default:
          return false;
      }
    }
    return FromUtf8(text, out);
  }

  std::vector<std::string> raw_;
  size_t next_ = 0;
  bool ok_ = true;
};

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return parts;
    start = tab + 1;
  }
}

bool ParseRecord(const std::string& tag, Fields& f, FirewallModel& m) {
  if (tag == "firewall") {
    f.Bool(m.firewallOn).Int(m.reenableMinutes);
  } else if (tag == "security") {
    f.Int(m.securityLevel);
  } else if (tag == "smart") {
    SmartAdvice& s = m.smartAdvice;
    f.Bool(s.showSmartRecos).Bool(s.automatic).Bool(s.enableProtStartup).Bool(s.allowIcmp).Bool(s.enableUdp);
  } else if (tag == "eventlog") {
    EventLog& e = m.eventLog;
    f.Bool(e.enable)
        .Bool(e.blockedProgs)
        .Bool(e.icmpPings)
        .Bool(e.bannedIpAddActivity)
        .Bool(e.systemPortEvents);
    f.Bool(e.idsEvents).Bool(e.unknownPortEvents).Bool(e.doNotLogOnPort).Text(e.ports);
  } else if (tag == "hips") {
    f.Bool(m.hips.enabled).Int(m.hips.level);
  } else if (tag == "reputation") {
    f.Bool(m.ipReputationEnabled);
  } else if (tag == "program") {
    ProgramPermission p;
    f.Int(p.id).Text(p.file).Int(p.permission).Int(p.scope).Int(p.netGuard);
    m.programs.push_back(p);
  } else if (tag == "address") {
    IpAddress a;
    f.Int(a.id).Text(a.notes).Int(a.ipType).Text(a.start).Text(a.end).Int(a.networkType).Int(a.expiresIn);
    m.ipAddresses.push_back(a);
  } else if (tag == "service") {
    SystemService s;
    f.Int(s.id).Text(s.name).Bool(s.enabled).Text(s.category).Text(s.tcpLocal).Text(s.udpLocal);
    f.Text(s.tcpRemote).Text(s.udpRemote).Text(s.description).Int(s.networkType).Bool(s.forwardActivity);
    m.systemServices.push_back(s);
  } else if (tag == "repentry") {
    IpReputationEntry e;
    f.Int(e.id).Bool(e.action);
    m.ipReputation.push_back(e);
  } else if (tag == "rule") {
    IpRule r;
    f.Int(r.id).Text(r.address).OptionalText(r.mac).Int(r.trustLevel);
    m.ipRules.push_back(r);
  } else {
    return false;
  }
  return f.ok();
}

}  // namespace

std::string FormatModel(const FirewallModel& m) {
  std::string text = std::string(kMagic) + "\n";
  text += Line("firewall").Bool(m.firewallOn).Int(m.reenableMinutes).End();
  text += Line("security").Int(m.securityLevel).End();
  const SmartAdvice& s = m.smartAdvice;
  text += Line("smart")
              .Bool(s.showSmartRecos)
              .Bool(s.automatic)
              .Bool(s.enableProtStartup)
              .Bool(s.allowIcmp)
              .Bool(s.enableUdp)
              .End();
  const EventLog& e = m.eventLog;
  text += Line("eventlog")
              .Bool(e.enable)
              .Bool(e.blockedProgs)
              .Bool(e.icmpPings)
              .Bool(e.bannedIpAddActivity)
              .Bool(e.systemPortEvents)
              .Bool(e.idsEvents)
              .Bool(e.unknownPortEvents)
              .Bool(e.doNotLogOnPort)
              .Text(e.ports)
              .End();
  text += Line("hips").Bool(m.hips.enabled).Int(m.hips.level).End();
  text += Line("reputation").Bool(m.ipReputationEnabled).End();
  for (const ProgramPermission& p : m.programs) {
    text += Line("program").Int(p.id).Text(p.file).Int(p.permission).Int(p.scope).Int(p.netGuard).End();
  }
  for (const IpAddress& a : m.ipAddresses) {
    text += Line("address")
                .Int(a.id)
                .Text(a.notes)
                .Int(a.ipType)
                .Text(a.start)
                .Text(a.end)
                .Int(a.networkType)
                .Int(a.expiresIn)
                .End();
  }
  for (const SystemService& v : m.systemServices) {
    text += Line("service")
                .Int(v.id)
                .Text(v.name)
                .Bool(v.enabled)
                .Text(v.category)
                .Text(v.tcpLocal)
                .Text(v.udpLocal)
                .Text(v.tcpRemote)
                .Text(v.udpRemote)
                .Text(v.description)
                .Int(v.networkType)
                .Bool(v.forwardActivity)
                .End();
  }
  for (const IpReputationEntry& r : m.ipReputation) text += Line("repentry").Int(r.id).Bool(r.action).End();
  for (const IpRule& r : m.ipRules) {
    text += Line("rule").Int(r.id).Text(r.address).OptionalText(r.mac).Int(r.trustLevel).End();
  }
  return text;
}

bool ParseModel(const std::string& text, FirewallModel& model) {
  FirewallModel parsed;  // scalars at their defaults, lists empty
  size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      if (line != kMagic) return false;
      first = false;
      continue;
    }
    if (line.empty()) continue;
    std::vector<std::string> parts = Split(line);
    const std::string tag = parts.front();
    parts.erase(parts.begin());
    Fields fields(std::move(parts));
    if (!ParseRecord(tag, fields, parsed)) return false;
  }
  if (first) return false;
  model = std::move(parsed);
  return true;
}

}  // namespace BxKit
