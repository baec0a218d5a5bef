#include "kit/BxFWConfig/EntryArguments.h"

#include <climits>

#include "kit/BxFWConfig/Arguments.h"
#include "kit/BxFWConfig/ResultCodes.h"

namespace BxKit {
namespace {

long ReadPortList(const VARIANT& value, std::wstring& out) {
  const long code = ReadText(value, out);
  if (code != kResultOk) return code;
  return IsPortList(out) ? kResultOk : kResultOutOfRange;
}

// A single address takes no end or its own start as end; a range takes an end
// of the same family.
long CheckAddresses(const IpAddress& a) {
  const bool v4 = IsIpv4Address(a.start);
  if (!v4 && !IsIpv6Address(a.start)) return kResultOutOfRange;
  if (a.ipType == 0) return a.end.empty() || a.end == a.start ? kResultOk : kResultOutOfRange;
  return (v4 ? IsIpv4Address(a.end) : IsIpv6Address(a.end)) ? kResultOk : kResultOutOfRange;
}

}  // namespace

long FirstFailure(std::initializer_list<long> codes) {
  for (long code : codes) {
    if (code != kResultOk) return code;
  }
  return kResultOk;
}

long ReadProgramPermission(const VARIANT& file, const VARIANT& permission, const VARIANT& scope,
                           const VARIANT& netGuard, ProgramPermission& out) {
  ProgramPermission read;
  const long code =
      FirstFailure({ReadText(file, read.file), ReadIntIn(permission, 0, 2, read.permission),
                    ReadIntIn(scope, 0, 2, read.scope), ReadIntIn(netGuard, 0, 1, read.netGuard)});
  if (code != kResultOk) return code;
  if (read.file.empty()) return kResultOutOfRange;
  read.id = out.id;
  out = read;
  return kResultOk;
}

long ReadIpAddress(const VARIANT& notes, const VARIANT& ipType, const VARIANT& start, const VARIANT& end,
                   const VARIANT& networkType, const VARIANT& expiresIn, IpAddress& out) {
  IpAddress read;
  const long code = FirstFailure({ReadText(notes, read.notes), ReadIntIn(ipType, 0, 1, read.ipType),
                                  ReadText(start, read.start), ReadText(end, read.end),
                                  ReadIntIn(networkType, 0, 2, read.networkType),
                                  ReadIntIn(expiresIn, 0, LONG_MAX, read.expiresIn)});
  if (code != kResultOk) return code;
  const long addresses = CheckAddresses(read);
  if (addresses != kResultOk) return addresses;
  read.id = out.id;
  out = read;
  return kResultOk;
}

long ReadSystemService(const VARIANT* const (&a)[10], SystemService& out) {
  SystemService read;
  const long code =
      FirstFailure({ReadText(*a[0], read.name), ReadBool(*a[1], read.enabled), ReadText(*a[2], read.category),
                    ReadPortList(*a[3], read.tcpLocal), ReadPortList(*a[4], read.udpLocal),
                    ReadPortList(*a[5], read.tcpRemote), ReadPortList(*a[6], read.udpRemote),
                    ReadText(*a[7], read.description), ReadIntIn(*a[8], 0, 1, read.networkType),
                    ReadBool(*a[9], read.forwardActivity)});
  if (code != kResultOk) return code;
  if (read.name.empty()) return kResultOutOfRange;
  read.id = out.id;
  out = read;
  return kResultOk;
}

}  // namespace BxKit
