#include "setup/SearchInputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lib/DateTime.h"
#include "results/EditFileCommand.h"
#include "search/RunHost.h"
#include "support/TestSupport.h"

using namespace varko;

namespace {
Text T(const std::filesystem::path& p) { return fromUtf8(p.string()); }
}  // namespace

TEST(SearchInputsTest, LabelTextCountsWithPlural) {
  EXPECT_EQ(SetLabelText(1, u"String"), u"1 String");
  EXPECT_EQ(SetLabelText(0, u"String"), u"0 Strings");
  EXPECT_EQ(SetLabelText(11, u" Folder "), u"11 Folders");
}

TEST(SearchInputsTest, KeepFirstEntryCutsAtTheFirstCommaUntrimmed) {
  EXPECT_EQ(KeepFirstEntry(u"/a,/b"), u"/a");
  EXPECT_EQ(KeepFirstEntry(u" *.pas ,*.dfm"), u" *.pas ");
  EXPECT_EQ(KeepFirstEntry(u"*.pas"), u"*.pas");
  EXPECT_EQ(KeepFirstEntry(u"   "), u"");
  EXPECT_EQ(KeepFirstEntry(u",x"), u"");
}

TEST(SearchInputsTest, TitlesOfTheRunStates) {
  EXPECT_EQ(RunStateTitle(kRunIdle, true, u"abc"), u"Tessel v7.25.7.28");
  EXPECT_EQ(RunStateTitle(kRunRunning, false, u"abc"), u"Tessel v7.25.7.28 - abc");
  EXPECT_EQ(RunStateTitle(kRunRunning, true, u"abc"), u"Tessel v7.25.7.28 - Replace - abc");
  EXPECT_EQ(RunStateTitle(kRunFinished, true, u"abc"), u"Tessel v7.25.7.28 - abc");
}

TEST(SearchInputsTest, FieldHintsFollowTheModes) {
  EXPECT_EQ(FolderFieldHint(kSimpleMode), u"Double-click or click Browse to choose folder");
  EXPECT_EQ(FolderFieldHint(kAdvancedMode), u"Click Browse to choose folder");
  EXPECT_EQ(StringFieldHint(kSimpleMode), u"String to search for");
  EXPECT_EQ(StringFieldHint(kAdvancedMode), u"Click select button to select multiple strings");
  EXPECT_EQ(CurrentFolderHint(u"/home/u"), u"Current folder - /home/u");
}

TEST(SearchInputsTest, AdvancedFoldersLeaveOutUncheckedBlankAndMissingOnes) {
  test::TempDir temp;
  std::filesystem::path dir = temp.path();
  std::filesystem::create_directories(dir / "one");
  std::filesystem::create_directories(dir / "two words");
  AdvancedList folders;
  folders.texts[0] = T(dir / "one");
  folders.checked[0] = true;
  folders.texts[1] = u"  " + T(dir / "two words") + u" ";
  folders.checked[1] = true;
  folders.texts[2] = T(dir / "gone");
  folders.checked[2] = true;
  folders.texts[3] = T(dir / "one");  // not checked
  folders.checked[5] = true;          // blank
  FolderSelection selection = AdvancedFolderSelection(folders);
  EXPECT_EQ(selection.text, T(dir / "one") + u"," + T(dir / "two words"));
  EXPECT_EQ(selection.count, 2);
  EXPECT_TRUE(selection.withBlank);
}

TEST(SearchInputsTest, EmptyFolderFieldFallsBackAndFillsTheFirstSavedSlot) {
  AdvancedList folders;
  EXPECT_EQ(FillEmptyFolder(u"", folders, u"/exe/"), u"/exe/");
  EXPECT_EQ(folders.texts[0], u"/exe/");
  folders.texts[0] = u"/saved";
  EXPECT_EQ(FillEmptyFolder(u" ", folders, u"/exe/"), u"/saved");
  EXPECT_EQ(FillEmptyFolder(u"/typed", folders, u"/exe/"), u"/typed");
  EXPECT_EQ(folders.texts[0], u"/saved");
}

