#include "lib/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "lib/Errors.h"
#include "lib/Library.h"
#include "support/TestSupport.h"
#include "support/Unprivileged.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;

constexpr const char* kNoDrop = "the system refused to drop to user 65534";

// Sets SimpleOrAdvancedFolders=2 in file as a user whom permissions stop (root writes anywhere):
// "written" or the refusal's text, or nothing when the system would not drop to that user. A
// lockedFolder that user may write in would prove nothing.
std::optional<std::string> writeUnprivileged(const std::string& file, const std::string& lockedFolder = "") {
  return test::asUnprivileged([&] {
    if (!lockedFolder.empty() && ::access(lockedFolder.c_str(), W_OK) == 0) return std::string("folder not locked");
    try {
      IniFile(T(file)).WriteInteger(u"Settings", u"SimpleOrAdvancedFolders", 2);
      return std::string("written");
    } catch (const EIniFileException& e) {
      return test::U8(e.text());
    }
  });
}

class IniFileTest : public ::testing::Test {
protected:
  IniFile iniWith(std::string_view bytes) { return IniFile(T(dir_.write("Varko64.INI", bytes))); }
  std::string bytes() const { return readFileBytes(dir_.file("Varko64.INI")); }
  void expectRefused(IniFile& ini) {
    try {
      ini.WriteInteger(u"Settings", u"SimpleOrAdvancedFolders", 2);
      FAIL() << "expected EIniFileException";
    } catch (const EIniFileException& e) {
      EXPECT_EQ(e.text(), u"Unable to write to " + ini.fileName());
    }
  }

  // The folder open to the unprivileged user, so that only the permission under test stops it.
  void openFolderToAll() const { ASSERT_EQ(chmod(dir_.path().c_str(), 0777), 0); }

  test::TempDir dir_;
  IniFile missing_{T(dir_.file("Varko64.INI"))};
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefaultAndCreatesNothing) {
  EXPECT_EQ(missing_.ReadString(u"Viewer", u"txt", u"ASK"), u"ASK");
  EXPECT_TRUE(missing_.ReadBool(u"Testing", u"ReplaceExtraInfo", true));
  EXPECT_FALSE(missing_.SectionExists(u"Settings"));
  EXPECT_FALSE(xcFileExists(missing_.fileName()));
  IniFile ini = iniWith("[Settings]\r\nA=2\r\n");
  EXPECT_EQ(ini.ReadInteger(u"Folders", u"A", 7), 7);
  EXPECT_EQ(ini.ReadString(u"Settings", u"B", u" as given "), u" as given ");
}

TEST_F(IniFileTest, NamesIgnoreLetterCaseAndValuesAreTrimmed) {
  IniFile ini = iniWith(
      "\xEF\xBB\xBF[settings]\nsimpleoradvancedfilespec=2\n  [ Folders ] \r\n  SavedFolder0 \t=  /src/a=b \t\r\n"
      "SavedFolder1=\r\n[\xC3\xA9t\xC3\xA9]\r\nk=1\r\n");
  EXPECT_EQ(ini.ReadInteger(u"Settings", u"SimpleOrAdvancedFileSpec", 1), 2);
  EXPECT_EQ(ini.ReadString(u"FOLDERS", u"savedfolder0", u"-"), u"/src/a=b");
  EXPECT_EQ(ini.ReadString(u"Folders", u"SavedFolder1", u"-"), u"");
  EXPECT_EQ(ini.ReadInteger(u"\u00E9t\u00E9", u"K", 0), 1);
  EXPECT_EQ(ini.ReadInteger(u"\u00C9T\u00C9", u"K", 0), 0);  // only a-z ignore case
  EXPECT_TRUE(ini.SectionExists(u"SETTINGS"));
}

TEST_F(IniFileTest, KeysOutsideTheirSectionOrCommentedOutAreNotRead) {
  IniFile ini = iniWith("k=before\r\n[A]\r\n;k=commented\r\n[B]\r\nk=other\r\n");
  EXPECT_EQ(ini.ReadString(u"A", u"k", u"none"), u"none");
}

TEST_F(IniFileTest, AtMost2047CharactersOfAValueAreRead) {
  IniFile ini = iniWith("[S]\r\nlong=" + std::string(3000, 'a') + "\r\n");
  EXPECT_EQ(ini.ReadString(u"S", u"long", u""), Text(2047, u'a'));
}

