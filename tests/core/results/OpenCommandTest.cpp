#include "results/OpenCommand.h"

#include <gtest/gtest.h>
#include "support/TestSupport.h"

using namespace varko;
using varko::test::TempDir;

namespace {

OpenRow matchRow(const Text& path, const Text& line = u"12", const Text& position = u"5") {
  return OpenRow{line, path, position};
}

// A finder that knows only the given programs, so no test depends on what is installed.
ProgramFinder onlyFinds(TextList known) {
  return [known](const Text& name) -> Text {
    for (const Text& k : known)
      if (k == name) return u"/usr/bin/" + name;
    return Text();
  };
}

const ProgramFinder kFindsNothing = onlyFinds({});

}  // namespace

TEST(QuoteIfSpacesTest, PathWithBlankIsQuotedOnce) {
  EXPECT_EQ(xcQuoteIfSpaces(u"/logs/a b.log"), u"\"/logs/a b.log\"");
  EXPECT_EQ(xcQuoteIfSpaces(u"\"/logs/a b.log\""), u"\"/logs/a b.log\"");
  EXPECT_EQ(xcQuoteIfSpaces(u"  /logs/a b.log  "), u"\"/logs/a b.log\"");
}

TEST(QuoteIfSpacesTest, TextWithoutBlankIsReturnedUntouched) {
  EXPECT_EQ(xcQuoteIfSpaces(u"/logs/ab.log"), u"/logs/ab.log");
  EXPECT_EQ(xcQuoteIfSpaces(u" /logs/ab.log "), u" /logs/ab.log ");
  EXPECT_EQ(xcQuoteIfSpaces(u""), u"");
}

TEST(QuoteIfSpacesTest, QuoteAtOneEndOnlyStillQuotes) {
  EXPECT_EQ(xcQuoteIfSpaces(u"\"a b"), u"\"\"a b\"");
}

TEST(OpenExtensionTest, ExtensionIsCleaned) {
  EXPECT_EQ(OpenExtension(u"/src/unit1.pas"), u".pas");
  EXPECT_EQ(OpenExtension(u"/src.d/readme"), u"");
  EXPECT_EQ(CleanOpenExtension(u".pas"), u"pas");
  EXPECT_EQ(CleanOpenExtension(u". txt\""), u"txt");
  EXPECT_EQ(CleanOpenExtension(u"."), u"");
}

TEST(OpenCommandTest, ViewerSectionKeyIgnoresLetterCase) {
  TempDir dir;
  IniFile ini(pathToText(dir.write("Varko64.INI", "[viewer]\r\nTXT=  kate  \r\nLOG=Windows\r\n")));
  EXPECT_EQ(ReadOpenCommand(ini, u"txt"), u"kate");
  EXPECT_EQ(ReadOpenCommand(ini, u"Log"), u"Windows");
  EXPECT_EQ(ReadOpenCommand(ini, u"pas"), u"ASK");
}

TEST(OpenCommandTest, CommandWords) {
  EXPECT_TRUE(IsAskCommand(u" ask "));
  EXPECT_TRUE(IsViewerCommand(u"Viewer"));
  EXPECT_FALSE(IsViewerCommand(u"viewer"));
  EXPECT_TRUE(IsWindowsCommand(u" WINDOWS"));
  EXPECT_TRUE(IsNotepadCommand(u"notepad.EXE"));
  EXPECT_TRUE(IsNotepadCommand(u"Notepad"));
  EXPECT_FALSE(IsNotepadCommand(u"Notepad++"));
}

TEST(OpenCommandTest, EditplusGetsCursorLineAndColumn) {
  PreparedOpen p = PrepareOpenCommand(u"editplus", matchRow(u"/src/a b.txt"), kFindsNothing);
  EXPECT_EQ(p.command, u"editplus");
  EXPECT_EQ(p.parameters, u" -cursor 12:5 \"/src/a b.txt\"");
  EXPECT_EQ(p.launch.kind, LaunchCommand::Kind::StartProgram);
  EXPECT_EQ(p.launch.program, u"editplus");
  EXPECT_EQ(p.launch.arguments, (TextList{u"-cursor", u"12:5", u"/src/a b.txt"}));
}

