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

TEST(PathSearch, FindsFirstFolderHoldingTheFileWithoutTrailingBackslash) {
  TempFolder temp;
  const std::wstring first = temp.addFolder(L"first");
  const std::wstring second = temp.addFolder(L"second");
  temp.addFile(L"first\\only-first.dll");
  temp.addFile(L"first\\both.dll");
  temp.addFile(L"second\\both.dll");
  temp.addFile(L"second\\only-second.dll");

  Ledra::PathSearch search;
  search.addSearchPaths({first + L"\\", second});
  const LogScope log;
  const struct {
    const wchar_t* file;
    std::wstring folder;
  } cases[] = {{L"only-first.dll", first}, {L"both.dll", first}, {L"only-second.dll", second}};
  for (const auto& c : cases) {
    std::wstring folder = L"unchanged";
    EXPECT_TRUE(search.findFilePath(c.file, folder)) << c.file;
    EXPECT_EQ(folder, c.folder) << c.file;
  }
  EXPECT_TRUE(log.has({L"Normal", L"File found at path " + first + L". Returning success.", L"PathSearch",
                       L"Ledra::PathSearch::findFilePath"}));

  std::wstring folder = L"unchanged";
  EXPECT_FALSE(search.findFilePath(L"nowhere.dll", folder));
  EXPECT_EQ(folder, L"unchanged");
  EXPECT_TRUE(log.has({L"Warning", L"File not found.", L"PathSearch", L"Ledra::PathSearch::findFilePath"}));
}

TEST(PathSearch, DirectoryWithTheFilesNameDoesNotCount) {
  TempFolder temp;
  const std::wstring first = temp.addFolder(L"first");
  const std::wstring second = temp.addFolder(L"second");
  temp.addFolder(L"first\\lib.dll");
  temp.addFile(L"second\\lib.dll");
  Ledra::PathSearch search;
  search.addSearchPaths({first, second});
  std::wstring folder;
  EXPECT_TRUE(search.findFilePath(L"lib.dll", folder));
  EXPECT_EQ(folder, second);
}

// Records every probe; only the paths listed exist.
class ProbingSearch : public Ledra::PathSearch {
 public:
  bool checkIfExists(const std::wstring& path) override {
    probes.push_back(path);
    return path == existing;
  }
  std::wstring existing;
  std::vector<std::wstring> probes;
};

TEST(PathSearch, ProbesFolderBackslashNameInOrderUntilTheFirstHit) {
  ProbingSearch search;
  search.addSearchPaths({L"C:\\a", L"C:\\b\\", L"C:\\c", L"C:\\d"});
  search.existing = L"C:\\c\\x.dll";
  std::wstring folder;
  EXPECT_TRUE(search.findFilePath(L"x.dll", folder));
  EXPECT_EQ(folder, L"C:\\c");
  EXPECT_EQ(search.probes, (std::vector<std::wstring>{L"C:\\a\\x.dll", L"C:\\b\\\\x.dll", L"C:\\c\\x.dll"}));
}

TEST(PathSearch, CheckIfExistsLogsWhatItFinds) {
  TempFolder temp;
  const std::wstring file = temp.addFile(L"present.dll");
  Ledra::PathSearch search;
  const LogScope log;
  EXPECT_TRUE(search.checkIfExists(file));
  EXPECT_TRUE(log.has({L"Normal", L"Entering checkIfExists for " + file}));
  EXPECT_TRUE(log.has({L"Normal", L"File exists", L"PathSearch", L"Ledra::PathSearch::checkIfExists"}));
  EXPECT_FALSE(search.checkIfExists(temp.path() + L"\\absent.dll"));
  EXPECT_TRUE(log.has({L"Warning", L"File does not exist."}));
}

}  // namespace
