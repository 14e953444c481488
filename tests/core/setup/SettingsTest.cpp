#include "setup/Settings.h"

#include <gtest/gtest.h>

#include <cctype>

#include "lib/Errors.h"
#include "lib/Library.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;
using test::TempDir;

// The file's bytes with CR LF turned into LF, for readable expectations.
std::string lines(const std::string& path) {
  std::string bytes = readFileBytes(path);
  std::string out;
  for (char c : bytes)
    if (c != '\r') out += c;
  return out;
}

class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override { librarySettings().diagnosticLevel = 0; }
  void TearDown() override {
    librarySettings().diagnosticLevel = 0;
    setExePathForTesting(Text());
  }
  Text iniWith(const std::string& content) { return T(dir.write("Varko64.INI", content)); }
  TempDir dir;
};

TEST_F(SettingsTest, FileNameIsExecutablePathWithUpperCaseIni) {
  setExePathForTesting(T(dir.file("Varko64")));  // a writable build folder: settings beside the program
  EXPECT_EQ(SettingsFileName(), T(dir.file("Varko64.INI")));
}

TEST_F(SettingsTest, MissingFileGivesSimpleModesAndEmptyListsWithoutCreatingIt) {
  const std::string file = dir.file("Varko64.INI");
  SavedSettings s = LoadSavedSettings(T(file));
  EXPECT_EQ(s.folderMode, 1);
  EXPECT_EQ(s.fileSpecMode, 1);
  EXPECT_EQ(s.stringMode, 1);
  EXPECT_FALSE(s.replaceExtraInfo);
  EXPECT_FALSE(s.asciiTextTest);
  EXPECT_FALSE(s.listSkipped);
  EXPECT_EQ(s.excludedFolders, u"");
  for (int i = 0; i < kAdvancedSlots; ++i) {
    EXPECT_EQ(s.folders.texts[size_t(i)], u"");
    EXPECT_FALSE(s.folders.checked[size_t(i)]);
    EXPECT_EQ(s.fileSpecs.texts[size_t(i)], u"");
    EXPECT_FALSE(s.fileSpecs.checked[size_t(i)]);
  }
  EXPECT_FALSE(xcFileExists(T(file)));
  EXPECT_EQ(librarySettings().diagnosticLevel, 0);
}

