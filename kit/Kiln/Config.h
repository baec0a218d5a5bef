// The host's configuration file (kiln.ini): which bus library to load, which
// COM servers to register, which machine registry values to set for the run,
// and the modules to load in order with their settings.
//
//   [host]
//   bus = MessageBus.dll
//   register = BxFWConfig.dll
//   [registry]
//   SOFTWARE\Brenix\FirewallKit\StateFile = $(Work)\model.txt
//   [module TarnModule]
//   library = TarnModule.dll
//   initialize = InitializeModuleV2        (or InitializeModule)
//   log_group = Tarn                        (the log group handed to NewModule)
//   set Tarn.IdleUnloadMilliseconds = 2000
//
// Values may use $(Name) variables (ConfigDir, BinDir and those given with
// --var) and %ENV% variables. A line that cannot be read is reported with its
// number and skipped.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Kiln {

enum class InitializeEntry { V2, V1 };

struct ModuleConfig {
  std::wstring name;     // the module name handed to the initialize entry
  std::wstring library;  // relative paths are taken from the host's own folder
  std::wstring secondName;
  std::wstring logGroup;  // empty: NewModule gets none
  InitializeEntry entry = InitializeEntry::V2;
  std::vector<std::pair<std::wstring, std::wstring>> settings;  // in file order
};

// A REG_SZ value under HKEY_LOCAL_MACHINE, set for the run and restored after.
struct RegistryValue {
  std::wstring key;
  std::wstring valueName;
  std::wstring data;
};

struct HostConfig {
  std::wstring busLibrary = L"MessageBus.dll";
  std::vector<std::wstring> comServers;
  std::vector<RegistryValue> registry;
  std::vector<ModuleConfig> modules;
};

struct ConfigProblem {
  unsigned line;
  std::wstring text;
};

using Variables = std::map<std::wstring, std::wstring>;

// Replaces $(Name) by its variable; false (with the unknown name in `unknown`)
// when a name is not defined or a $( is not closed.
bool expandVariables(const std::wstring& text, const Variables& variables, std::wstring& out,
                     std::wstring& unknown);

// Splits "KEY\VALUE = DATA" into a registry value; false when malformed.
bool parseRegistryLine(const std::wstring& left, const std::wstring& data, RegistryValue& out);

// Reads the whole text; every problem is listed and its line skipped.
HostConfig parseConfig(const std::wstring& text, const Variables& variables,
                       std::vector<ConfigProblem>& problems);

}  // namespace Kiln
