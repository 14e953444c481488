#include "save/SafeSave.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "lib/DateTime.h"
#include "lib/Library.h"
#include "replace/FileReplacer.h"
#include "ReplaceTestSupport.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;
using test::U8;
using Call = test::FaultyFileSystem::Call;

constexpr const char* kOld = "keep\ncat\n";
constexpr const char* kNew = "keep\ndog\n";

class SafeSaveTest : public ::testing::Test {
protected:
  SafeSaveTest() {
    settings_.finds = {u"cat"};
    settings_.replaces = {u"dog"};
    settings_.archiveFile = dir_.text() + u"VarkoSearchReplaceArchive.varc";
  }
  FileReplaceResult run(const std::string& file) {
    return FileReplacer(settings_, clock_, questions_, fs_).replaceFile(T(file), false);
  }
  // Names below the folder holding "-temp" or "-bak".
  std::vector<std::string> leftovers(const std::string& folder, const char* kind) {
    std::vector<std::string> names;
    DIR* d = opendir(folder.c_str());
    while (dirent* e = readdir(d))
      if (std::string(e->d_name).find(kind) != std::string::npos) names.push_back(e->d_name);
    closedir(d);
    return names;
  }

  test::TempDir dir_;
  FakeClock clock_{xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9)};
  test::ScriptedQuestions questions_;
  test::FaultyFileSystem fs_;
  ReplaceSettings settings_;
  std::string backup_ = dir_.path() + "report-VarkoSearchReplace-20240305-140709-bak.txt";
};

TEST_F(SafeSaveTest, NamesCarryTheStampBeforeTheExtensionOfTheName) {
  const DateTimeValue now = xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9);
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"/data/report.txt", u"/data/report-VarkoSearchReplace-20240305-140709-bak.txt"},
      {u"/data/README", u"/data/README-VarkoSearchReplace-20240305-140709-bak"},
      {u"/data/.profile", u"/data/-VarkoSearchReplace-20240305-140709-bak.profile"},
      {u"/a.b/ my notes .md", u"/a.b/my notes-VarkoSearchReplace-20240305-140709-bak.md"},
  };
  for (const auto& [file, backup] : cases) EXPECT_EQ(MakeReplaceFileNames(file, now).backup, backup);
  const ReplaceFileNames names = MakeReplaceFileNames(u"/data/report.txt", now);
  EXPECT_EQ(names.temporary, u"/data/report-VarkoSearchReplace-20240305-140709-temp.txt");
  EXPECT_EQ(names.numberedBackup(2), u"/data/report-VarkoSearchReplace-20240305-140709-2-bak.txt");
}

TEST_F(SafeSaveTest, SavedFileKeepsItsPermissionsAndItsOldContentUnderTheBackupName) {
  const std::string file = dir_.write("report.txt", kOld);
  chmod(file.c_str(), 0640);
  FileReplaceResult result = run(file);
  ASSERT_TRUE(result.saved) << U8(result.failureText);
  EXPECT_EQ(readFileBytes(file), kNew);
  EXPECT_EQ(readFileBytes(backup_), kOld);
  struct stat st {};
  stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_TRUE(xcFileExists(settings_.archiveFile));
  EXPECT_TRUE(leftovers(dir_.path(), "-temp").empty());
}

