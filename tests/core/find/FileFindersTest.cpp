#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <tuple>

#include "lib/Errors.h"
#include "lib/PosixFile.h"
#include "find/FileFinders.h"
#include "support/TestSupport.h"
#include "support/DeepTree.h"

using namespace varko;
using namespace varko::test;

namespace {

std::vector<std::string> relative(const TextList& list, const std::string& base) {
  std::vector<std::string> out;
  for (const auto& e : list) {
    std::string s = textToPath(e);
    out.push_back(s.rfind(base, 0) == 0 ? s.substr(base.size()) : s);
  }
  return out;
}

using Names = std::vector<std::string>;

class Finders : public ::testing::Test {
protected:
  Finders() : zeq(clock, [this] { ++eventRounds; }) {
    dir.write("README", "x");
    dir.write("b.txt", "x");
    dir.write("A.txt", "x");
    dir.write(".hidden.txt", "x");
    dir.write("notes.txt/inner.txt", "x");
    dir.write(".git/config.txt", "x");
    dir.write("__history/old.txt", "x");
  }
  TempDir dir;
  FakeClock clock;
  int eventRounds = 0;
  TZEQFindFiles zeq;
};

TEST_F(Finders, AdvancedScannerNeedsADotForStarDotStarAndSkipsHiddenFiles) {
  zeq.Paths = {dir.text()};
  zeq.FileMask = {u"*.*"};
  EXPECT_EQ(relative(zeq.SearchForFiles(), dir.path()), (Names{"A.txt", "b.txt"}));
}

TEST_F(Finders, AdvancedScannerEntersHiddenFoldersOnlyWithSearchHistory) {
  zeq.Paths = {dir.text()};
  zeq.FileMask = {u"*.txt"};
  zeq.InSubFolders = true;
  zeq.SearchHistory = false;
  EXPECT_EQ(relative(zeq.SearchForFiles(), dir.path()),
            (Names{"A.txt", "b.txt", "notes.txt/inner.txt", "__history/old.txt"}));
  zeq.SearchHistory = true;
  EXPECT_EQ(relative(zeq.SearchForFiles(), dir.path()),
            (Names{"A.txt", "b.txt", ".git/config.txt", "notes.txt/inner.txt", "__history/old.txt"}));
}

TEST_F(Finders, AdvancedScannerTakesSeveralFoldersAndMasksAndSkipsMissingOnes) {
  zeq.Paths = {u"  ", dir.text() + u"nowhere", dir.text() + u"__history", dir.text()};
  zeq.FileMask = {u"READ*", u"a.*"};
  EXPECT_EQ(relative(zeq.SearchForFiles(), dir.path()), (Names{"A.txt", "README"}));
  EXPECT_EQ(zeq.ProgressFolders(), 2);
  zeq.FileMask = {};
  EXPECT_TRUE(zeq.SearchForFiles().empty());
}

TEST_F(Finders, SortedListsIgnoreLetterCase) {
  zeq.Paths = {dir.text() + u"notes.txt", dir.text()};
  zeq.FileMask = {u"*.txt"};
  zeq.Sorted = true;
  EXPECT_EQ(relative(zeq.SearchForFiles(), dir.path()), (Names{"A.txt", "b.txt", "notes.txt/inner.txt"}));
}

TEST_F(Finders, AnInvalidMaskFailsTheScan) {
  zeq.Paths = {dir.text()};
  zeq.FileMask = {u"*.txt", u"[z"};
  try {
    zeq.SearchForFiles();
    FAIL() << "no failure";
  } catch (const EMaskException& e) {
    EXPECT_EQ(e.text().substr(0, 5), u"'[z' ");
  }
}

TEST_F(Finders, DateSelectionWithEndZeroSelectsNothing) {
  zeq.Paths = {dir.text()};
  zeq.FileMask = {u"*.*"};
  zeq.SelectOnDates = true;
  zeq.SelectStartDate = 0;
  zeq.SelectEndDate = 0;
  EXPECT_TRUE(zeq.SearchForFiles().empty());
  zeq.SelectEndDate = 1e6;
  EXPECT_EQ(zeq.SearchForFiles().size(), 2u);
}

// Every look at the clock costs 0.3 s, so reports come about every fourth entry.
class SteppingClock : public Clock {
public:
  DateTimeValue now() const override { return value += 0.3 * kOneSecond; }
  mutable DateTimeValue value = 45000;
};

TEST(FinderProgress, ProgressIsReportedOnceASecondAndStopKeepsWhatWasFound) {
  TempDir dir;
  for (int i = 0; i < 10; ++i) dir.write("f" + std::to_string(i) + ".txt", "x");
  SteppingClock clock;
  int eventRounds = 0;
  TZEQFindFiles zeq(clock, [&] { ++eventRounds; });
  zeq.Paths = {dir.text()};
  zeq.FileMask = {u"*.txt"};
  std::vector<int64_t> found;
  zeq.OnProgress = [&](int64_t folders, int64_t files, int64_t searchFiles) {
    EXPECT_EQ(folders, 1);
    EXPECT_EQ(files, 1);  // with the default attributes the folders scanned count as files
    found.push_back(searchFiles);
    if (searchFiles >= 4) zeq.ContinueScan = false;
  };
  auto list = zeq.SearchForFiles();
  ASSERT_GE(found.size(), 2u);
  EXPECT_EQ(static_cast<int>(found.size()), eventRounds);
  EXPECT_EQ(static_cast<int64_t>(list.size()), found.back());
  EXPECT_GE(list.size(), 4u);
  EXPECT_LT(list.size(), 10u);
  EXPECT_FALSE(zeq.ContinueScan);
}

TEST_F(Finders, SimpleScannerListsNamesWithoutDotsFoldersAndHiddenFiles) {
  TFindFile finder;
  finder.SetPath(dir.text());
  EXPECT_EQ(finder.Path(), dir.text());
  finder.FileMask = u"*.*";
  EXPECT_EQ(relative(finder.SearchForFiles(), dir.path()),
            (Names{".", "..", ".git", ".hidden.txt", "A.txt", "b.txt", "notes.txt", "README", "__history"}));
  finder.FileMask = u"*.txt";
  finder.InSubFolders = true;
  // Hidden folders are never entered; a folder named like the mask is listed.
  EXPECT_EQ(relative(finder.SearchForFiles(), dir.path()),
            (Names{".hidden.txt", "A.txt", "b.txt", "notes.txt", "notes.txt/inner.txt", "__history/old.txt"}));
}

TEST_F(Finders, SimpleScannerKeepsItsPathWhenGivenAnUnusableOne) {
  TFindFile finder;
  finder.SetPath(dir.text());
  finder.SetPath(u"");
  finder.SetPath(dir.text() + u"missing");
  finder.SetPath(dir.text() + u"README");
  EXPECT_EQ(finder.Path(), dir.text());
  finder.SetPath(dir.text() + u"notes.txt");
  EXPECT_EQ(finder.Path(), dir.text() + u"notes.txt/");
}

TEST_F(Finders, FolderLinksAreListedButNeverEntered) {
  ASSERT_EQ(symlink(dir.path().c_str(), dir.file("__history/loop").c_str()), 0);
  zeq.Paths = {dir.text()};
  zeq.FileMask = {u"*.txt"};
  zeq.InSubFolders = true;
  EXPECT_EQ(zeq.SearchForFiles().size(), 5u);
  TFindFile finder;
  finder.SetPath(dir.text());
  finder.InSubFolders = true;
  finder.FileMask = u"*.txt";
  EXPECT_EQ(finder.SearchForFiles().size(), 6u);
}

// Each scanner, the multi-path one also with its folders listed ahead on another thread.
class ExcludedFolders : public ::testing::TestWithParam<int> {};

TEST_P(ExcludedFolders, AreNotEnteredAtAnyDepthAndAreCounted) {
  TempDir dir;
  dir.write("node_modules/a.txt", "x");  // the start folder keeps its name's files
  dir.write("node_modules/src/b.txt", "x");
  dir.write("node_modules/src/NODE_MODULES/c.txt", "x");
  dir.write("node_modules/build/d.txt", "x");
  dir.write("node_modules/builder/e.txt", "x");
  const TextList excluded = {u"node_modules", u"build"};
  const Text start = dir.text() + u"node_modules";
  std::vector<std::pair<std::string, SkipReason>> skipped;
  auto onSkipped = [&](Text&& path, SkipReason reason) { skipped.emplace_back(textToPath(path), reason); };
  Names found;
  int64_t count = 0;
  FakeClock clock;
  if (GetParam() == 0) {
    TFindFile finder;
    finder.SetPath(start);
    finder.FileMask = u"*.txt";
    finder.InSubFolders = true;
    finder.ExcludedFolders = excluded;
    finder.OnSkipped = onSkipped;
    found = relative(finder.SearchForFiles(), dir.path() + "node_modules/");
    count = finder.ExcludedCount();
  } else {
    TZEQFindFiles zeq(clock, nullptr);
    zeq.Paths = {start};
    zeq.FileMask = {u"*.txt"};
    zeq.InSubFolders = true;
    zeq.ListAhead = GetParam() == 2;
    zeq.ExcludedFolders = excluded;
    zeq.OnSkipped = onSkipped;
    found = relative(zeq.SearchForFiles(), dir.path() + "node_modules/");
    count = zeq.ExcludedCount();
  }
  EXPECT_EQ(found, (Names{"a.txt", "builder/e.txt", "src/b.txt"}));
  EXPECT_EQ(count, 2);
  std::vector<std::pair<std::string, SkipReason>> expected = {
      {dir.path() + "node_modules/build/", SkipReason::ExcludedFolder},
      {dir.path() + "node_modules/src/NODE_MODULES/", SkipReason::ExcludedFolder}};
  EXPECT_EQ(skipped, expected);
}

INSTANTIATE_TEST_SUITE_P(scanners, ExcludedFolders, ::testing::Values(0, 1, 2),
                         [](const auto& info) {
                           return std::string(info.param == 0 ? "simple" : info.param == 1 ? "multi_path" : "listed_ahead");
                         });

using Skips = std::vector<std::tuple<std::string, SkipReason, std::string>>;

// A folder taken away while a scanner is on it is reported with the system's text, not listed as
// empty. The excluded folder is met just before it: the moment to take it away.
class RemovedFolder : public ::testing::TestWithParam<bool> {};

TEST_P(RemovedFolder, IsReportedUnreadableWithTheSystemText) {
  TempDir dir;
  dir.mkdir("a_excluded");
  dir.write("b/x.txt", "x");
  dir.write("c.txt", "x");
  Skips skipped;
  auto onSkipped = [&](Text&& path, SkipReason reason, Text&& detail) {
    skipped.emplace_back(textToPath(path), reason, U8(detail));
    if (reason == SkipReason::ExcludedFolder) std::filesystem::remove_all(dir.file("b"));
  };
  FakeClock clock;
  TFindFile simple;
  TZEQFindFiles zeq(clock, nullptr);
  const TextList* found = nullptr;
  if (GetParam()) {
    zeq.Paths = {dir.text()};
    zeq.FileMask = {u"*.txt"};
    zeq.InSubFolders = true;
    zeq.ExcludedFolders = {u"a_excluded"};
    zeq.OnSkipped = onSkipped;
    found = &zeq.SearchForFiles();
  } else {
    simple.SetPath(dir.text());
    simple.FileMask = u"*.txt";
    simple.InSubFolders = true;
    simple.ExcludedFolders = {u"a_excluded"};
    simple.OnSkipped = onSkipped;
    found = &simple.SearchForFiles();
  }
  EXPECT_EQ(relative(*found, dir.path()), (Names{"c.txt"}));
  EXPECT_EQ(skipped, (Skips{{dir.file("a_excluded/"), SkipReason::ExcludedFolder, ""},
                            {dir.file("b/"), SkipReason::Unreadable, "No such file or directory"}}));
}

INSTANTIATE_TEST_SUITE_P(scanners, RemovedFolder, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "multi_path" : "simple"); });

