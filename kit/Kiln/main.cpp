// Kiln.exe: the kit's module host.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "kit/Kiln/Console.h"
#include "kit/Kiln/Host.h"
#include "kit/Kiln/Script.h"
#include "kit/Kiln/bridge/Panel.h"

int wmain(int argc, wchar_t** argv) {
  // Lines go out as UTF-8 with plain line ends, the same on every console and pipe.
  _setmode(_fileno(stdout), _O_BINARY);
  Kiln::Console console(stdout);
  Kiln::Options options;
  std::wstring error;
  if (!Kiln::parseOptions(argc, argv, options, error)) {
    console.line(L"kiln: " + error);
    console.line(Kiln::usageText());
    return 2;
  }
  if (options.help) {
    console.line(Kiln::usageText());
    console.line(Kiln::scriptHelp());
    return 0;
  }
  return Kiln::runHost(options, console, &Kiln::makePanel);
}
