#include "kit/Kiln/Host.h"

#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>

#include "include/ModuleStatus.h"
#include "kit/Kiln/HostBus.h"
#include "kit/Kiln/Modules.h"
#include "kit/Kiln/Registry.h"
#include "kit/Kiln/StatusText.h"
#include "kit/Kiln/Text.h"
#include "kit/Kiln/Traffic.h"

namespace Kiln {
namespace {

constexpr wchar_t kSetProperty[] = L"SETTINGS_MANAGER_SET_PROPERTY";
constexpr uint32_t kSetPropertyTimeoutMs = 5000;

std::wstring folderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring hostFolder() {
  wchar_t path[MAX_PATH * 2];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return folderOf(std::wstring(path, length));
}

// Ctrl-C, Ctrl-Break or the console closing ends a host that serves the panel.
std::mutex interruptMutex;
std::condition_variable interruptSignal;
bool interruptSeen = false;

BOOL WINAPI onConsoleControl(DWORD /*event*/) {
  {
    std::lock_guard<std::mutex> lock(interruptMutex);
    interruptSeen = true;
  }
  interruptSignal.notify_all();
  return TRUE;
}

void waitForInterrupt() {
  ::SetConsoleCtrlHandler(&onConsoleControl, TRUE);
  std::unique_lock<std::mutex> lock(interruptMutex);
  interruptSignal.wait(lock, [] { return interruptSeen; });
}

bool fileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class Session : public HostControl {
 public:
  Session(const Options& options, Console& console, const std::wstring& binFolder, const AddOnFactory& addOn)
      : options_(options),
        console_(console),
        traffic_(console, options.showSenders),
        bus_(traffic_),
        output_(console, bus_),
        binFolder_(binFolder),
        addOnFactory_(addOn) {}

  int run(const HostConfig& config);

  std::vector<std::wstring> configuredModules() const override;
  bool loadModule(const std::wstring& name) override;
  bool unloadModule(const std::wstring& name, const wchar_t* reason) override;

 private:
  // Unloads everything, closes the bus and restores the registry.
  int finish(int exitCode);
  // False when the run should end (quit).
  bool execute(const Command& command);
  void runScript(const std::wstring& text);
  void runPrompt();
  void printAnswer(const std::wstring& name, uint32_t timeoutMs, const RequestOutcome& outcome);

  const Options& options_;
  Console& console_;
  Traffic traffic_;
  HostBus bus_;
  HostOutput output_;
  RegistrySeams seams_;
  std::wstring binFolder_;
  const AddOnFactory& addOnFactory_;
  const HostConfig* config_ = nullptr;
  std::unique_ptr<Modules> modules_;
  std::mutex addOnMutex_;  // the add-on, which module events reach from host threads
  std::unique_ptr<HostAddOn> addOn_;
};

std::vector<std::wstring> Session::configuredModules() const {
  std::vector<std::wstring> names;
  for (const ModuleConfig& module : config_->modules) names.push_back(module.name);
  return names;
}

bool Session::loadModule(const std::wstring& name) {
  for (const ModuleConfig& module : config_->modules) {
    if (module.name == name) return modules_->load(module);
  }
  return false;
}

bool Session::unloadModule(const std::wstring& name, const wchar_t* reason) {
  return modules_->unload(name, reason);
}

int Session::run(const HostConfig& config) {
  for (const RegistryValue& value : config.registry) {
    long error = 0;
    const std::wstring where = L"HKLM\\" + value.key + L"\\" + value.valueName;
    if (seams_.set(value, error)) {
      console_.line(L"host: set " + where);
    } else {
      console_.line(L"host: cannot set " + where + L": error " + std::to_wstring(error));
    }
  }
  const std::wstring busPath = config.busLibrary.find(L'\\') == std::wstring::npos
                                   ? binFolder_ + L"\\" + config.busLibrary
                                   : config.busLibrary;
  std::wstring failure;
  uint32_t status = bus_.open(busPath, failure);
  if (status == Ledra::MODULE_STATUS_SUCCESS) status = bus_.subscribeAll();
  if (status != Ledra::MODULE_STATUS_SUCCESS) {
    console_.line(L"host: cannot open the bus " + config.busLibrary + L": " + failure + L" " +
                  statusText(status));
    return 1;
  }
  for (const std::wstring& pattern : options_.hidden) traffic_.hide(pattern);
  output_.line(L"host: bus ready (" + config.busLibrary + L")");

  for (const std::wstring& server : config.comServers) {
    const std::wstring path = server.find(L'\\') == std::wstring::npos ? binFolder_ + L"\\" + server : server;
    const long hr = registerComServer(path);
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    output_.line(hr == S_OK ? L"host: registered " + server
                            : L"host: cannot register " + server + L": " + code);
  }

  config_ = &config;
  modules_.reset(new Modules(output_, bus_, binFolder_));
  const bool panel = !options_.panelAddress.empty() && addOnFactory_;
  if (!options_.panelAddress.empty() && !addOnFactory_) output_.line(L"kiln: this host has no panel");
  if (panel) {
    modules_->setObserver([this](const ModuleEvent& event) {
      std::lock_guard<std::mutex> lock(addOnMutex_);
      if (addOn_) addOn_->moduleChanged(event);
    });
    std::wstring error;
    std::unique_ptr<HostAddOn> addOn =
        addOnFactory_(AddOnContext{options_, binFolder_, bus_.functions(), *this, output_}, error);
    if (!addOn) {
      output_.line(L"kiln: no panel: " + error);
      return finish(1);
    }
    std::lock_guard<std::mutex> lock(addOnMutex_);
    addOn_ = std::move(addOn);
  }
  for (const ModuleConfig& module : config.modules) modules_->load(module);

  if (!options_.scriptPath.empty()) {
    std::wstring text;
    if (readTextFile(options_.scriptPath, text)) {
      runScript(text);
    } else {
      output_.line(L"kiln: cannot read the script " + options_.scriptPath);
    }
  }
  if (options_.interactive) runPrompt();
  if (panel && !options_.interactive) {
    output_.line(L"host: serving the panel until interrupted (Ctrl-C)");
    waitForInterrupt();
  }
  return finish(0);
}

int Session::finish(int exitCode) {
  // Taken out under the lock, so that no module event reaches it while it ends.
  std::unique_ptr<HostAddOn> addOn;
  {
    std::lock_guard<std::mutex> lock(addOnMutex_);
    addOn = std::move(addOn_);
  }
  addOn.reset();
  modules_->unloadAll();
  output_.line(L"host: done");
  modules_.reset();
  bus_.close();
  seams_.restore();
  return exitCode;
}

void Session::runScript(const std::wstring& text) {
  std::wistringstream lines(text);
  std::wstring line;
  unsigned number = 0;
  while (std::getline(lines, line)) {
    ++number;
    Command command;
    std::wstring error;
    const ParseOutcome outcome = parseCommand(line, command, error);
    if (outcome == ParseOutcome::Error) {
      output_.line(L"kiln: script line " + std::to_wstring(number) + L": " + error);
    } else if (outcome == ParseOutcome::Command && !execute(command)) {
      return;
    }
  }
}

void Session::runPrompt() {
  console_.line(L"kiln: interactive; type help for the commands, quit to end");
  char buffer[8192];
  for (;;) {
    console_.prompt(L"kiln> ");
    if (!std::fgets(buffer, sizeof(buffer), stdin)) return;
    Command command;
    std::wstring error;
    const ParseOutcome outcome = parseCommand(fromUtf8(buffer), command, error);
    if (outcome == ParseOutcome::Error) {
      console_.line(L"kiln: " + error);
    } else if (outcome == ParseOutcome::Command && !execute(command)) {
      return;
    }
  }
}

void Session::printAnswer(const std::wstring& name, uint32_t timeoutMs, const RequestOutcome& outcome) {
  if (outcome.sendStatus != Ledra::MODULE_STATUS_SUCCESS) {
    output_.line(L"answer: none to " + name + L": the bus refused the request, " +
                 statusText(outcome.sendStatus));
  } else if (!outcome.answered) {
    output_.line(L"answer: none to " + name + L": the bus never called back");
  } else if (outcome.replyStatus != Ledra::MODULE_STATUS_SUCCESS) {
    output_.line(L"answer: none to " + name + L" within " + std::to_wstring(timeoutMs) + L" ms, " +
                 statusText(outcome.replyStatus));
  } else if (!outcome.answerPrinted) {
    output_.line(formatLine(L"answer:", traffic_.reply(), options_.showSenders));
  }
}

bool Session::execute(const Command& command) {
  switch (command.op) {
    case Op::Publish: {
      const uint32_t status = bus_.publish(command.name, command.payload);
      if (status != Ledra::MODULE_STATUS_SUCCESS) {
        output_.line(L"kiln: publish " + command.name + L" failed, " + statusText(status));
      }
      break;
    }
    case Op::Request:
      printAnswer(command.name, command.milliseconds,
                  bus_.request(command.name, command.payload, command.milliseconds));
      break;
    case Op::SetProperty: {
      const std::wstring payload = L"{\"name\":" + jsonQuote(command.name) + L",\"value\":" +
                                   jsonQuote(command.payload) + L",\"volatile\":false}";
      printAnswer(kSetProperty, kSetPropertyTimeoutMs,
                  bus_.request(kSetProperty, payload, kSetPropertyTimeoutMs));
      break;
    }
    case Op::Direct: {
      output_.line(L"host: DirectMessage to " + command.module + L": " + command.name + L": " +
                   (command.payload.empty() ? L"(empty)" : oneLine(command.payload)));
      uint32_t status = 0;
      if (!modules_->direct(command.module, command.name, command.payload, status)) {
        output_.line(L"kiln: direct: no running module " + command.module);
      } else if (status != Ledra::MODULE_STATUS_SUCCESS) {
        output_.line(L"host: DirectMessage answered " + statusText(status));
      }
      break;
    }
    case Op::RegSet: {
      RegistryValue value;
      long error = 0;
      if (!parseRegistryLine(command.name, command.payload, value) || !seams_.set(value, error)) {
        output_.line(L"kiln: cannot set HKLM\\" + command.name + L": error " + std::to_wstring(error));
      } else {
        output_.line(L"host: set HKLM\\" + command.name + L" = " + command.payload);
      }
      break;
    }
    case Op::Wait:
      if (!traffic_.waitFor(command.name, command.milliseconds)) {
        output_.line(L"kiln: no " + command.name + L" within " + std::to_wstring(command.milliseconds) +
                     L" ms");
      }
      break;
    case Op::WaitUnload:
      if (!modules_->waitUnloaded(command.module, command.milliseconds)) {
        output_.line(L"kiln: " + command.module + L" still loaded after " +
                     std::to_wstring(command.milliseconds) + L" ms");
      }
      break;
    case Op::Unload:
      if (!modules_->unload(command.module, L"unload command")) {
        output_.line(L"kiln: unload: no running module " + command.module);
      }
      break;
    case Op::Hide:
      traffic_.hide(command.payload);
      break;
    case Op::Show:
      traffic_.show(command.payload);
      break;
    case Op::Sleep:
      ::Sleep(command.milliseconds);
      break;
    case Op::Echo:
      output_.line(command.payload);
      break;
    case Op::Help:
      console_.line(scriptHelp());
      break;
    case Op::Quit:
      return false;
  }
  return true;
}

}  // namespace

bool readTextFile(const std::wstring& path, std::wstring& text) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) return false;
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
    return true;
  }
  const size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  text = fromUtf8(bytes.substr(skip));
  return true;
}