TEST_F(SafeSaveTest, AnyFailingStepLeavesTheOriginalWholeAndSaysWhatFailed) {
  struct Case {
    const char* name;
    SaveStep step;
    Call call;
    int error;
    std::string message;  // after the folder
  };
  const Case cases[] = {
      {"temporary not creatable", SaveStep::WriteTemporary, Call::Open, EACCES,
       "Could not write the temporary file @report-VarkoSearchReplace-20240305-140709-temp.txt: Permission denied"},
      {"disk full while writing", SaveStep::WriteTemporary, Call::Write, ENOSPC,
       "Could not write the temporary file @report-VarkoSearchReplace-20240305-140709-temp.txt: No space left on device"},
      {"archive not writable", SaveStep::AppendArchive, Call::Open, EACCES,
       "Could not append to the archive @VarkoSearchReplaceArchive.varc: Permission denied"},
      {"archive disk full", SaveStep::AppendArchive, Call::Write, ENOSPC,
       "Could not append to the archive @VarkoSearchReplaceArchive.varc: No space left on device"},
      {"backup not creatable", SaveStep::KeepBackup, Call::OpenAndLink, EACCES,
       "Could not create the backup file @report-VarkoSearchReplace-20240305-140709-bak.txt: Permission denied"},
      {"rename refused", SaveStep::ReplaceOriginal, Call::Rename, EBUSY,
       "Could not replace @report.txt with the temporary file @report-VarkoSearchReplace-20240305-140709-temp.txt: "
       "Device or resource busy"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const std::string file = dir.write("report.txt", kOld);
    fs_ = test::FaultyFileSystem();
    fs_.failStep = c.step;
    fs_.failCall = c.call;
    fs_.failErrno = c.error;
    questions_ = test::ScriptedQuestions();
    settings_.archiveFile = dir.text() + u"VarkoSearchReplaceArchive.varc";
    FileReplaceResult result = run(file);
    std::string expected = c.message;
    for (size_t at; (at = expected.find('@')) != std::string::npos;) expected.replace(at, 1, dir.path());
    EXPECT_FALSE(result.saved) << c.name;
    EXPECT_TRUE(result.saveFailed) << c.name;
    EXPECT_EQ(result.replacedCount, 0) << c.name;
    EXPECT_EQ(U8(result.failureText), expected) << c.name;
    EXPECT_EQ(questions_.messages, TextList{T(expected)}) << c.name;
    EXPECT_EQ(readFileBytes(file), kOld) << c.name;
    EXPECT_TRUE(leftovers(dir.path(), "-temp").empty()) << c.name;
    EXPECT_TRUE(leftovers(dir.path(), "-bak").empty()) << c.name;
    // No half record, and no record of a change that was not made.
    EXPECT_EQ(readFileBytes(U8(settings_.archiveFile)), "") << c.name;
  }
}

TEST_F(SafeSaveTest, AFileChangedOnDiskSinceItWasReadKeepsItsNewContent) {
  const std::string file = dir_.write("report.txt", kOld);
  questions_.beforeDecision = [&](const FileChanges&) { dir_.write("report.txt", "someone else\n"); };
  FileReplaceResult result = run(file);
  EXPECT_FALSE(result.saved);
  EXPECT_EQ(U8(result.failureText), file + " was changed on disk since it was read for replacing; it was not saved");
  EXPECT_EQ(readFileBytes(file), "someone else\n");
  EXPECT_FALSE(xcFileExists(settings_.archiveFile));
}

TEST_F(SafeSaveTest, ATakenBackupNameGetsTheNextNumberAndStaysAsItWas) {
  const std::string file = dir_.write("report.txt", kOld);
  dir_.write("report-VarkoSearchReplace-20240305-140709-bak.txt", "earlier backup");
  FileReplaceResult result = run(file);
  ASSERT_TRUE(result.saved);
  EXPECT_EQ(readFileBytes(backup_), "earlier backup");
  EXPECT_EQ(readFileBytes(dir_.path() + "report-VarkoSearchReplace-20240305-140709-1-bak.txt"), kOld);
}

TEST_F(SafeSaveTest, WhereLinksAreNotPossibleTheBackupIsACopy) {
  const std::string file = dir_.write("report.txt", kOld);
  fs_.failStep = SaveStep::KeepBackup;
  fs_.failCall = Call::Link;
  fs_.failErrno = EXDEV;
  ASSERT_TRUE(run(file).saved);
  EXPECT_EQ(readFileBytes(backup_), kOld);
  EXPECT_EQ(readFileBytes(file), kNew);
}

TEST_F(SafeSaveTest, AfterEveryStepTheNameHoldsTheCompleteOldOrNewContent) {
  const SaveStep steps[] = {SaveStep::CheckUnchanged, SaveStep::WriteTemporary, SaveStep::AppendArchive,
                            SaveStep::KeepBackup, SaveStep::RecordUndo, SaveStep::ReplaceOriginal, SaveStep::SyncFolder};
  for (SaveStep step : steps) {
    test::TempDir dir;
    const std::string file = dir.write("report.txt", kOld);
    fs_ = test::FaultyFileSystem();
    fs_.stopAfter = step;
    questions_ = test::ScriptedQuestions();
    run(file);
    const bool replaced = step == SaveStep::ReplaceOriginal || step == SaveStep::SyncFolder;
    EXPECT_EQ(readFileBytes(file), replaced ? kNew : kOld) << U8(saveStepName(step));
    EXPECT_TRUE(questions_.messages.empty()) << U8(saveStepName(step));
  }
}

TEST_F(SafeSaveTest, AFileReachedThroughALinkChangesAtItsTargetAndTheLinkStays) {
  const std::string target = dir_.write("real/report.txt", kOld);
  const std::string link = dir_.path() + "report.txt";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_TRUE(run(link).saved);
  struct stat st {};
  lstat(link.c_str(), &st);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(readFileBytes(target), kNew);
  EXPECT_EQ(readFileBytes(dir_.path() + "real/report-VarkoSearchReplace-20240305-140709-bak.txt"), kOld);
}

}  // namespace
}  // namespace varko
