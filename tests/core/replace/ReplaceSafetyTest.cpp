// Replacing as a hostile world would have it: another run on the same file, attributes and ACLs,
// hard links, a kill between any two steps, a record cut short.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "lib/DateTime.h"
#include "lib/Library.h"
#include "save/Archive.h"
#include "replace/FileReplacer.h"
#include "replace/RunReplacer.h"
#include "save/UndoManifest.h"
#include "ReplaceTestSupport.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;
using test::U8;

class ReplaceSafetyTest : public ::testing::Test {
protected:
  ReplaceSafetyTest() { settings_.archiveFile = logs_ + kArchiveFileName; }
  FileReplaceResult replace(const std::string& file, const Text& find, const Text& with,
                            FileSystem& fs = FileSystem::real(), UndoManifest* undoManifest = nullptr,
                            test::ScriptedQuestions* questions = nullptr) {
    ReplaceSettings settings = settings_;
    settings.finds = {find};
    settings.replaces = {with};
    return FileReplacer(settings, clock_, questions ? *questions : questions_, fs, undoManifest).replaceFile(T(file), false);
  }

  test::TempDir dir_;
  Text logs_ = T(dir_.mkdir("bin/"));
  FakeClock clock_{xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9)};
  test::ScriptedQuestions questions_;
  ReplaceSettings settings_;
};

TEST_F(ReplaceSafetyTest, ASecondRunSavingTheSameFileWaitsAndThenKeepsTheFirstRunsChange) {
  const std::string file = dir_.write("a.txt", "cat\n");
  std::promise<void> secondWaits;
  FileReplaceResult second;
  std::thread other;
  test::ScriptedQuestions otherQuestions;
  otherQuestions.onMessage = [&](const Text& text) {
    if (text.starts_with(u"Waiting for another replace run")) secondWaits.set_value();
  };
  // In the middle of the first save, a second run reads the old content and tries to save.
  test::FaultyFileSystem fs;
  fs.afterStep = [&](SaveStep step) {
    if (step != SaveStep::WriteTemporary) return;
    other = std::thread([&] { second = replace(file, u"cat", u"fox", FileSystem::real(), nullptr, &otherQuestions); });
    secondWaits.get_future().wait();
  };
  const FileReplaceResult first = replace(file, u"cat", u"dog", fs);
  other.join();
  EXPECT_TRUE(first.saved);
  EXPECT_FALSE(second.saved);
  EXPECT_EQ(U8(second.failureText), file + " was changed on disk since it was read for replacing; it was not saved");
  EXPECT_EQ(readFileBytes(file), "dog\n");
}

TEST_F(ReplaceSafetyTest, AWriteRightBeforeTheRenameIsNotOverwritten) {
  const std::string file = dir_.write("a.txt", "cat\n");
  test::FaultyFileSystem fs;
  fs.afterStep = [&](SaveStep step) {
    if (step == SaveStep::RecordUndo) {
      FILE* f = fopen(file.c_str(), "a");  // another program appends through its own descriptor
      fputs("late\n", f);
      fclose(f);
    }
  };
  const FileReplaceResult result = replace(file, u"cat", u"dog", fs);
  EXPECT_FALSE(result.saved);
  EXPECT_EQ(readFileBytes(file), "cat\nlate\n");
  EXPECT_EQ(readFileBytes(U8(settings_.archiveFile)), "");  // no record of a change not made
}

