#include "replace/FileReplacer.h"

#include <gtest/gtest.h>

#include "lib/DateTime.h"
#include "lib/Library.h"
#include "ReplaceTestSupport.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;
using test::U8;

class FileReplacerTest : public ::testing::Test {
protected:
  FileReplaceResult run(const std::string& file, bool lineQuery = false) {
    FileReplacer replacer(settings_, clock_, questions_);
    return replacer.replaceFile(T(file), lineQuery);
  }
  ReplaceSettings pairs(TextList finds, TextList replaces) {
    ReplaceSettings s;
    s.finds = std::move(finds);
    s.replaces = std::move(replaces);
    s.archiveFile = dir_.text() + u"VarkoSearchReplaceArchive.varc";
    s.settingsFile = dir_.text() + u"Varko64.INI";
    return s;
  }

  test::TempDir dir_;
  FakeClock clock_{xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9)};
  test::ScriptedQuestions questions_;
  ReplaceSettings settings_ = pairs({u"cat"}, {u"dog"});
};

TEST_F(FileReplacerTest, PairsApplyInOrderEachOnTheResultOfTheOnesBefore) {
  settings_ = pairs({u"cat", u"", u"dog"}, {u"dog", u"x", u"fox"});
  const std::string file = dir_.write("a.txt", "cat\n");
  FileReplaceResult result = run(file);
  EXPECT_TRUE(result.saved);
  EXPECT_EQ(result.replacedCount, 2);
  EXPECT_EQ(readFileBytes(file), "fox\n");
}

TEST_F(FileReplacerTest, ALargeFileLetsTheWindowsLiveWhileItsLinesAreWorkedOn) {
  settings_ = pairs({u"cat"}, {u"dog"});
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "a cat line\n";
  const std::string file = dir_.write("big.txt", text);
  EXPECT_EQ(run(file).replacedCount, 10000);
  EXPECT_EQ(questions_.workingCalls, 2);  // every 4096 lines
}

TEST_F(FileReplacerTest, ConfirmationLogRowsChangeLogAndSavedMessageAreAsShown) {
  settings_.changeLogFile = dir_.text() + u"Varko-SearchReplace.log";
  const std::string file = dir_.write("a.txt", "x\ncat cat\n");
  questions_.beforeDecision = [&](const FileChanges& changes) {
    const Text p = T(file);
    const std::vector<ReplaceLogRow> rows = {
        {u"", u"Filename: " + p}, {u"", u"Temp File: " + changes.names.temporary},
        {u"", u"Backup File: " + changes.names.backup}, {u"", u"Archive File: " + settings_.archiveFile},
        {}, {}, {u"1", u"cat cat"}, {u"1->", u"dog dog"}, {}};
    EXPECT_EQ(replaceLogRows(changes), rows);
    EXPECT_EQ(changeLogLines(changes), (TextList{Text(35, u'_'), u"05-Mar-24 Search/Replace " + p, u"1:cat cat",
                                           u"1:dog dog", u""}));
  };
  FileReplaceResult result = run(file, true);
  ASSERT_EQ(questions_.lineBoxes.size(), 1u);
  EXPECT_EQ(U8(questions_.lineBoxes[0]),
            "File:" + file + "\r\n\r\nYes to all/No to all - buttons apply to current file only\r\n"
            "Cancel aborts Replace operations now\r\n\r\nThis line:2\r\ncat cat\r\n\r\ndog dog\r\n\r\n"
            "Changes this line=2 - Save changes?\r\n\r\n");
  ASSERT_EQ(questions_.messages.size(), 1u);
  EXPECT_EQ(U8(questions_.messages[0]), "Changes saved to " + file + "\r\n\r\nBackup file=" + dir_.path() +
                                            "a-VarkoSearchReplace-20240305-140709-bak.txt\r\n\r\nArchive file=" +
                                            U8(settings_.archiveFile) + "\r\n\r\n");
  EXPECT_EQ(readFileBytes(U8(settings_.changeLogFile)), std::string(35, '_') + "\r\n05-Mar-24 Search/Replace " +
                                                            file + "\r\n1:cat cat\r\n1:dog dog\r\n");
  EXPECT_EQ(result.replacedCount, 2);
}

TEST_F(FileReplacerTest, LineAnswersDecideEachLineAndAllAnswersHoldForTheFileOnly) {
  using A = ConfirmAnswer;
  struct Case {
    std::deque<A> answers;
    size_t asked;
    const char* after;
    int replaced;
    bool cancelled;
  };
  const Case cases[] = {
      {{A::No, A::YesToAll}, 2, "cat1\ndog2\ndog3\n", 2, false},
      {{A::Yes, A::NoToAll}, 2, "dog1\ncat2\ncat3\n", 1, false},
      {{A::No, A::No, A::No}, 3, "cat1\ncat2\ncat3\n", 0, false},
      {{A::Yes, A::Cancel}, 2, "cat1\ncat2\ncat3\n", 0, true},
  };
  for (const Case& c : cases) {
    questions_ = test::ScriptedQuestions();
    questions_.lineAnswers = c.answers;
    const std::string file = dir_.write("lines.txt", "cat1\ncat2\ncat3\n");
    FileReplaceResult result = run(file, true);
    EXPECT_EQ(questions_.lineBoxes.size(), c.asked);
    EXPECT_EQ(readFileBytes(file), c.after);
    EXPECT_EQ(result.replacedCount, c.replaced);
    EXPECT_EQ(result.replaceCancelled, c.cancelled);
    EXPECT_EQ(questions_.decided.size(), c.replaced > 0 ? 1u : 0u);  // no change, no window
  }
  // After No to All in one file the next file asks again.
  questions_ = test::ScriptedQuestions();
  run(dir_.write("next.txt", "cat\n"), true);
  EXPECT_EQ(questions_.lineBoxes.size(), 1u);
}

