#include "kit/BxFWConfig/ListPayloads.h"

#include <cwchar>

namespace BxKit {
namespace {

// A compact JSON object written member by member.
class JsonObject {
 public:
  JsonObject& Int(const wchar_t* key, long value) { return Raw(key, std::to_wstring(value)); }
  JsonObject& Bool(const wchar_t* key, bool value) { return Raw(key, value ? L"true" : L"false"); }
  JsonObject& Text(const wchar_t* key, const std::wstring& value) { return Raw(key, Quote(value)); }
  JsonObject& Array(const wchar_t* key, const std::wstring& elements) {
    return Raw(key, L"[" + elements + L"]");
  }
  std::wstring End() const { return L"{" + members_ + L"}"; }

 private:
  JsonObject& Raw(const wchar_t* key, const std::wstring& value) {
    if (!members_.empty()) members_ += L',';
    members_ += Quote(key) + L':' + value;
    return *this;
  }
  static std::wstring Quote(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
      switch (c) {
        case L'"':
          out += L"\\\"";
          break;
        case L'\\':
          out += L"\\\\";
          break;
        case L'\n':
          out += L"\\n";
          break;
        case L'\r':
          out += L"\\r";
          break;
        case L'\t':
          out += L"\\t";
          break;
        default:
          if (c < 0x20) {
            wchar_t escaped[8];
            std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += escaped;
          } else {
            out += c;
          }
      }
    }
    return out + L"\"";
  }
  std::wstring members_;
};

template <typename Entry, typename Build>
std::wstring Elements(const std::vector<Entry>& entries, Build build) {
  std::wstring out;
  for (const Entry& entry : entries) {
    if (!out.empty()) out += L',';
    out += build(entry);
  }
  return out;
}

}  // namespace

std::wstring ProgramPermissionsJson(const FirewallModel& model) {
  return JsonObject()
      .Array(L"programs", Elements(model.programs,
                                   [](const ProgramPermission& p) {
                                     return JsonObject()
                                         .Int(L"id", p.id)
                                         .Text(L"file", p.file)
                                         .Int(L"permission", p.permission)
                                         .Int(L"scope", p.scope)
                                         .Int(L"net_guard", p.netGuard)
                                         .End();
                                   }))
      .End();
}

std::wstring IpAddressesJson(const FirewallModel& model) {
  return JsonObject()
      .Array(L"ip_addresses", Elements(model.ipAddresses,
                                       [](const IpAddress& a) {
                                         return JsonObject()
                                             .Int(L"id", a.id)
                                             .Text(L"notes", a.notes)
                                             .Int(L"ip_type", a.ipType)
                                             .Text(L"start", a.start)
                                             .Text(L"end", a.end)
                                             .Int(L"network_type", a.networkType)
                                             .Int(L"expires_in", a.expiresIn)
                                             .End();
                                       }))
      .End();
}

std::wstring SystemServicesJson(const FirewallModel& model) {
  return JsonObject()
      .Array(L"system_services", Elements(model.systemServices,
                                          [](const SystemService& s) {
                                            return JsonObject()
                                                .Int(L"id", s.id)
                                                .Text(L"name", s.name)
                                                .Bool(L"enabled", s.enabled)
                                                .Text(L"category", s.category)
                                                .Text(L"tcp_local", s.tcpLocal)
                                                .Text(L"udp_local", s.udpLocal)
                                                .Text(L"tcp_remote", s.tcpRemote)
                                                .Text(L"udp_remote", s.udpRemote)
                                                .Text(L"description", s.description)
                                                .Int(L"network_type", s.networkType)
                                                .Bool(L"forward_activity", s.forwardActivity)
                                                .End();
                                          }))
      .End();
}

std::wstring IpReputationJson(const FirewallModel& model) {
  return JsonObject()
      .Bool(L"enabled", model.ipReputationEnabled)
      .Array(L"entries", Elements(model.ipReputation,
                                  [](const IpReputationEntry& e) {
                                    return JsonObject().Int(L"id", e.id).Bool(L"action", e.action).End();
                                  }))
      .End();
}

}  // namespace BxKit