TEST_F(Finders, AnEntryThatCannotBeLookedAtIsUnreadableAndADanglingLinkASpecialFile) {
  ASSERT_EQ(symlink("loop.txt", dir.file("loop.txt").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", dir.file("dangling.txt").c_str()), 0);
  zeq.Paths = {dir.text()};
  zeq.FileMask = {u"*.txt"};
  Skips skipped;
  zeq.OnSkipped = [&](Text&& path, SkipReason reason, Text&& detail) {
    skipped.emplace_back(textToPath(path), reason, U8(detail));
  };
  zeq.SearchForFiles();
  EXPECT_EQ(skipped, (Skips{{dir.file("dangling.txt"), SkipReason::SpecialFile, ""},
                            {dir.file("loop.txt"), SkipReason::Unreadable, "Too many levels of symbolic links"}}));
}

TEST(Directory, AFolderRemovedAfterItWasOpenedListsWithItsError) {
  TempDir dir;
  dir.mkdir("gone");
  int fd = openFolder(dir.text() + u"gone/");
  ASSERT_GE(fd, 0);
  ASSERT_EQ(rmdir(dir.file("gone").c_str()), 0);
  int error = 0;
  EXPECT_TRUE(listDirectoryFd(fd, false, &error).empty());
  ::close(fd);
  EXPECT_EQ(error, ENOENT);
  EXPECT_TRUE(xcListDirectory(dir.text() + u"gone/", false, &error).empty());
  EXPECT_EQ(error, ENOENT);
}

TEST(Directory, PathsPastTheSystemLimitAreOpenedAndLookedAtInPieces) {
  TempDir dir;
  const std::string path = makeDeepFile(dir.path(), 400);  // 400 x 11 bytes: past the limit
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), -1);
  ASSERT_EQ(errno, ENAMETOOLONG);
  ASSERT_EQ(xcStatPath(path, st), 0);
  EXPECT_EQ(st.st_size, 7);
  FileDescriptor file(xcOpenPath(path, O_RDONLY | O_CLOEXEC));
  char bytes[8];
  EXPECT_EQ(::read(file.get(), bytes, sizeof bytes), 7);
  EXPECT_EQ(xcOpenPath(path + "x", O_RDONLY | O_CLOEXEC), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