TEST(OpenCommandTest, EditplusOnFileNameRowUsesEmptyCellsAsTheyStand) {
  PreparedOpen p = PrepareOpenCommand(u"EditPlus.exe", matchRow(u"/src/a.txt", u"", u""), kFindsNothing);
  EXPECT_EQ(p.parameters, u" -cursor : /src/a.txt");
  EXPECT_EQ(p.launch.arguments, (TextList{u"-cursor", u":", u"/src/a.txt"}));
}

TEST(OpenCommandTest, NotepadPlusPlusFormKeepsColonAfterLine) {
  PreparedOpen p = PrepareOpenCommand(u"notepad++", matchRow(u"/src/a.txt"), kFindsNothing);
  EXPECT_EQ(p.parameters, u" -n12: -c5 /src/a.txt");
  EXPECT_EQ(p.launch.arguments, (TextList{u"-n12:", u"-c5", u"/src/a.txt"}));
  EXPECT_EQ(EditorKindOf(u"NotepadPlus"), EditorKind::NotepadPlusPlus);
}

TEST(OpenCommandTest, NotepadPlusPlusWinsOverEditplus) {
  PreparedOpen p = PrepareOpenCommand(u"EditPLus-Notepad++", matchRow(u"/src/a.txt"), kFindsNothing);
  EXPECT_EQ(p.parameters, u" -n12: -c5 /src/a.txt");
}

TEST(OpenCommandTest, WindowsOpensTheQuotedDocumentWithoutParameters) {
  PreparedOpen p = PrepareOpenCommand(u"Windows", matchRow(u"/logs/a b.log"), kFindsNothing);
  EXPECT_EQ(p.command, u"\"/logs/a b.log\"");
  EXPECT_EQ(p.parameters, u"");
  EXPECT_EQ(p.launch.kind, LaunchCommand::Kind::OpenDocument);
  EXPECT_EQ(p.launch.document, u"/logs/a b.log");
}

TEST(OpenCommandTest, EmptyCommandIsThePlainTextEditor) {
  PreparedOpen p = PrepareOpenCommand(u"", matchRow(u"/src/a.txt"), onlyFinds({u"kate", u"gedit"}));
  EXPECT_EQ(p.command, u"Notepad.exe");
  EXPECT_EQ(p.parameters, u" /src/a.txt");
  // gedit comes before kate in the preferred order, and Notepad does not position.
  EXPECT_EQ(p.launch.program, u"/usr/bin/gedit");
  EXPECT_EQ(p.launch.arguments, (TextList{u"/src/a.txt"}));
}

TEST(OpenCommandTest, NotepadWithoutAnyPlainEditorUsesTheDefaultProgram) {
  PreparedOpen p = PrepareOpenCommand(u"notepad.exe", matchRow(u"/src/a.txt"), kFindsNothing);
  EXPECT_EQ(p.launch.kind, LaunchCommand::Kind::OpenDocument);
  EXPECT_EQ(p.launch.document, u"/src/a.txt");
}

TEST(OpenCommandTest, ProgramInMissingFolderFallsBackToNotepad) {
  TempDir dir;
  PreparedOpen p = PrepareOpenCommand(dir.text() + u"gone/editplus", matchRow(u"/src/a.txt"),
                                      onlyFinds({u"mousepad"}));
  EXPECT_EQ(p.command, u"Notepad.exe");
  EXPECT_EQ(p.parameters, u" /src/a.txt");
  EXPECT_EQ(p.launch.program, u"/usr/bin/mousepad");

  PreparedOpen windowsPath =
      PrepareOpenCommand(u"C:\\Program Files\\EditPlus\\editplus.exe", matchRow(u"/a.txt"), kFindsNothing);
  EXPECT_EQ(windowsPath.command, u"Notepad.exe");
}

TEST(OpenCommandTest, OnlyTheProgramIsTestedForAMissingFolderNotItsArguments) {
  PreparedOpen p = PrepareOpenCommand(u"code --user-data-dir /gone/profile", matchRow(u"/src/a.txt"), kFindsNothing);
  EXPECT_EQ(p.command, u"code --user-data-dir /gone/profile");
  PreparedOpen quoted =
      PrepareOpenCommand(u"\"/gone folder/ed\" -x /tmp", matchRow(u"/src/a.txt"), kFindsNothing);
  EXPECT_EQ(quoted.command, u"Notepad.exe");
}