TEST_F(ReplaceSafetyTest, ExtendedAttributesAndTheAclGoToTheNewFileOrTheFileIsRefused) {
  const std::string file = dir_.write("a.txt", "cat\n");
  chmod(file.c_str(), 0640);
  // user::rw- user:1:rw- group::r-- mask::rw- other::---
  const std::string acl = std::string("\x02\0\0\0", 4) + std::string("\x01\0\x06\0\xff\xff\xff\xff", 8) +
                          std::string("\x02\0\x06\0\x01\0\0\0", 8) + std::string("\x04\0\x04\0\xff\xff\xff\xff", 8) +
                          std::string("\x10\0\x06\0\xff\xff\xff\xff", 8) + std::string("\x20\0\0\0\xff\xff\xff\xff", 8);
  if (setxattr(file.c_str(), "user.origin", "v1", 2, 0) != 0 ||
      setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "this file system keeps no user attributes or ACLs: " << strerror(errno);
  auto attribute = [](const std::string& path, const char* name) {
    std::string value(256, '\0');
    const ssize_t n = getxattr(path.c_str(), name, value.data(), value.size());
    return n < 0 ? std::string("(none)") : value.substr(0, static_cast<size_t>(n));
  };
  const std::string aclBefore = attribute(file, "system.posix_acl_access");
  struct stat before {};
  stat(file.c_str(), &before);

  ASSERT_TRUE(replace(file, u"cat", u"dog").saved);
  struct stat after {};
  stat(file.c_str(), &after);
  EXPECT_EQ(attribute(file, "user.origin"), "v1");
  EXPECT_EQ(attribute(file, "system.posix_acl_access"), aclBefore);
  EXPECT_EQ(after.st_mode & 0777, before.st_mode & 0777);  // the group gained no write access

  // An attribute that cannot be set refuses the file, naming it.
  test::FaultyFileSystem fs;
  fs.failStep = SaveStep::WriteTemporary;
  fs.failCall = test::FaultyFileSystem::Call::SetAttribute;
  fs.failErrno = EPERM;
  const FileReplaceResult refused = replace(file, u"dog", u"fox", fs);
  EXPECT_FALSE(refused.saved);
  EXPECT_NE(U8(refused.failureText).find("the extended attribute user.origin of " + file + ": Operation not permitted"),
            std::string::npos)
      << U8(refused.failureText);
  EXPECT_EQ(readFileBytes(file), "dog\n");
}

TEST_F(ReplaceSafetyTest, AFileWithOtherHardLinksGetsABackupOfItsOwn) {
  const std::string file = dir_.write("a.txt", "cat\n");
  const std::string other = dir_.file("other-name.txt");
  ASSERT_EQ(link(file.c_str(), other.c_str()), 0);
  UndoManifest undoManifest(logs_, clock_);
  const FileReplaceResult result = replace(file, u"cat", u"dog", FileSystem::real(), &undoManifest);
  ASSERT_TRUE(result.saved);
  dir_.write("other-name.txt", "edited through the other name\n");  // writes into the old file
  EXPECT_EQ(readFileBytes(dir_.file("a-VarkoSearchReplace-20240305-140709-bak.txt")), "cat\n");
  TextList report;
  EXPECT_EQ(UndoLastReplace(logs_, report, clock_).restored, 1);
  EXPECT_EQ(readFileBytes(file), "cat\n");
}

TEST_F(ReplaceSafetyTest, AfterAKillAtAnyStepUndoPutsBackExactlyThatRunsFiles) {
  const SaveStep steps[] = {SaveStep::CheckUnchanged, SaveStep::WriteTemporary, SaveStep::AppendArchive,
                            SaveStep::KeepBackup,     SaveStep::RecordUndo,     SaveStep::ReplaceOriginal,
                            SaveStep::SyncFolder};
  for (SaveStep step : steps) {
    const std::string name = U8(saveStepName(step));
    test::TempDir dir;
    const Text logs = T(dir.mkdir("bin/"));
    const std::string earlier = dir.write("earlier.txt", "cat\n"), file = dir.write("a.txt", "cat\n");
    {
      UndoManifest undoManifest(logs, clock_);
      ASSERT_TRUE(replace(earlier, u"cat", u"dog", FileSystem::real(), &undoManifest).saved);
    }
    clock_.advanceSeconds(1);
    test::FaultyFileSystem fs;
    fs.stopAfter = step;
    UndoManifest killed(logs, clock_);
    replace(file, u"cat", u"dog", fs, &killed);
    clock_.advanceSeconds(1);

    TextList report;
    const UndoResult undo = UndoLastReplace(logs, report, clock_);
    EXPECT_EQ(readFileBytes(file), "cat\n") << name;
    EXPECT_EQ(readFileBytes(earlier), "dog\n") << name << ": the run before was undone";
    EXPECT_EQ(undo.refused, 0) << name;
  }
}

TEST_F(ReplaceSafetyTest, AnUnreadableUndoRecordIsNeverPassedOver) {
  const std::string file = dir_.write("a.txt", "cat\n");
  {
    UndoManifest undoManifest(logs_, clock_);
    ASSERT_TRUE(replace(file, u"cat", u"dog", FileSystem::real(), &undoManifest).saved);
  }
  clock_.advanceSeconds(1);
  const std::string damaged = U8(logs_) + "VarkoSearchReplaceUndo-20240305-140710-1.txt";
  dir_.write("bin/VarkoSearchReplaceUndo-20240305-140710-1.txt", "garbage");
  TextList report;
  const UndoResult undo = UndoLastReplace(logs_, report, clock_);
  EXPECT_EQ(undo.restored, 0);
  EXPECT_EQ(readFileBytes(file), "dog\n");
  ASSERT_EQ(report.size(), 1u);
  EXPECT_EQ(U8(report[0]), "The undo record " + damaged +
                               " cannot be read: it is damaged; nothing was restored. Move it away to undo the run "
                               "before it.");
}

TEST_F(ReplaceSafetyTest, ARecordCutShortIsClosedBeforeTheNextOne) {
  const std::string archive = U8(settings_.archiveFile);
  const std::string file = dir_.write("a.txt", "cat\n");
  ASSERT_TRUE(replace(file, u"cat", u"dog").saved);
  const std::string whole = readFileBytes(archive);
  dir_.write("bin/" + U8(kArchiveFileName), whole + "<><><>\r\nArchived:half a heading");  // killed mid-record
  clock_.advanceSeconds(1);
  ASSERT_TRUE(replace(file, u"dog", u"fox").saved);
  const std::string after = readFileBytes(archive);
  const std::string bars(67, '|');
  const std::string closing = "Archived:half a heading\r\nThe record above is incomplete: the run writing it was "
                              "stopped\r\n" + bars + "\r\n<><>";
  EXPECT_NE(after.find(closing), std::string::npos);
  EXPECT_TRUE(after.ends_with(bars + "\r\n"));
}

// With nobody to answer, saves wait in a group for one sync; each is still checked at its rename.
class UnattendedQuestions : public test::ScriptedQuestions {
public:
  bool asksPerson() const override { return false; }
};

TEST_F(ReplaceSafetyTest, AGroupOfSavesIsCheckedFileByFileAtItsRename) {
  const std::string a = dir_.write("a.txt", "cat\n"), b = dir_.write("b.txt", "cat cat\n");
  const std::string c = dir_.write("c.txt", "cat\n");
  SearchRequest request;
  request.searchText = u"cat";
  request.strings = {{u"cat", u"dog"}};
  UnattendedQuestions questions;
  UndoManifest undoManifest(logs_, clock_);
  RunReplacer replacer(request, settings_, clock_, questions, &undoManifest, false);
  int counted = 0;
  for (const std::string& file : {a, b, c}) counted += replacer.VarkoReplaceStrSubFile({T(file), false, false}).replaced;
  EXPECT_EQ(readFileBytes(a), "cat\n");  // nothing is renamed before the group is synced
  dir_.write("b.txt", "cat cat, edited meanwhile\n");
  EXPECT_EQ(counted + replacer.finishRun(), 2);
  EXPECT_EQ(readFileBytes(a), "dog\n");
  EXPECT_EQ(readFileBytes(b), "cat cat, edited meanwhile\n");
  EXPECT_EQ(readFileBytes(c), "dog\n");
  ASSERT_EQ(replacer.failures().size(), 1u);
  EXPECT_EQ(U8(replacer.failures()[0].reason), b + " was changed on disk since it was read for replacing; it was not saved");
  EXPECT_FALSE(xcFileExists(dir_.text() + u"b-VarkoSearchReplace-20240305-140709-bak.txt"));
  TextList report;
  EXPECT_EQ(UndoLastReplace(logs_, report, clock_).restored, 2);
  EXPECT_EQ(readFileBytes(a), "cat\n");
}

TEST_F(ReplaceSafetyTest, AReplacementThatChangesNoByteWritesNothing) {
  const std::string file = dir_.write("a.txt", "cat\n");
  struct stat before {};
  stat(file.c_str(), &before);
  const FileReplaceResult result = replace(file, u"cat", u"cat");
  struct stat after {};
  stat(file.c_str(), &after);
  EXPECT_FALSE(result.saved);
  EXPECT_TRUE(questions_.decided.empty());
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_FALSE(xcFileExists(settings_.archiveFile));
  EXPECT_FALSE(xcFileExists(dir_.text() + u"a-VarkoSearchReplace-20240305-140709-bak.txt"));
}

}  // namespace
}  // namespace varko
