#include "save/UndoManifest.h"

#include <gtest/gtest.h>

#include "lib/DateTime.h"
#include "replace/FileReplacer.h"
#include "ReplaceTestSupport.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;
using test::U8;

class UndoTest : public ::testing::Test {
protected:
  // One replace run over files, saving every change.
  void replaceRun(const Text& find, const Text& replace, std::initializer_list<std::string> files) {
    ReplaceSettings settings;
    settings.finds = {find};
    settings.replaces = {replace};
    settings.archiveFile = logs_ + u"VarkoSearchReplaceArchive.varc";
    UndoManifest undoManifest(logs_, clock_);
    FileReplacer replacer(settings, clock_, questions_, FileSystem::real(), &undoManifest);
    for (const std::string& file : files) ASSERT_TRUE(replacer.replaceFile(T(file), false).saved);
    clock_.advanceSeconds(1);
  }

  test::TempDir dir_;
  Text logs_ = T(dir_.mkdir("bin"));
  FakeClock clock_{xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9)};
  test::ScriptedQuestions questions_;
};

TEST_F(UndoTest, EachUndoPutsBackTheLastRunNotYetUndone) {
  const std::string a = dir_.write("a.txt", "cat\n"), b = dir_.write("b.txt", "cat cat\r\n");
  replaceRun(u"cat", u"dog", {a, b});
  replaceRun(u"dog", u"fox", {a});

  TextList report;
  UndoResult first = UndoLastReplace(logs_, report, clock_);
  EXPECT_EQ(first.restored, 1);
  EXPECT_EQ(readFileBytes(a), "dog\n");
  EXPECT_EQ(readFileBytes(b), "dog dog\r\n");

  report.clear();
  UndoResult second = UndoLastReplace(logs_, report, clock_);
  EXPECT_EQ(second.restored, 2);
  EXPECT_EQ(readFileBytes(a), "cat\n");
  EXPECT_EQ(readFileBytes(b), "cat cat\r\n");
  ASSERT_EQ(report.size(), 2u);
  EXPECT_EQ(U8(report[0]).rfind("Restored " + b + " from " + dir_.path() + "b-VarkoSearchReplace-20240305-140709-bak.txt", 0), 0u);

  report.clear();
  EXPECT_FALSE(UndoLastReplace(logs_, report, clock_).foundRun);
}

TEST_F(UndoTest, AFileEditedAfterTheRunIsLeftAsItIs) {
  const std::string a = dir_.write("a.txt", "cat\n"), b = dir_.write("b.txt", "cat\n");
  replaceRun(u"cat", u"dog", {a, b});
  dir_.write("b.txt", "dog and a later edit\n");
  TextList report;
  UndoResult result = UndoLastReplace(logs_, report, clock_);
  EXPECT_EQ(result.restored, 1);
  EXPECT_EQ(result.refused, 1);
  EXPECT_EQ(readFileBytes(a), "cat\n");
  EXPECT_EQ(readFileBytes(b), "dog and a later edit\n");
  EXPECT_EQ(report[0], u"Not restored: " + T(b) + u": changed since the replace; left as it is");
}

}  // namespace
}  // namespace varko
