// The host's script language, one command a line ('#' starts a comment):
//   publish NAME [PAYLOAD]              a plain message
//   request NAME [PAYLOAD] TIMEOUT_MS   a request; prints the answer or the timeout
//   direct MODULE NAME [PAYLOAD]        DirectMessage to one loaded module
//   setprop NAME VALUE                  "SETTINGS_MANAGER_SET_PROPERTY" as a request
//   regset KEY\VALUE DATA               an HKLM REG_SZ value for this run
//   wait NAME TIMEOUT_MS                a message of that name since the previous wait
//   waitunload MODULE TIMEOUT_MS        the module has been unloaded
//   unload MODULE                       unload it now, on the host's thread
//   hide PATTERN                        stop printing names matching PATTERN (waits still see them)
//   show [PATTERN]                      print them again (no pattern: print everything)
//   sleep MS | echo TEXT | help | quit
#pragma once

#include <cstdint>
#include <string>

namespace Kiln {

enum class Op {
  Publish,
  Request,
  Direct,
  SetProperty,
  RegSet,
  Wait,
  WaitUnload,
  Unload,
  Hide,
  Show,
  Sleep,
  Echo,
  Help,
  Quit
};

struct Command {
  Op op = Op::Echo;
  std::wstring module;
  std::wstring name;
  std::wstring
      payload;  // also the echo text, the property value, the registry data, the hide or show pattern
  uint32_t milliseconds = 0;
};

enum class ParseOutcome { Empty, Command, Error };

// Longest wait a script may ask for.
constexpr uint32_t kMaxMilliseconds = 600000;

// Reads one line. Empty: blank or comment. Error: `error` says why.
ParseOutcome parseCommand(const std::wstring& line, Command& out, std::wstring& error);

const wchar_t* scriptHelp();

}  // namespace Kiln
