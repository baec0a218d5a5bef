#include <gtest/gtest.h>

#include <memory>

#include "tests/support/LogScope.h"
#include "tests/wrappers/TempFolder.h"
#include "wrappers/PathAPI.h"
#include "wrappers/PathSearch.h"

namespace {

using tarn_test::LogScope;
using tarn_test::TempFolder;

TEST(PathApi, TellsFilesFromDirectories) {
  TempFolder temp;
  const std::wstring file = temp.addFile(L"lib.dll");
  const std::wstring folder = temp.addFolder(L"sub");
  Ledra::PathAPI api;
  EXPECT_TRUE(api.fileExists(file));
  EXPECT_FALSE(api.directoryExists(file));
  EXPECT_TRUE(api.directoryExists(folder));
  EXPECT_FALSE(api.fileExists(folder));
  EXPECT_FALSE(api.fileExists(temp.path() + L"\\missing.dll"));
  EXPECT_FALSE(api.directoryExists(temp.path() + L"\\missing"));
  EXPECT_FALSE(api.fileExists(L""));
  EXPECT_FALSE(api.directoryExists(L""));
}

TEST(PathSearch, KeepsFoldersInTheOrderTheyWereAdded) {
  Ledra::PathSearch search;
  search.addSearchPath(L"A");
  search.addSearchPath(static_cast<const wchar_t*>(nullptr));
  search.addSearchPath(std::wstring(L"B"));
  search.addSearchPaths({L"C", L"D"});
  EXPECT_EQ(search.getSearchPaths(), (std::vector<std::wstring>{L"A", L"B", L"C", L"D"}));
}

// Each folder is probed as folder + "\" + name, in order, until the first
// hit, which is answered without a trailing backslash; a directory with the
// file's name does not count. Each step is logged.
TEST(PathSearch, FindsTheFirstFolderHoldingTheFileAndLogsEachProbe) {
  TempFolder temp;
  const std::wstring first = temp.addFolder(L"first");
  const std::wstring second = temp.addFolder(L"second");
  for (const wchar_t* file : {L"first\\only-first.dll", L"first\\both.dll", L"second\\both.dll",
                              L"second\\only-second.dll", L"second\\lib.dll"})
    temp.addFile(file);
  temp.addFolder(L"first\\lib.dll");
  Ledra::PathSearch search;
  search.addSearchPaths({first + L"\\", second});
  const struct {
    const wchar_t* file;
    std::wstring folder;  // empty: not found
  } cases[] = {{L"only-first.dll", first},
               {L"both.dll", first},
               {L"only-second.dll", second},
               {L"lib.dll", second},
               {L"nowhere.dll", L""}};
  const std::wstring entering = L"Entering checkIfExists for ";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const LogScope log;
    std::wstring folder = L"unchanged";
    EXPECT_EQ(search.findFilePath(c.file, folder), !c.folder.empty());
    EXPECT_EQ(folder, c.folder.empty() ? L"unchanged" : c.folder);
    std::vector<std::wstring> probes, expected = {first + L"\\\\" + c.file};
    if (c.folder != first) expected.push_back(second + L"\\" + c.file);
    for (const auto& line : log.lines())
      if (line.severity == L"Normal" && line.message.compare(0, entering.size(), entering) == 0)
        probes.push_back(line.message.substr(entering.size()));
    EXPECT_EQ(probes, expected);
    const size_t found = c.folder.empty() ? 0 : 1;
    EXPECT_EQ(log.count({L"Normal", L"File exists", L"PathSearch", L"Ledra::PathSearch::checkIfExists"}),
              found);
    EXPECT_EQ(log.count({L"Warning", L"File does not exist.", L"PathSearch"}), probes.size() - found);
    EXPECT_TRUE(log.has({L"Normal", L"Entering findFilePath for file " + std::wstring(c.file), L"PathSearch",
                         L"Ledra::PathSearch::findFilePath"}));
    EXPECT_TRUE(log.has(
        found ? tarn_test::LogLine{L"Normal", L"File found at path " + c.folder + L". Returning success.",
                                   L"PathSearch"}
              : tarn_test::LogLine{L"Warning", L"File not found.", L"PathSearch"}));
  }
}

}  // namespace