TEST(OpenCommandTest, ProgramInExistingFolderIsKeptEvenWithBlanks) {
  TempDir dir;
  Text program = pathToText(dir.write("my tools/fancyedit", "#!/bin/sh\n"));
  PreparedOpen p = PrepareOpenCommand(program, matchRow(u"/src/a.txt"), kFindsNothing);
  EXPECT_EQ(p.command, program);
  EXPECT_EQ(p.launch.program, program);
  EXPECT_EQ(p.launch.arguments, (TextList{u"/src/a.txt"}));
}

TEST(OpenCommandTest, CommandWithWordsIsSplitLikeACommandLine) {
  PreparedOpen p = PrepareOpenCommand(u"flatpak run org.gnome.gedit", matchRow(u"/a.txt"), kFindsNothing);
  EXPECT_EQ(p.launch.program, u"flatpak");
  EXPECT_EQ(p.launch.arguments, (TextList{u"run", u"org.gnome.gedit", u"/a.txt"}));
}

struct LinuxEditorCase {
  const char16_t* command;
  TextList withLineAndColumn;
  TextList withLineOnly;
};

class LinuxEditorTest : public ::testing::TestWithParam<LinuxEditorCase> {};

TEST_P(LinuxEditorTest, EditorGetsLineAndColumnInItsOwnForm) {
  const LinuxEditorCase& c = GetParam();
  PreparedOpen both = PrepareOpenCommand(c.command, matchRow(u"/s/a b.c"), kFindsNothing);
  EXPECT_EQ(both.launch.kind, LaunchCommand::Kind::StartProgram);
  EXPECT_EQ(both.launch.program, Text(c.command));
  EXPECT_EQ(both.launch.arguments, c.withLineAndColumn);
  PreparedOpen lineOnly = PrepareOpenCommand(c.command, matchRow(u"/s/a b.c", u"12", u""), kFindsNothing);
  EXPECT_EQ(lineOnly.launch.arguments, c.withLineOnly);
  // File-name and notice rows carry no line: the file alone.
  for (const char16_t* noLine : {u"", u"-1"}) {
    PreparedOpen none = PrepareOpenCommand(c.command, matchRow(u"/s/a b.c", noLine, u""), kFindsNothing);
    EXPECT_EQ(none.launch.arguments, TextList{u"/s/a b.c"});
  }
}

INSTANTIATE_TEST_SUITE_P(
    editors, LinuxEditorTest,
    ::testing::Values(
        LinuxEditorCase{u"code", {u"-g", u"/s/a b.c:12:5"}, {u"-g", u"/s/a b.c:12"}},
        LinuxEditorCase{u"kate", {u"-l", u"12", u"-c", u"5", u"/s/a b.c"}, {u"-l", u"12", u"/s/a b.c"}},
        LinuxEditorCase{u"gedit", {u"+12:5", u"/s/a b.c"}, {u"+12", u"/s/a b.c"}},
        LinuxEditorCase{u"gnome-text-editor", {u"+12:5", u"/s/a b.c"}, {u"+12", u"/s/a b.c"}},
        LinuxEditorCase{u"gvim", {u"+12", u"/s/a b.c"}, {u"+12", u"/s/a b.c"}},
        LinuxEditorCase{u"subl", {u"/s/a b.c:12:5"}, {u"/s/a b.c:12"}},
        LinuxEditorCase{u"emacs", {u"+12:5", u"/s/a b.c"}, {u"+12", u"/s/a b.c"}}));

TEST(OpenCommandTest, LinuxEditorRecognisedByFullPathAndShowsItsArguments) {
  PreparedOpen p = PrepareOpenCommand(u"/usr/bin/kate", matchRow(u"/s/a b.c"), kFindsNothing);
  EXPECT_EQ(p.launch.program, u"/usr/bin/kate");
  EXPECT_EQ(p.launch.arguments, (TextList{u"-l", u"12", u"-c", u"5", u"/s/a b.c"}));
  EXPECT_EQ(p.parameters, u" -l 12 -c 5 \"/s/a b.c\"");
  EXPECT_EQ(EditorKindOf(u"Code"), EditorKind::VsCode);
  EXPECT_EQ(EditorKindOf(u"codex"), EditorKind::Other);
}