TEST_F(IniFileTest, IntegersAreDecimalOrHexadecimalAfter0xAndBooleansAnyNonZero) {
  IniFile ini = iniWith(
      "[N]\r\ndec= -17 \r\nhex=0x1F\r\nHEX2=0X10\r\nall=0xFFFFFFFF\r\nblank=\r\ntext=two\r\ntrail=12abc\r\n"
      "frac=1.5\r\nbare=0x\r\nhuge=99999999999\r\nhugehex=0x100000000\r\nfive=5\r\nzero=0\r\n");
  EXPECT_EQ(ini.ReadInteger(u"N", u"dec", 0), -17);
  EXPECT_EQ(ini.ReadInteger(u"N", u"hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger(u"N", u"hex2", 0), 16);
  EXPECT_EQ(ini.ReadInteger(u"N", u"all", 0), -1);
  for (const char16_t* key : {u"blank", u"text", u"trail", u"frac", u"bare", u"huge", u"hugehex"})
    EXPECT_EQ(ini.ReadInteger(u"N", key, 1234), 1234) << test::U8(key);
  EXPECT_TRUE(ini.ReadBool(u"N", u"five", false));
  EXPECT_FALSE(ini.ReadBool(u"N", u"zero", true));
  EXPECT_TRUE(ini.ReadBool(u"N", u"text", true));
  EXPECT_FALSE(ini.ReadBool(u"N", u"text", false));
}

TEST_F(IniFileTest, FirstWriteCreatesTheFileWithCrLfUtf8Lines) {
  missing_.WriteInteger(u"Settings", u"SimpleOrAdvancedFolders", 2);
  missing_.WriteBool(u"Testing", u"ReplaceExtraInfo", true);
  missing_.WriteBool(u"Testing", u"Other", false);
  missing_.WriteString(u"Folders", u"SavedFolder7", u"");
  missing_.WriteInteger(u"Settings", u"Negative", -12);
  missing_.WriteString(u"Folders", u"SavedFolder0", u"/j\u00FCrgen/\u20AC");
  EXPECT_EQ(bytes(),
            "[Settings]\r\nSimpleOrAdvancedFolders=2\r\nNegative=-12\r\n[Testing]\r\nReplaceExtraInfo=1\r\n"
            "Other=0\r\n[Folders]\r\nSavedFolder7=\r\nSavedFolder0=/j\xC3\xBCrgen/\xE2\x82\xAC\r\n");
  EXPECT_EQ(missing_.ReadString(u"Folders", u"SavedFolder0", u""), u"/j\u00FCrgen/\u20AC");
}

TEST_F(IniFileTest, HandEditedFileKeepsEveryOtherLineByteForByte) {
  const std::string before =
      "; edited by hand\n"
      "garbage line without equals\r\n"
      "\x01\xFF\xFE odd = \x80\x81\r\n"
      "[Viewer]\n"
      "txt = gedit   \n"
      "\t\r\n"
      "[settings]\r\n"
      "simpleoradvancedfolders=1\r\n"
      "   ; comment\r\n"
      "[broken section\r\n"
      "Strings=2\n"
      "\r\n"
      "[Folders]\r\n"
      "SavedFolder0=/data/caf\xE9\r\n"  // another code page
      "[settings]\r\nsimpleoradvancedfolders=7\r\n"
      "no line end";
  IniFile ini = iniWith(before);
  std::string expected = before;
  ini.WriteInteger(u"Settings", u"SimpleOrAdvancedFolders", 2);  // the first section and key win
  expected.replace(expected.find("simpleoradvancedfolders=1"), 25, "simpleoradvancedfolders=2");
  ini.WriteString(u"VIEWER", u"txt", u"kate");
  expected.replace(expected.find("txt = gedit   \n"), 15, "txt = kate\r\n");
  ini.WriteString(u"Settings", u"New", u"x");
  expected.insert(expected.find("\n\r\n[Folders]") + 1, "New=x\r\n");  // after the last key line
  ini.WriteString(u"Folders", u"SavedFolder0", ini.ReadString(u"Folders", u"SavedFolder0", u""));
  EXPECT_EQ(bytes(), expected);

  ini.WriteString(u"Added", u"k", u"v");
  EXPECT_EQ(bytes(), expected + "\r\n[Added]\r\nk=v\r\n");
  ini.WriteString(u"Added", u"line", u"a\r\n[Evil]");  // a line break must not add lines
  EXPECT_FALSE(ini.SectionExists(u"Evil"));
}

TEST_F(IniFileTest, NewKeyInASectionWithoutKeysFollowsItsHeader) {
  IniFile ini = iniWith("[Empty]\n\n[Next]\nk=1");
  ini.WriteString(u"Empty", u"k", u"v");
  ini.WriteString(u"Next", u"j", u"2");
  EXPECT_EQ(bytes(), "[Empty]\nk=v\r\n\n[Next]\nk=1\r\nj=2\r\n");
}

TEST_F(IniFileTest, WriteKeepsPermissionsAndSymbolicLinksAndLeavesNoTemporaryFile) {
  const std::string real = dir_.write("real.ini", "[S]\r\nk=1\r\n");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink(real.c_str(), dir_.file("link.ini").c_str()), 0);
  IniFile(T(dir_.file("link.ini"))).WriteInteger(u"S", u"k", 2);

  struct stat st;
  ASSERT_EQ(lstat(dir_.file("link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(readFileBytes(real), "[S]\r\nk=2\r\n");
  auto it = std::filesystem::directory_iterator(dir_.path());
  EXPECT_EQ(std::distance(begin(it), end(it)), 2);
}

TEST_F(IniFileTest, WriteWhereAFolderOrFileIsInTheWayIsRefused) {
  dir_.write("notafolder", "x");
  IniFile under(T(dir_.file("notafolder/Varko64.INI")));
  expectRefused(under);
  EXPECT_EQ(readFileBytes(dir_.file("notafolder")), "x");
  dir_.mkdir("Varko64.INI");
  expectRefused(missing_);
}

TEST_F(IniFileTest, WriteToAReadOnlyFileIsRefusedAndLeavesItAsItWas) {
  const std::string file = dir_.write("Varko64.INI", "[Settings]\r\nSimpleOrAdvancedFolders=1\r\n");
  openFolderToAll();  // a rename from beside it would get round the file's permission
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  const auto seen = writeUnprivileged(file);
  if (!seen) GTEST_SKIP() << kNoDrop;
  EXPECT_EQ(*seen, "Unable to write to " + file);
  EXPECT_EQ(bytes(), "[Settings]\r\nSimpleOrAdvancedFolders=1\r\n");
}

TEST_F(IniFileTest, WriteInAFolderWithoutWritePermissionIsRefused) {
  const std::string folder = dir_.mkdir("locked");
  openFolderToAll();
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  const std::string file = folder + "/Varko64.INI";
  const auto seen = writeUnprivileged(file, folder);
  if (!seen) GTEST_SKIP() << kNoDrop;
  EXPECT_EQ(*seen, "Unable to write to " + file);
  EXPECT_FALSE(xcFileExists(T(file)));
}

// Fault: a writable settings file in a folder that is not was refused, as no temporary file
// could be made beside it.
TEST_F(IniFileTest, RegressionWritableFileInAReadOnlyFolderIsWrittenInPlace) {
  const std::string folder = dir_.mkdir("locked");
  const std::string file = dir_.write("locked/Varko64.INI", "; mine\n[Settings]\r\nSimpleOrAdvancedFolders=1\r\n");
  ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(file.c_str(), 0666), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  const auto seen = writeUnprivileged(file, folder);
  if (!seen) GTEST_SKIP() << kNoDrop;
  EXPECT_EQ(*seen, "written");
  EXPECT_EQ(readFileBytes(file), "; mine\n[Settings]\r\nSimpleOrAdvancedFolders=2\r\n");
  auto it = std::filesystem::directory_iterator(folder);
  EXPECT_EQ(std::distance(begin(it), end(it)), 1);
}

// Fault: the rename over the file cut its other hard links off the new content.
TEST_F(IniFileTest, RegressionWriteKeepsTheFilesHardLinks) {
  IniFile ini = iniWith("[S]\r\nk=1\r\n");
  ASSERT_EQ(link(dir_.file("Varko64.INI").c_str(), dir_.file("other.ini").c_str()), 0);
  struct stat before, after;
  ASSERT_EQ(stat(dir_.file("Varko64.INI").c_str(), &before), 0);
  ini.WriteInteger(u"S", u"k", 2);
  ASSERT_EQ(stat(dir_.file("Varko64.INI").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(readFileBytes(dir_.file("other.ini")), "[S]\r\nk=2\r\n");
}

// Fault: another user saving a file they may write made it theirs through the rename.
TEST_F(IniFileTest, RegressionWriteByAnotherUserKeepsTheFilesOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs a file owned by another user";
  const std::string file = dir_.write("Varko64.INI", "[Settings]\r\nSimpleOrAdvancedFolders=1\r\n");
  openFolderToAll();
  ASSERT_EQ(chmod(file.c_str(), 0666), 0);
  const auto seen = writeUnprivileged(file);
  if (!seen) GTEST_SKIP() << kNoDrop;
  EXPECT_EQ(*seen, "written");
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_gid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0666u);
  EXPECT_EQ(readFileBytes(file), "[Settings]\r\nSimpleOrAdvancedFolders=2\r\n");
}

}  // namespace
}  // namespace varko
