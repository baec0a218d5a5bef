#include "Logging/LogBuilder.h"

#include "Logging/ETWLogging.h"
#include "Logging/FileLogging.h"
#include "wrappers/ObfuscatedRegKey.h"

namespace ETWLogging {

CDefaultLogBuilder::Backend CDefaultLogBuilder::choose(uint32_t mechanism) const noexcept {
  if (mechanism == 1) return Backend::File;
  Basalt::CObfuscatedRegKey key;
  if (key.open(registryKey_) != ERROR_SUCCESS) return Backend::Etw;
  DWORD configured = 0;
  if (key.readDword(L"Logging Mechanism", configured) == ERROR_SUCCESS && configured == 1)
    return Backend::File;
  return Backend::Etw;
}

std::shared_ptr<CLoggingIf> CDefaultLogBuilder::build(const LoggingIdentity& identity) const noexcept {
  try {
    const wchar_t* group = identity.group.c_str();
    // An empty host in the identity means none: file names then carry no host part.
    const wchar_t* host = identity.host.empty() ? nullptr : identity.host.c_str();
    if (choose(identity.mechanism) == Backend::File) {
      auto file = std::make_shared<CLogging>();
      if (file->initialize(group, identity.module, host) != 0) return nullptr;
      return file;
    }
    auto etw = std::make_shared<CETWLogging>(nullptr, registryKey_);
    if (etw->initializeEx(identity.value, group, identity.module, host) != 0) return nullptr;
    return etw;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace ETWLogging