TEST_F(FileReplacerTest, ProgramFilesTheStringSetAndTheChangeLogAreRefusedUnread) {
  settings_.stringSetFile = dir_.text() + u"pairs.txt";
  settings_.changeLogFile = dir_.text() + u"Varko-SearchReplace.log";
  const Text refused[] = {dir_.text() + u"old.varkosearchreplace/a.txt", settings_.stringSetFile,
                          settings_.changeLogFile};
  for (const Text& path : refused) {
    dir_.write(U8(path).substr(dir_.path().size()), "cat\n");
    FileReplaceResult result = run(U8(path), true);
    EXPECT_TRUE(result.refused) << U8(path);
    EXPECT_EQ(result.changes.original.lineCount(), 0u);
  }
  EXPECT_TRUE(questions_.lineBoxes.empty());
  EXPECT_FALSE(run(dir_.write("Pairs.txt", "cat\n")).refused);  // letter case counts
}

TEST_F(FileReplacerTest, ShowDifferencesWritesTheNewBytesAndDoNotSaveRemovesThem) {
  dir_.write("Varko64.INI", "[Settings]\r\nDifferencesViewer=none\r\n");
  const std::string file = dir_.write("a.txt", "cat\r\n");
  questions_.decisions = {FileDecision::ShowDifferences, FileDecision::Save, FileDecision::DoNotSave};
  questions_.saveWithoutDiffs = false;
  std::string temporary;
  questions_.beforeDecision = [&](const FileChanges& changes) {
    temporary = U8(changes.names.temporary);
    if (questions_.decided.size() == 2) {
      EXPECT_EQ(readFileBytes(temporary), "dog\r\n");
    }
  };
  FileReplaceResult result = run(file);
  EXPECT_EQ(questions_.decided.size(), 3u);  // No to the save question leaves the choice open
  ASSERT_EQ(questions_.saveQuestions.size(), 1u);
  EXPECT_EQ(questions_.saveQuestions[0], u"Diffs have NOT been shown for this file\r\nCheck the logs and "
                                         u"differences\r\n\r\nAre you sure you want to save changes?");
  EXPECT_FALSE(xcFileExists(T(temporary)));
  EXPECT_EQ(readFileBytes(file), "cat\r\n");
  EXPECT_FALSE(result.saved);
  EXPECT_FALSE(xcFileExists(settings_.archiveFile));
}

TEST_F(FileReplacerTest, AFileThatCannotBeReadIsSaidSo) {
  const std::string gone = dir_.file("gone.txt");
  FileReplaceResult result = run(gone);
  EXPECT_TRUE(result.readFailed);
  EXPECT_EQ(questions_.messages,
            TextList{T("Could not read " + gone + " for replacing: No such file or directory; it was not changed")});
}

TEST_F(FileReplacerTest, AbortStopsTheRunWithNothingSaved) {
  const std::string file = dir_.write("a.txt", "cat\n");
  questions_.decisions = {FileDecision::Abort};
  FileReplaceResult result = run(file);
  EXPECT_TRUE(result.runAborted);
  EXPECT_EQ(result.replacedCount, 0);
  EXPECT_EQ(readFileBytes(file), "cat\n");
}

TEST_F(FileReplacerTest, PreviewWorksOutEveryChangeWithoutAskingOrWriting) {
  const std::string file = dir_.write("a.txt", "cat\nx\ncat\n");
  FileReplacer replacer(settings_, clock_, questions_);
  FileReplaceResult result = replacer.previewFile(T(file));
  ASSERT_EQ(result.changes.changed.size(), 2u);
  EXPECT_EQ(result.changes.changed.lines()[1].index, 2u);
  EXPECT_EQ(result.changes.changed.text(result.changes.original, result.changes.changed.lines()[1]), u"dog");
  EXPECT_EQ(U8(unifiedDiff(result.changes)), "--- " + file + "\n+++ " + file + "\n@@ -1,3 +1,3 @@\n-cat\n+dog\n x\n-cat\n+dog\n");
  EXPECT_EQ(result.changes.changeCount, 2);
  EXPECT_TRUE(questions_.decided.empty());
  EXPECT_EQ(readFileBytes(file), "cat\nx\ncat\n");
}

TEST(UnifiedDiff, HunksHoldThreeLinesOfContextAndMergeWhenClose) {
  TextList oldLines, newLines;
  for (int i = 1; i <= 20; ++i) oldLines.push_back(u"l" + intToText(i));
  newLines = oldLines;
  newLines[1] = u"L2";   // line 2
  newLines[6] = u"L7";   // line 7: context overlaps line 2's
  newLines[17] = u"L18"; // line 18: a hunk of its own
  EXPECT_EQ(U8(unifiedDiff(u"/d/a.txt", oldLines, newLines)),
            "--- /d/a.txt\n+++ /d/a.txt\n"
            "@@ -1,10 +1,10 @@\n l1\n-l2\n+L2\n l3\n l4\n l5\n l6\n-l7\n+L7\n l8\n l9\n l10\n"
            "@@ -15,6 +15,6 @@\n l15\n l16\n l17\n-l18\n+L18\n l19\n l20\n");
  EXPECT_EQ(unifiedDiff(u"/d/a.txt", oldLines, oldLines), u"");
}

}  // namespace
}  // namespace varko
