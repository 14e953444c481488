#pragma once
// Opening a result row's file: the [Viewer] lookup by extension, the decisions of the double
// click on the results grid, and the command line handed to the desktop. Nothing here launches
// anything, so every command line can be checked by a test.
#include <functional>
#include "lib/IniFile.h"
#include "lib/Programs.h"
#include "lib/Text.h"

namespace varko {

// The text unchanged, or trimmed and wrapped in double quotes when the trimmed text holds a
// blank, has at least 2 characters and is not already quoted at both ends.
Text xcQuoteIfSpaces(const Text& text);

// The cells of a result row the double click reads.
struct OpenRow {
  Text lineText;      // column 0: line number, "-1" on notice rows, empty on file-name rows
  Text path;          // column 2
  Text positionText;  // column 3: 1-based position of the match
};

// From the last dot of the file-name part on, dot included; empty when the name has none.
Text OpenExtension(const Text& path);
// Leading dot removed, trimmed; a trailing double quote becomes a blank and is trimmed away.
Text CleanOpenExtension(const Text& extension);
// [Viewer] <extension>, trimmed, "ASK" when missing (key letter case ignored by IniFile).
Text ReadOpenCommand(const IniFile& settings, const Text& cleanedExtension);

bool IsAskCommand(TextView command);      // "ASK", case and surrounding blanks ignored
bool IsViewerCommand(TextView command);   // exactly "Viewer"
bool IsWindowsCommand(TextView command);  // "Windows", case and surrounding blanks ignored
bool IsNotepadCommand(TextView command);  // "Notepad.exe" or "Notepad", any case

// The editors whose line and column are passed; the first two by containment in the command
// (Notepad++ wins over EditPlus), the others by the program's file name.
enum class EditorKind {
  Other, EditPlus, NotepadPlusPlus, VsCode, Kate, Gedit, GnomeTextEditor, Gvim, Vim, Sublime, Emacs
};
EditorKind EditorKindOf(const Text& command);

// Finds a program on PATH; empty when absent. Tests pass their own finder.
using ProgramFinder = std::function<Text(const Text& name)>;

// The plain text editors tried, in order, for "Notepad.exe".
const TextList& PlainTextEditors();
// Runs programs that need a terminal (vim).
inline constexpr char16_t kTerminalProgram[] = u"x-terminal-emulator";

struct LaunchCommand {
  enum class Kind { StartProgram, OpenDocument };
  Kind kind = Kind::StartProgram;
  Text program;        // StartProgram: a name found on PATH or a full path
  TextList arguments;  // StartProgram
  Text document;       // OpenDocument: a local file path for the desktop's default program
};

// The command and parameter texts as the user configured them (shown by the test
// information) and the launch that carries them out here.
// The file in the first plain text editor findProgram finds, else in the desktop's default program.
LaunchCommand plainTextEditorLaunch(const Text& file, const ProgramFinder& findProgram);

struct PreparedOpen {
  Text command;
  Text parameters;
  LaunchCommand launch;
};
PreparedOpen PrepareOpenCommand(const Text& openCommand, const OpenRow& row,
                                const ProgramFinder& findProgram = findProgramOnPath);

// The double click on a result row, up to the point where the user may be asked.
struct DoubleClickInput {
  OpenRow row;
  bool copyToClipboard = false;  // cbxCopyToCB
  Text searchString;             // edtString
  bool testInfo = false;         // cbxTestInfo or "-v"
};

struct DoubleClickStart {
  bool setClipboard = false;
  Text clipboardText;
  bool hasFile = false;  // false: nothing happens beyond the clipboard copy
  Text extension;        // cleaned
  Text openCommand;
  Text testMessage;      // shown when not empty
  bool ask = false;      // ask with TfrmVarkoEditOptions; its answer becomes the open command
};
DoubleClickStart StartDoubleClick(const DoubleClickInput& input, const IniFile& settings);

struct DoubleClickFinish {
  bool view = false;  // show the file in the view window, nothing else
  PreparedOpen prepared;
  Text testMessage;   // shown before the launch when not empty
};
DoubleClickFinish FinishDoubleClick(const Text& openCommand, const DoubleClickInput& input,
                                    const Text& extension,
                                    const ProgramFinder& findProgram = findProgramOnPath);

// On when the check box is ticked or the first command-line argument is "-v".
bool TestInfoSwitch(bool checkBox, const Text& firstArgument);

}  // namespace varko
