#include "kit/Kiln/Script.h"

#include <regex>

#include "kit/Kiln/Text.h"

namespace Kiln {
namespace {

bool readMilliseconds(const std::wstring& text, uint32_t& out, std::wstring& error) {
  if (parseCount(text, kMaxMilliseconds, out)) return true;
  error = L"expected milliseconds (0.." + std::to_wstring(kMaxMilliseconds) + L"), got \"" + text + L"\"";
  return false;
}

// NAME [PAYLOAD] TIMEOUT_MS
bool readRequest(const std::wstring& arguments, Command& out, std::wstring& error) {
  std::wstring rest;
  out.name = firstWord(arguments, rest);
  if (out.name.empty() || rest.empty()) {
    error = L"usage: request NAME [PAYLOAD] TIMEOUT_MS";
    return false;
  }
  std::wstring payload;
  const std::wstring timeout = lastWord(rest, payload);
  out.payload = payload;
  return readMilliseconds(timeout, out.milliseconds, error);
}

// WORD TIMEOUT_MS
bool readNameAndTime(const std::wstring& arguments, const wchar_t* usage, std::wstring& name, uint32_t& ms,
                     std::wstring& error) {
  std::wstring rest;
  name = firstWord(arguments, rest);
  std::wstring extra;
  const std::wstring time = firstWord(rest, extra);
  if (name.empty() || time.empty() || !extra.empty()) {
    error = usage;
    return false;
  }
  return readMilliseconds(time, ms, error);
}

}  // namespace

ParseOutcome parseCommand(const std::wstring& line, Command& out, std::wstring& error) {
  const std::wstring text = trim(line);
  if (text.empty() || text[0] == L'#') return ParseOutcome::Empty;
  std::wstring arguments;
  const std::wstring verb = firstWord(text, arguments);
  out = Command();
  bool ok = true;
  std::wstring rest;
  if (verb == L"publish") {
    out.op = Op::Publish;
    out.name = firstWord(arguments, out.payload);
    ok = !out.name.empty();
    if (!ok) error = L"usage: publish NAME [PAYLOAD]";
  } else if (verb == L"request") {
    out.op = Op::Request;
    ok = readRequest(arguments, out, error);
  } else if (verb == L"direct") {
    out.op = Op::Direct;
    out.module = firstWord(arguments, rest);
    out.name = firstWord(rest, out.payload);
    ok = !out.module.empty() && !out.name.empty();
    if (!ok) error = L"usage: direct MODULE NAME [PAYLOAD]";
  } else if (verb == L"setprop") {
    out.op = Op::SetProperty;
    out.name = firstWord(arguments, out.payload);
    ok = !out.name.empty() && !out.payload.empty();
    if (!ok) error = L"usage: setprop NAME VALUE";
  } else if (verb == L"regset") {
    out.op = Op::RegSet;
    out.name = firstWord(arguments, out.payload);
    ok = out.name.find(L'\\') != std::wstring::npos;
    if (!ok) error = L"usage: regset KEY\\VALUE DATA";
  } else if (verb == L"wait") {
    out.op = Op::Wait;
    ok = readNameAndTime(arguments, L"usage: wait NAME TIMEOUT_MS", out.name, out.milliseconds, error);
  } else if (verb == L"waitunload") {
    out.op = Op::WaitUnload;
    ok = readNameAndTime(arguments, L"usage: waitunload MODULE TIMEOUT_MS", out.module, out.milliseconds,
                         error);
  } else if (verb == L"unload") {
    out.op = Op::Unload;
    out.module = firstWord(arguments, rest);
    ok = !out.module.empty() && rest.empty();
    if (!ok) error = L"usage: unload MODULE";
  } else if (verb == L"show") {
    out.op = Op::Show;
    out.payload = arguments;
  } else if (verb == L"hide") {
    out.op = Op::Hide;
    out.payload = arguments;
    if (arguments.empty()) {
      ok = false;
      error = L"usage: hide PATTERN";
    } else {
      try {
        std::wregex check(arguments, std::regex_constants::ECMAScript);
      } catch (const std::regex_error&) {
        ok = false;
        error = L"not a valid pattern: " + arguments;
      }
    }
  } else if (verb == L"sleep") {
    out.op = Op::Sleep;
    ok = readMilliseconds(arguments, out.milliseconds, error);
  } else if (verb == L"echo") {
    out.op = Op::Echo;
    out.payload = arguments;
  } else if (verb == L"help" && arguments.empty()) {
    out.op = Op::Help;
  } else if ((verb == L"quit" || verb == L"exit") && arguments.empty()) {
    out.op = Op::Quit;
  } else {
    error = L"unknown command \"" + verb + L"\"";
    ok = false;
  }
  return ok ? ParseOutcome::Command : ParseOutcome::Error;
}

const wchar_t* scriptHelp() {
  return L"commands:\n"
         L"  publish NAME [PAYLOAD]             publish a plain message\n"
         L"  request NAME [PAYLOAD] TIMEOUT_MS  send a request and print its answer\n"
         L"  direct MODULE NAME [PAYLOAD]       deliver a message to one module (DirectMessage)\n"
         L"  setprop NAME VALUE                 write a property through the settings service\n"
         L"  regset KEY\\VALUE DATA              set an HKLM text value for this run\n"
         L"  wait NAME TIMEOUT_MS               wait for a message of that name\n"
         L"  waitunload MODULE TIMEOUT_MS       wait until the module has been unloaded\n"
         L"  unload MODULE                      unload a module now\n"
         L"  hide PATTERN                       stop printing messages whose name matches PATTERN\n"
         L"  show [PATTERN]                     print them again (no pattern: print everything)\n"
         L"  sleep MS | echo TEXT | help | quit";
}

}  // namespace Kiln