struct ModeCase {
  const char* value;
  int expected;
};
void PrintTo(const ModeCase& c, std::ostream* os) { *os << '"' << c.value << '"'; }
class SettingsModeTest : public SettingsTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(SettingsModeTest, OnlyTwoSelectsTheAdvancedList) {
  const std::string v = GetParam().value;
  Text ini = iniWith("[Settings]\r\nSimpleOrAdvancedFolders=" + v + "\r\nSimpleOrAdvancedFileSpec=" +
                     v + "\r\nSimpleOrAdvancedStrings=" + v + "\r\n");
  SavedSettings s = LoadSavedSettings(ini);
  EXPECT_EQ(s.folderMode, GetParam().expected);
  EXPECT_EQ(s.fileSpecMode, GetParam().expected);
  EXPECT_EQ(s.stringMode, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(values, SettingsModeTest,
                         ::testing::Values(ModeCase{"2", 2}, ModeCase{"0x2", 2}, ModeCase{"3", 1},
                                           ModeCase{"0", 1}, ModeCase{"-2", 1},
                                           ModeCase{"advanced", 1}, ModeCase{"", 1}),
                         [](const ::testing::TestParamInfo<ModeCase>& info) {
                           std::string name;
                           for (const char* c = info.param.value; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           return "value_" + name + "_" + std::to_string(info.index);
                         });

TEST_F(SettingsTest, SectionAndKeyNamesIgnoreLetterCase) {
  SavedSettings s = LoadSavedSettings(
      iniWith("[settings]\r\nsimpleoradvancedfilespec=2\r\n[FOLDERS]\r\nsavedfolder4=/data\r\n"));
  EXPECT_EQ(s.fileSpecMode, 2);
  EXPECT_EQ(s.folderMode, 1);
  EXPECT_EQ(s.folders.texts[4], u"/data");
}

TEST_F(SettingsTest, ListsAreReadTrimmedWithTheirCheckMarks) {
  SavedSettings s = LoadSavedSettings(iniWith(
      "[Folders]\r\nSavedFolder0=  /home/me/src  \r\nSavedFolderSelected0=1\r\n"
      "SavedFolder10=/last\r\nSavedFolderSelected10=7\r\nSavedFolderSelected3=x\r\n"
      "[Filespec]\r\nSavedFilespec2=*.txt\r\nSavedFilespecSelected2=1\r\n"
      "SavedFilespecSelected0=0\r\n"));
  EXPECT_EQ(s.folders.texts[0], u"/home/me/src");
  EXPECT_TRUE(s.folders.checked[0]);
  EXPECT_EQ(s.folders.texts[10], u"/last");
  EXPECT_TRUE(s.folders.checked[10]);   // any number but 0 is true
  EXPECT_FALSE(s.folders.checked[3]);   // not a number: the default
  EXPECT_EQ(s.fileSpecs.texts[2], u"*.txt");
  EXPECT_TRUE(s.fileSpecs.checked[2]);
  EXPECT_FALSE(s.fileSpecs.checked[0]);
  // The folder keys do not leak into the filespec list or the other way round.
  EXPECT_EQ(s.fileSpecs.texts[0], u"");
  EXPECT_EQ(s.folders.texts[2], u"");
}

TEST_F(SettingsTest, TestingSwitchRaisesTheDiagnosticLevel) {
  SavedSettings off = LoadSavedSettings(iniWith("[Testing]\r\nReplaceExtraInfo=0\r\n"));
  EXPECT_FALSE(off.replaceExtraInfo);
  EXPECT_EQ(librarySettings().diagnosticLevel, 0);
  SavedSettings on = LoadSavedSettings(iniWith("[Testing]\r\nReplaceExtraInfo=1\r\n"));
  EXPECT_TRUE(on.replaceExtraInfo);
  EXPECT_EQ(librarySettings().diagnosticLevel, 3);
}

SavedSettings sample() {
  SavedSettings s;
  s.folderMode = kAdvancedMode;
  s.fileSpecMode = kSimpleMode;
  s.stringMode = kAdvancedMode;
  s.replaceExtraInfo = true;
  s.folders.texts[0] = u"/src";
  s.folders.checked[0] = true;
  s.folders.texts[3] = u"/docs";
  s.fileSpecs.texts[0] = u"*.cpp";
  s.listSkipped = true;
  s.respectGitignore = true;
  s.excludedFolders = u"node_modules;build";
  return s;
}

TEST_F(SettingsTest, SaveAsDefaultWritesEveryFolderKeyThenModesAndOptionsThenTesting) {
  const Text ini = T(dir.file("Varko64.INI"));
  WriteSettingsAsDefault(ini, sample());
  std::string expected = "[Folders]\n";
  for (int i = 0; i < kAdvancedSlots; ++i) {
    std::string n = std::to_string(i);
    expected += "SavedFolder" + n + "=" + (i == 0 ? "/src" : i == 3 ? "/docs" : "") + "\n";
    expected += "SavedFolderSelected" + n + "=" + (i == 0 ? "1" : "0") + "\n";
  }
  expected += "[Settings]\nSimpleOrAdvancedFolders=2\nSimpleOrAdvancedFileSpec=1\n"
              "SimpleOrAdvancedStrings=2\nAsciiTextTest=0\nListSkippedFiles=1\nRegularExpressions=0\nRespectGitignore=1\n"
              "ExcludeFolders=node_modules;build\n"
              "[Testing]\nReplaceExtraInfo=1\n";
  std::string got = lines(test::U8(ini));
  // Blank lines between sections are the file writer's business, not ours.
  std::string compact;
  for (size_t p = 0; p < got.size(); ++p)
    if (!(got[p] == '\n' && (p == 0 || got[p - 1] == '\n'))) compact += got[p];
  EXPECT_EQ(compact, expected);
  EXPECT_NE(readFileBytes(test::U8(ini)).find("SavedFolder7=\r\n"), std::string::npos);
}

TEST_F(SettingsTest, SavedSetupReadsBackAsWritten) {
  const Text ini = T(dir.file("Varko64.INI"));
  SavedSettings written = sample();
  WriteSettingsAsDefault(ini, written);
  SavedSettings read = LoadSavedSettings(ini);
  EXPECT_EQ(read.folderMode, 2);
  EXPECT_EQ(read.stringMode, 2);
  EXPECT_TRUE(read.replaceExtraInfo);
  EXPECT_FALSE(read.asciiTextTest);
  EXPECT_TRUE(read.listSkipped);
  EXPECT_FALSE(read.regularExpressions);
  EXPECT_TRUE(read.respectGitignore);
  EXPECT_EQ(read.excludedFolders, u"node_modules;build");
  EXPECT_EQ(read.folders.texts, written.folders.texts);
  EXPECT_EQ(read.folders.checked, written.folders.checked);
  // The general save leaves the filespec set alone.
  EXPECT_EQ(read.fileSpecs.texts[0], u"");
}

TEST_F(SettingsTest, FoldersSaveReplacesValuesInPlaceAndKeepsOtherLines) {
  const Text ini = iniWith(
      "; my notes\r\n[Settings]\r\nSimpleOrAdvancedFolders=1\r\nSimpleOrAdvancedStrings=2\r\n"
      "[Folders]\r\nSavedFolder0=/old\r\n[Viewer]\r\ntxt=gedit\r\n");
  AdvancedList folders;
  folders.texts[0] = u"/new";
  folders.checked[0] = true;
  WriteSavedFolders(ini, folders, 2);
  std::string got = readFileBytes(test::U8(ini));
  EXPECT_EQ(got.rfind("; my notes\r\n", 0), 0u);
  EXPECT_EQ(got.find("/old"), std::string::npos);
  EXPECT_NE(got.find("[Viewer]\r\ntxt=gedit"), std::string::npos);
  EXPECT_EQ(got.find("SavedFilespec"), std::string::npos);
  SavedSettings read = LoadSavedSettings(ini);
  EXPECT_EQ(read.folderMode, 2);
  EXPECT_EQ(read.stringMode, 2);
  EXPECT_EQ(read.folders.texts[0], u"/new");
  EXPECT_TRUE(read.folders.checked[0]);
}

TEST_F(SettingsTest, FoldersSaveWritesTheFolderKeysBeforeTheMode) {
  const Text ini = T(dir.file("Varko64.INI"));
  WriteSavedFolders(ini, AdvancedList{}, 1);
  std::string got = lines(test::U8(ini));
  EXPECT_EQ(got.rfind("[Folders]\nSavedFolder0=\nSavedFolderSelected0=0\n", 0), 0u);
  EXPECT_LT(got.find("SavedFolderSelected10=0"), got.find("[Settings]\nSimpleOrAdvancedFolders=1"));
}

TEST_F(SettingsTest, FilespecSaveWritesTheSameModeKeyInItsOtherSpelling) {
  const Text ini = iniWith("[Settings]\r\nSimpleOrAdvancedFileSpec=1\r\n");
  AdvancedList specs;
  specs.texts[0] = u"*.*";
  specs.texts[1] = u"*.h";
  specs.checked[1] = true;
  WriteSavedFileSpecs(ini, specs, 2);
  std::string got = readFileBytes(test::U8(ini));
  // One key, replaced in place, not a second line beside it.
  EXPECT_EQ(got.find("SimpleOrAdvancedFileSpec=1"), std::string::npos);
  size_t first = got.find("=2");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(got.find("SimpleOrAdvancedFile", got.find("SimpleOrAdvancedFile") + 1),
            std::string::npos);
  EXPECT_NE(got.find("SavedFilespec10=\r\n"), std::string::npos);
  EXPECT_EQ(got.find("SavedFolder"), std::string::npos);
  SavedSettings read = LoadSavedSettings(ini);
  EXPECT_EQ(read.fileSpecMode, 2);
  EXPECT_EQ(read.fileSpecs.texts[1], u"*.h");
  EXPECT_TRUE(read.fileSpecs.checked[1]);
  EXPECT_FALSE(read.fileSpecs.checked[0]);
}

TEST_F(SettingsTest, RefusedWriteRaisesUnableToWriteAndStops) {
  // A folder where the file should be: the platform refuses every write.
  const Text ini = T(dir.mkdir("Varko64.INI"));
  try {
    WriteSavedFolders(ini, AdvancedList{}, 2);
    FAIL() << "no error raised";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.text(), u"Unable to write to " + ini);
  }
  EXPECT_THROW(WriteSettingsAsDefault(ini, SavedSettings{}), EIniFileException);
}

}  // namespace
}  // namespace varko
