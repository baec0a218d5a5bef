// One run of the host: configuration, bus, COM servers, modules, the script
// and the interactive prompt, then the orderly shutdown.
#pragma once

#include <string>
#include <vector>

#include "kit/Kiln/Config.h"
#include "kit/Kiln/Console.h"
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
};

// Reads the command line; false with a message for anything it does not know.
bool parseOptions(int argc, wchar_t** argv, Options& options, std::wstring& error);

const wchar_t* usageText();

// Runs the host; answers the process exit code.
int runHost(const Options& options, Console& console);

// Lines of a UTF-8 (or UTF-16 with a mark) text file; false when it cannot be read.
bool readTextFile(const std::wstring& path, std::wstring& text);

}  // namespace Kiln