TEST(OpenCommandTest, VimRunsInATerminal) {
  PreparedOpen p = PrepareOpenCommand(u"vim", matchRow(u"/s/a.c"), kFindsNothing);
  EXPECT_EQ(p.launch.program, Text(kTerminalProgram));
  EXPECT_EQ(p.launch.arguments, (TextList{u"-e", u"vim", u"+12", u"/s/a.c"}));
}

TEST(DoubleClickTest, ClipboardGetsTrimmedSearchStringEvenWithoutExtension) {
  TempDir dir;
  IniFile ini(dir.text() + u"Varko64.INI");
  DoubleClickInput in;
  in.row = matchRow(u"");
  in.copyToClipboard = true;
  in.searchString = u"  cat dog  ";
  DoubleClickStart s = StartDoubleClick(in, ini);
  EXPECT_TRUE(s.setClipboard);
  EXPECT_EQ(s.clipboardText, u"cat dog");
  EXPECT_FALSE(s.hasFile);

  in.copyToClipboard = false;
  in.row = matchRow(u"/src/Makefile");
  s = StartDoubleClick(in, ini);
  EXPECT_FALSE(s.setClipboard);
  EXPECT_FALSE(s.hasFile);
}

TEST(DoubleClickTest, MissingEntryAsksAndTestInformationNamesTheSettings) {
  TempDir dir;
  Text iniName = pathToText(dir.write("Varko64.INI", "[Viewer]\r\ntxt=gedit\r\n"));
  IniFile ini(iniName);
  DoubleClickInput in;
  in.row = matchRow(u"/src/unit1.PAS");
  in.testInfo = true;
  DoubleClickStart s = StartDoubleClick(in, ini);
  EXPECT_TRUE(s.hasFile);
  EXPECT_TRUE(s.ask);
  EXPECT_EQ(s.extension, u"PAS");
  EXPECT_EQ(s.testMessage, u"Ini file - opening file with\r\ninifile=" + iniName +
                               u"\r\nExtension=PAS\r\nEditCommand=ASK\r\n");

  in.row = matchRow(u"/src/notes.txt");
  in.testInfo = false;
  s = StartDoubleClick(in, ini);
  EXPECT_FALSE(s.ask);
  EXPECT_EQ(s.openCommand, u"gedit");
  EXPECT_EQ(s.testMessage, u"");
}

TEST(DoubleClickTest, ViewerExactlyOpensTheViewWindow) {
  DoubleClickInput in;
  in.row = matchRow(u"/src/a.txt");
  in.testInfo = true;
  DoubleClickFinish f = FinishDoubleClick(u"Viewer", in, u"txt", kFindsNothing);
  EXPECT_TRUE(f.view);
  EXPECT_EQ(f.testMessage, u"");

  // Any other letter case is a program name handed to the desktop.
  f = FinishDoubleClick(u"viewer", in, u"txt", kFindsNothing);
  EXPECT_FALSE(f.view);
  EXPECT_EQ(f.prepared.launch.program, u"viewer");
  EXPECT_EQ(f.testMessage,
            u"Final opening file with\r\nExtension=txt\r\nEditCommand=viewer\r\n      args= /src/a.txt");
}

TEST(DoubleClickTest, AskWindowClosedTheFirstTimeMeansNotepad) {
  DoubleClickInput in;
  in.row = matchRow(u"/src/a.txt");
  DoubleClickFinish f = FinishDoubleClick(u"", in, u"txt", onlyFinds({u"featherpad"}));
  EXPECT_FALSE(f.view);
  EXPECT_EQ(f.prepared.command, u"Notepad.exe");
  EXPECT_EQ(f.prepared.launch.program, u"/usr/bin/featherpad");
}

TEST(DoubleClickTest, TestInfoSwitchFromBoxOrArgument) {
  EXPECT_TRUE(TestInfoSwitch(true, u""));
  EXPECT_TRUE(TestInfoSwitch(false, u"-V"));
  EXPECT_TRUE(TestInfoSwitch(false, u" -v "));
  EXPECT_FALSE(TestInfoSwitch(false, u"-vv"));
}
