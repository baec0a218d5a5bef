// One run of the host: configuration, bus, COM servers, modules, the script
// and the interactive prompt, then the orderly shutdown.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "include/BusLibrary.h"
#include "kit/Kiln/Config.h"
#include "kit/Kiln/Console.h"
#include "kit/Kiln/Modules.h"
#include "kit/Kiln/Script.h"

namespace Kiln {

struct Options {
  std::wstring configPath;  // empty: kiln.ini beside the script, else beside the host
  std::wstring scriptPath;
  Variables variables;  // --var NAME=VALUE
  std::vector<std::wstring> hidden;
  bool interactive = false;
  bool showSenders = true;
  bool help = false;
  std::wstring panelAddress;   // --panel 127.0.0.1:PORT; empty: no panel
  std::wstring panelFiles;     // empty: the panel folder beside Kiln.exe
  std::wstring cataloguePath;  // empty: catalogue\requests.json beside the host's bin folder
};

// What an add-on such as the panel may do with the running host.
class HostControl {
 public:
  virtual ~HostControl() = default;
  // The modules of the configuration, in load order.
  virtual std::vector<std::wstring> configuredModules() const = 0;
  // Loads a configured module that is not running; false when there is none.
  virtual bool loadModule(const std::wstring& name) = 0;
  // Unloads a running module on the calling thread; false when there is none.
  virtual bool unloadModule(const std::wstring& name, const wchar_t* reason) = 0;
};

// Made once the bus is open and before the modules load; destroyed before
// they are unloaded at exit. It hears of every module that starts or ends.
class HostAddOn {
 public:
  virtual ~HostAddOn() = default;
  virtual void moduleChanged(const ModuleEvent& event) = 0;
};

struct AddOnContext {
  const Options& options;
  const std::wstring& binFolder;
  const Ledra::BusFunctions* bus;
  HostControl& control;
  HostOutput& output;
};

// Answers the add-on, or null with a one-line reason when it cannot start.
using AddOnFactory = std::function<std::unique_ptr<HostAddOn>(const AddOnContext&, std::wstring& error)>;

// Reads the command line; false with a message for anything it does not know.
bool parseOptions(int argc, wchar_t** argv, Options& options, std::wstring& error);

const wchar_t* usageText();

// Runs the host; answers the process exit code. With a panel address the
// add-on is made, and the host serves until interrupted once the script (if
// any) has run, unless the prompt is there to end it.
int runHost(const Options& options, Console& console, const AddOnFactory& addOn = AddOnFactory());

// Lines of a UTF-8 (or UTF-16 with a mark) text file; false when it cannot be read.
bool readTextFile(const std::wstring& path, std::wstring& text);

}  // namespace Kiln
