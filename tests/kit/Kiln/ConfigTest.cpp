// The host configuration file: sections, module settings in order, registry
// values, variables, and lines reported with their numbers.
#include <gtest/gtest.h>

#include "kit/Kiln/Config.h"

namespace Kiln {
namespace {

TEST(KilnConfig, ReadsModulesInOrderWithTheirSettingsAndEntry) {
  const std::wstring text =
      L"# comment\n"
      L"[host]\n"
      L"bus = OtherBus.dll\n"
      L"register = BxFWConfig.dll\n"
      L"register = Second.dll\n"
      L"[module SettingsManager]\n"
      L"set StateFile = $(Work)\\p.json\n"
      L"[module TarnModule]\n"
      L"library = C:\\mods\\TarnModule.dll\n"
      L"initialize = InitializeModule\n"
      L"second_name = extra\n"
      L"set Tarn.IdleUnloadMilliseconds = 1500\n"
      L"set A.B = x = y\n"
      L"[registry]\n"
      L"SOFTWARE\\Brenix\\FirewallKit\\StateFile = $(Work)\\m.txt\n";
  std::vector<ConfigProblem> problems;
  const HostConfig config = parseConfig(text, {{L"Work", L"Z:\\w"}}, problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(config.busLibrary, L"OtherBus.dll");
  EXPECT_EQ(config.comServers, (std::vector<std::wstring>{L"BxFWConfig.dll", L"Second.dll"}));
  ASSERT_EQ(config.modules.size(), 2u);
  EXPECT_EQ(config.modules[0].name, L"SettingsManager");
  EXPECT_EQ(config.modules[0].library, L"SettingsManager.dll");  // the name when no library is given
  EXPECT_EQ(config.modules[0].entry, InitializeEntry::V2);
  ASSERT_EQ(config.modules[0].settings.size(), 1u);
  EXPECT_EQ(config.modules[0].settings[0].first, L"StateFile");
  EXPECT_EQ(config.modules[0].settings[0].second, L"Z:\\w\\p.json");
  const ModuleConfig& tarn = config.modules[1];
  EXPECT_EQ(tarn.library, L"C:\\mods\\TarnModule.dll");
  EXPECT_EQ(tarn.entry, InitializeEntry::V1);
  EXPECT_EQ(tarn.secondName, L"extra");
  ASSERT_EQ(tarn.settings.size(), 2u);
  EXPECT_EQ(tarn.settings[0].first, L"Tarn.IdleUnloadMilliseconds");
  EXPECT_EQ(tarn.settings[0].second, L"1500");
  EXPECT_EQ(tarn.settings[1].first, L"A.B");
  EXPECT_EQ(tarn.settings[1].second, L"x = y");
  ASSERT_EQ(config.registry.size(), 1u);
  EXPECT_EQ(config.registry[0].key, L"SOFTWARE\\Brenix\\FirewallKit");
  EXPECT_EQ(config.registry[0].valueName, L"StateFile");
  EXPECT_EQ(config.registry[0].data, L"Z:\\w\\m.txt");
}

TEST(KilnConfig, ReportsEveryBadLineWithItsNumberAndKeepsTheRest) {
  const std::wstring text =
      L"[host]\n"                           // 1
      L"colour = blue\n"                    // 2 unknown host setting
      L"[module Tarn]\n"                    // 3
      L"set X = $(Missing)\n"               // 4 unknown variable
      L"just words\n"                       // 5 no '='
      L"[nonsense]\n"                       // 6 unknown section
      L"a = b\n"                            // 7 outside a known section
      L"[module Tarn\n"                     // 8 unclosed header
      L"[module Other]\n"                   // 9
      L"initialize = InitializeModuleV3\n"  // 10 unknown entry
      L"set Y = kept\n"                     // 11
      L"[registry]\n"                       // 12
      L"NoKey = 1\n";                       // 13 a value without its key
  std::vector<ConfigProblem> problems;
  const HostConfig config = parseConfig(text, {}, problems);
  std::vector<unsigned> lines;
  for (const ConfigProblem& problem : problems) lines.push_back(problem.line);
  EXPECT_EQ(lines, (std::vector<unsigned>{2, 4, 5, 6, 7, 8, 10, 13}));
  EXPECT_NE(problems[1].text.find(L"Missing"), std::wstring::npos);
  ASSERT_EQ(config.modules.size(), 2u);
  EXPECT_TRUE(config.modules[0].settings.empty());
  ASSERT_EQ(config.modules[1].settings.size(), 1u);
  EXPECT_EQ(config.modules[1].settings[0].second, L"kept");
}

TEST(KilnConfig, ExpandsVariablesAndRefusesUnknownOrUnclosedOnes) {
  struct Case {
    const wchar_t* text;
    bool ok;
    const wchar_t* expanded;
  };
  const Case cases[] = {
      {L"$(A)\\x", true, L"1\\x"}, {L"$(A)$(B)", true, L"12"}, {L"plain", true, L"plain"},
      {L"$(C)", false, L""},       {L"$(A", false, L""},
  };
  for (const Case& c : cases) {
    std::wstring out;
    std::wstring unknown;
    EXPECT_EQ(expandVariables(c.text, {{L"A", L"1"}, {L"B", L"2"}}, out, unknown), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(out, c.expanded) << c.text;
    }
  }
}

}  // namespace
}  // namespace Kiln