const wchar_t* usageText() {
  return L"usage: Kiln.exe [--config FILE] [--var NAME=VALUE]... [--quiet-senders] [--hide PATTERN]... [-i]\n"
         L"                [--panel 127.0.0.1:PORT [--panel-files DIR] [--catalogue FILE]] [SCRIPT]\n"
         L"  --config FILE     host configuration (default: kiln.ini beside SCRIPT, else beside Kiln.exe)\n"
         L"  --var NAME=VALUE  defines $(NAME) for the configuration\n"
         L"  --quiet-senders   leaves the sender out of printed messages\n"
         L"  --hide PATTERN    does not print messages whose name matches PATTERN\n"
         L"  -i                interactive prompt (after SCRIPT, if one is given)\n"
         L"  --panel 127.0.0.1:PORT  serves the browser panel and its bus bridge (PORT 0: a free port);\n"
         L"                    the host then runs until interrupted, or until quit with -i\n"
         L"  --panel-files DIR the panel's page (default: the panel folder beside Kiln.exe)\n"
         L"  --catalogue FILE  the request catalogue (default: ..\\catalogue\\requests.json from Kiln.exe's "
         L"folder)";
}

bool parseOptions(int argc, wchar_t** argv, Options& options, std::wstring& error) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == L"--config" && hasValue) {
      options.configPath = argv[++i];
    } else if (argument == L"--var" && hasValue) {
      const std::wstring definition = argv[++i];
      const size_t equals = definition.find(L'=');
      if (equals == std::wstring::npos || equals == 0) {
        error = L"--var needs NAME=VALUE, got " + definition;
        return false;
      }
      options.variables[definition.substr(0, equals)] = definition.substr(equals + 1);
    } else if (argument == L"--hide" && hasValue) {
      Command check;
      if (parseCommand(L"hide " + std::wstring(argv[i + 1]), check, error) != ParseOutcome::Command)
        return false;
      options.hidden.push_back(argv[++i]);
    } else if (argument == L"--panel" && hasValue) {
      const std::wstring address = argv[++i];
      const std::wstring loopback = L"127.0.0.1:";
      uint32_t port = 0;
      if (address.compare(0, loopback.size(), loopback) != 0 ||
          !parseCount(address.substr(loopback.size()), 65535, port)) {
        error = L"--panel needs 127.0.0.1:PORT (the panel serves this machine only), got " + address;
        return false;
      }
      options.panelAddress = address;
    } else if (argument == L"--panel-files" && hasValue) {
      options.panelFiles = argv[++i];
    } else if (argument == L"--catalogue" && hasValue) {
      options.cataloguePath = argv[++i];
    } else if (argument == L"--help" || argument == L"-h") {
      options.help = true;
    } else if (argument == L"--quiet-senders") {
      options.showSenders = false;
    } else if (argument == L"-i") {
      options.interactive = true;
    } else if (!argument.empty() && argument[0] != L'-' && options.scriptPath.empty()) {
      options.scriptPath = argument;
    } else {
      error = L"unknown or incomplete option " + argument;
      return false;
    }
  }
  return true;
}

int runHost(const Options& options, Console& console, const AddOnFactory& addOn) {
  const std::wstring binFolder = hostFolder();
  std::wstring configPath = options.configPath;
  if (configPath.empty()) {
    const std::wstring beside =
        folderOf(options.scriptPath.empty() ? binFolder + L"\\x" : options.scriptPath);
    configPath = beside + L"\\kiln.ini";
  }
  HostConfig config;
  std::wstring text;
  if (readTextFile(configPath, text) && fileExists(configPath)) {
    Variables variables = options.variables;
    variables[L"ConfigDir"] = folderOf(configPath);
    variables[L"BinDir"] = binFolder;
    std::vector<ConfigProblem> problems;
    config = parseConfig(text, variables, problems);
    for (const ConfigProblem& problem : problems) {
      console.line(L"kiln: configuration line " + std::to_wstring(problem.line) + L": " + problem.text);
    }
  } else if (!options.configPath.empty()) {
    console.line(L"kiln: cannot read the configuration " + configPath);
    return 2;
  } else {
    console.line(L"kiln: no kiln.ini found; running the bus without modules");
  }
  Session session(options, console, binFolder, addOn);
  return session.run(config);
}

}  // namespace Kiln
