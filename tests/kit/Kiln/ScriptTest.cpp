// The script language: each command's fields, payloads with blanks, and the
// lines that must be refused with a reason.
#include <gtest/gtest.h>

#include "kit/Kiln/Script.h"

namespace Kiln {
namespace {

TEST(KilnScript, ReadsEachCommandIntoItsFields) {
  struct Case {
    const wchar_t* line;
    Op op;
    const wchar_t* module;
    const wchar_t* name;
    const wchar_t* payload;
    uint32_t ms;
  };
  const Case cases[] = {
      {L"publish Core.Firewall.ChangeState {\"state\": \"off\"}", Op::Publish, L"",
       L"Core.Firewall.ChangeState", L"{\"state\": \"off\"}", 0},
      {L"publish Core.Firewall.RefreshState", Op::Publish, L"", L"Core.Firewall.RefreshState", L"", 0},
      {L"  request Core.Firewall.GetTrustLevel {\"mac_address\": \"00-1A\"} 1500  ", Op::Request, L"",
       L"Core.Firewall.GetTrustLevel", L"{\"mac_address\": \"00-1A\"}", 1500},
      {L"request Core.Firewall.RefreshState 500", Op::Request, L"", L"Core.Firewall.RefreshState", L"", 500},
      {L"direct TarnModule Core.Firewall.RefreshState {}", Op::Direct, L"TarnModule",
       L"Core.Firewall.RefreshState", L"{}", 0},
      {L"setprop Core.Protection.IgnoreFirewall {\"ignore_firewall\": true}", Op::SetProperty, L"",
       L"Core.Protection.IgnoreFirewall", L"{\"ignore_firewall\": true}", 0},
      {L"regset SOFTWARE\\Brenix\\FirewallKit\\OpenFilePath C:\\Program Files\\a.exe", Op::RegSet, L"",
       L"SOFTWARE\\Brenix\\FirewallKit\\OpenFilePath", L"C:\\Program Files\\a.exe", 0},
      {L"wait Core.Firewall.State 5000", Op::Wait, L"", L"Core.Firewall.State", L"", 5000},
      {L"waitunload TarnModule 60000", Op::WaitUnload, L"TarnModule", L"", L"", 60000},
      {L"unload TarnModule", Op::Unload, L"TarnModule", L"", L"", 0},
      {L"hide SettingsManager\\..*", Op::Hide, L"", L"", L"SettingsManager\\..*", 0},
      {L"show", Op::Show, L"", L"", L"", 0},
      {L"sleep 20", Op::Sleep, L"", L"", L"", 20},
      {L"echo   two  words ", Op::Echo, L"", L"", L"two  words", 0},
      {L"echo", Op::Echo, L"", L"", L"", 0},
      {L"quit", Op::Quit, L"", L"", L"", 0},
  };
  for (const Case& c : cases) {
    Command command;
    std::wstring error;
    ASSERT_EQ(parseCommand(c.line, command, error), ParseOutcome::Command) << c.line << L": " << error;
    EXPECT_EQ(command.op, c.op) << c.line;
    EXPECT_EQ(command.module, c.module) << c.line;
    EXPECT_EQ(command.name, c.name) << c.line;
    EXPECT_EQ(command.payload, c.payload) << c.line;
    EXPECT_EQ(command.milliseconds, c.ms) << c.line;
  }
}

TEST(KilnScript, SkipsBlankLinesAndComments) {
  for (const wchar_t* line : {L"", L"   ", L"# publish X", L"  # note"}) {
    Command command;
    std::wstring error;
    EXPECT_EQ(parseCommand(line, command, error), ParseOutcome::Empty) << line;
  }
}

TEST(KilnScript, RefusesMalformedLinesWithAReason) {
  const wchar_t* lines[] = {
      L"frobnicate now",
      L"publish",
      L"request Core.Firewall.RefreshState {} soon",
      L"request Core.Firewall.RefreshState",
      L"request X {} 600001",
      L"request X {} -1",
      L"wait Core.Firewall.State",
      L"wait Core.Firewall.State 10 extra",
      L"waitunload TarnModule",
      L"unload",
      L"unload A B",
      L"direct TarnModule",
      L"setprop Name",
      L"regset NoBackslash value",
      L"hide",
      L"hide ([unclosed",
      L"sleep",
      L"sleep 1.5",
      L"quit now",
  };
  for (const wchar_t* line : lines) {
    Command command;
    std::wstring error;
    EXPECT_EQ(parseCommand(line, command, error), ParseOutcome::Error) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

}  // namespace
}  // namespace Kiln