TEST(SearchInputsTest, DoubleClickStartsAtTheCurrentFolderUnlessItIsMissing) {
  test::TempDir temp;
  std::filesystem::path dir = temp.path();
  AdvancedList folders;
  EXPECT_EQ(DoubleClickStartFolder(T(dir / ""), u"/typed", folders, u"/exe/"), T(dir / ""));
  EXPECT_EQ(DoubleClickStartFolder(u"", u"", folders, u"/exe/"), u"/exe/");
  EXPECT_EQ(DoubleClickStartFolder(T(dir / "gone"), u"", folders, u"/exe/"), u"/exe/");
}

TEST(SearchInputsTest, DateDefaultsFillOnlyBlankFields) {
  FakeClock clock(xcEncodeDate(2024, 3, 5) + 0.5);
  DateFieldTexts fields{u"", u"01-Jan-24", u" ", u"12:00:00"};
  FillDateDefaults(fields, clock);
  EXPECT_EQ(fields.date1, u"05-Mar-24");
  EXPECT_EQ(fields.date2, u"01-Jan-24");
  EXPECT_EQ(fields.time1, u"00:00:00");
  EXPECT_EQ(fields.time2, u"12:00:00");
}

TEST(SearchInputsTest, FieldsChangedSinceFocus) {
  FieldTexts before{u"/a", u"*.*", u"x"};
  EXPECT_FALSE(FieldsChangedSinceFocus(before, before));
  EXPECT_TRUE(FieldsChangedSinceFocus({u"/a", u"*.*", u"x "}, before));
  EXPECT_TRUE(FieldsChangedSinceFocus({u"/b", u"*.*", u"x"}, before));
}

TEST(EditFilesTest, NotepadGetsOnlyTheFirstWord) {
  EditFilesCommand command = xcEditFilesCommand(u"/my dir/Varko64.INI other", u"",
                                                [](const Text& name) { return name == u"kate" ? Text(u"/usr/bin/kate") : Text(); });
  EXPECT_EQ(command.editor, u"Notepad.exe");
  EXPECT_EQ(command.parameters, u"/my");
  EXPECT_EQ(command.launch.kind, LaunchCommand::Kind::StartProgram);
  EXPECT_EQ(command.launch.program, u"/usr/bin/kate");
  EXPECT_EQ(command.launch.arguments, TextList{u"/my"});
}

TEST(EditFilesTest, OneFileIsTakenWholeByEveryEditor) {
  const Text file = u"/tmp/my dir/Varko-1-SS-Tab.txt";
  EditFilesCommand plain = xcEditFileCommand(file, u"", [](const Text& name) { return name == u"kate" ? Text(u"/usr/bin/kate") : Text(); });
  EXPECT_EQ(plain.launch.arguments, TextList{file});
  EXPECT_EQ(xcEditFileCommand(file, u"", [](const Text&) { return Text(); }).launch.document, file);
}

TEST(EditFilesTest, WithoutAPlainEditorTheDesktopOpensTheFile) {
  EditFilesCommand command = xcEditFilesCommand(u"/cfg/Varko64.INI", u"", [](const Text&) { return Text(); });
  EXPECT_EQ(command.launch.kind, LaunchCommand::Kind::OpenDocument);
  EXPECT_EQ(command.launch.document, u"/cfg/Varko64.INI");
  EXPECT_EQ(command.FailureText(u"No such file"), u"Command problem:Notepad.exe /cfg/Varko64.INI\r\nNo such file");
}

TEST(EditFilesTest, ThePreferredEditorTakesTheWholeText) {
  test::TempDir temp;
  std::filesystem::path dir = temp.path();
  auto editor = dir / "editplus";
  std::ofstream(editor) << "#!/bin/sh\n";
  EditFilesCommand command =
      xcEditFilesCommand(u"/a.txt \"/b c.txt\"", T(editor), [](const Text&) { return Text(u"/usr/bin/gedit"); });
  EXPECT_EQ(command.editor, T(editor));
  EXPECT_EQ(command.parameters, u"/a.txt \"/b c.txt\"");
  EXPECT_EQ(command.launch.program, T(editor));
  EXPECT_EQ(command.launch.arguments, (TextList{u"/a.txt", u"/b c.txt"}));
}
