#include "results/OpenCommand.h"

#include "lib/Library.h"
#include "lib/Programs.h"

namespace varko {

namespace {

Text stripQuotes(const Text& text) {
  Text t = xcTrim(text);
  if (t.size() >= 2 && t.front() == u'"' && t.back() == u'"') return t.substr(1, t.size() - 2);
  return t;
}

// The program of a command text: inside its quotes when quoted; a first word without a folder
// (found on PATH); otherwise what comes before the first option, so that a path with blanks
// stays whole.
Text ProgramPartOf(const Text& command) {
  Text t = xcTrim(command);
  if (!t.empty() && t.front() == u'"') {
    size_t close = t.find(u'"', 1);
    return close == Text::npos ? t.substr(1) : t.substr(1, close - 1);
  }
  Text first = t.substr(0, t.find(u' '));
  if (first.find_first_of(u"/\\") == Text::npos) return first;
  size_t option = t.find(u" -");
  return xcTrim(option == Text::npos ? t : t.substr(0, option));
}

// A positive whole number made of digits only, else 0: file-name and notice rows carry no line.
int positiveNumber(const Text& text) {
  Text t = xcTrim(text);
  if (t.empty() || t.size() > 9) return 0;
  int value = 0;
  for (char16_t c : t) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value;
}

struct ProgramWords {
  Text program;
  TextList extra;  // words that followed the program in the configured command
};

// A command naming an existing file is one program even with blanks in its path; anything else
// is read like a command line, so "flatpak run org.gnome.gedit" works too.
ProgramWords splitProgram(const Text& command) {
  ProgramWords words;
  Text bare = stripQuotes(command);
  if (xcFileExists(bare)) {
    words.program = bare;
    return words;
  }
  TextList parts = splitCommandLine(command);
  if (parts.empty()) {
    words.program = bare;
    return words;
  }
  words.program = parts.front();
  words.extra.assign(parts.begin() + 1, parts.end());
  return words;
}

Text joinForDisplay(const TextList& arguments) {
  Text text;
  for (const Text& a : arguments) text += u" " + xcQuoteIfSpaces(a);
  return text;
}

// Line and column in the form each editor reads them.
TextList positionArguments(EditorKind kind, const Text& path, int line, int column) {
  if (line <= 0) return {path};
  Text l = intToText(line);
  Text lc = column > 0 ? l + u":" + intToText(column) : l;
  switch (kind) {
    case EditorKind::VsCode: return {u"-g", path + u":" + lc};
    case EditorKind::Kate:
      if (column > 0) return {u"-l", l, u"-c", intToText(column), path};
      return {u"-l", l, path};
    case EditorKind::Gedit:
    case EditorKind::GnomeTextEditor:
    case EditorKind::Emacs: return {u"+" + lc, path};
    case EditorKind::Gvim:
    case EditorKind::Vim: return {u"+" + l, path};
    case EditorKind::Sublime: return {path + u":" + lc};
    default: return {path};
  }
}

}  // namespace

Text xcQuoteIfSpaces(const Text& text) {
  Text t = xcTrim(text);
  bool quoted = t.size() >= 2 && t.front() == u'"' && t.back() == u'"';
  if (t.find(u' ') != Text::npos && t.size() >= 2 && !quoted) return u"\"" + t + u"\"";
  return text;
}

Text OpenExtension(const Text& path) { return xcExtractFileExt(path); }

Text CleanOpenExtension(const Text& extension) {
  Text e = extension;
  if (!e.empty() && e.front() == u'.') e.erase(0, 1);
  e = xcTrim(e);
  if (!e.empty() && e.back() == u'"') {
    e.back() = u' ';
    e = xcTrim(e);
  }
  return e;
}

Text ReadOpenCommand(const IniFile& settings, const Text& cleanedExtension) {
  return xcTrim(settings.ReadString(u"Viewer", cleanedExtension, u"ASK"));
}

bool IsAskCommand(TextView command) { return xcSameText(command, u"ASK"); }
bool IsViewerCommand(TextView command) { return command == u"Viewer"; }
bool IsWindowsCommand(TextView command) { return xcSameText(command, u"Windows"); }
bool IsNotepadCommand(TextView command) {
  return xcSameText(command, u"Notepad.exe") || xcSameText(command, u"Notepad");
}

EditorKind EditorKindOf(const Text& command) {
  Text upper = xcUpperCase(command);
  if (upper.find(u"NOTEPAD++") != Text::npos || upper.find(u"NOTEPADPLUS") != Text::npos)
    return EditorKind::NotepadPlusPlus;
  if (upper.find(u"EDITPLUS") != Text::npos) return EditorKind::EditPlus;

  Text name = xcExtractFileName(splitProgram(command).program);
  struct Named {
    const char16_t* name;
    EditorKind kind;
  };
  static const Named kNamed[] = {
      {u"code", EditorKind::VsCode},   {u"kate", EditorKind::Kate},
      {u"gedit", EditorKind::Gedit},   {u"gnome-text-editor", EditorKind::GnomeTextEditor},
      {u"gvim", EditorKind::Gvim},     {u"vim", EditorKind::Vim},
      {u"subl", EditorKind::Sublime},  {u"emacs", EditorKind::Emacs},
  };
  for (const Named& n : kNamed)
    if (xcSameTextNoTrim(name, n.name)) return n.kind;
  return EditorKind::Other;
}

const TextList& PlainTextEditors() {
  static const TextList editors = {u"gnome-text-editor", u"gedit", u"kate",  u"kwrite",
                                   u"mousepad",          u"xed",   u"pluma", u"featherpad"};
  return editors;
}

LaunchCommand plainTextEditorLaunch(const Text& file, const ProgramFinder& findProgram) {
  LaunchCommand launch;
  for (const Text& editor : PlainTextEditors()) {
    Text found = findProgram ? findProgram(editor) : Text();
    if (!found.empty()) {
      launch.program = found;
      launch.arguments = {file};
      return launch;
    }
  }
  launch.kind = LaunchCommand::Kind::OpenDocument;
  launch.document = file;
  return launch;
}

PreparedOpen PrepareOpenCommand(const Text& openCommand, const OpenRow& row,
                                const ProgramFinder& findProgram) {
  PreparedOpen out;
  Text command = openCommand;
  if (command.empty()) command = u"Notepad.exe";

  // A program configured in a folder that is gone (another machine's path) falls back quietly.
  // Only the program is tested, not its arguments ("code --user-data-dir /x").
  Text program = ProgramPartOf(command);
  size_t separator = program.find_last_of(u"/\\");
  if (separator != Text::npos && !xcFolderExists(program.substr(0, separator + 1)))
    command = u"Notepad.exe";

  EditorKind kind = EditorKindOf(command);
  Text editorParameters;
  if (kind == EditorKind::EditPlus)
    editorParameters = u" -cursor " + row.lineText + u":" + row.positionText;
  else if (kind == EditorKind::NotepadPlusPlus)
    editorParameters = u" -n" + row.lineText + u":" + u" -c" + row.positionText;

  Text quotedPath = xcQuoteIfSpaces(row.path);
  out.command = command;
  out.parameters = editorParameters + u" " + quotedPath;

  if (IsWindowsCommand(command)) {
    out.command = quotedPath;
    out.parameters.clear();
    out.launch.kind = LaunchCommand::Kind::OpenDocument;
    out.launch.document = row.path;
    return out;
  }

  if (IsNotepadCommand(command)) {
    out.launch = plainTextEditorLaunch(row.path, findProgram);
    return out;
  }

  ProgramWords words = splitProgram(command);
  LaunchCommand& launch = out.launch;
  launch.program = words.program;
  launch.arguments = words.extra;
  if (kind == EditorKind::EditPlus || kind == EditorKind::NotepadPlusPlus || kind == EditorKind::Other) {
    for (Text& word : splitCommandLine(editorParameters)) launch.arguments.push_back(std::move(word));
    launch.arguments.push_back(row.path);
    return out;
  }

  TextList position =
      positionArguments(kind, row.path, positiveNumber(row.lineText), positiveNumber(row.positionText));
  out.parameters = joinForDisplay(position);
  if (kind == EditorKind::Vim) {
    // vim draws in a terminal; started detached it would have none.
    launch.program = kTerminalProgram;
    launch.arguments = {u"-e", words.program};
    for (const Text& word : words.extra) launch.arguments.push_back(word);
  }
  for (Text& word : position) launch.arguments.push_back(std::move(word));
  return out;
}

DoubleClickStart StartDoubleClick(const DoubleClickInput& input, const IniFile& settings) {
  DoubleClickStart start;
  if (input.copyToClipboard) {
    start.setClipboard = true;
    start.clipboardText = xcTrim(input.searchString);
  }
  if (OpenExtension(input.row.path).empty()) return start;
  start.hasFile = true;
  start.extension = CleanOpenExtension(OpenExtension(input.row.path));
  start.openCommand = ReadOpenCommand(settings, start.extension);
  if (input.testInfo)
    start.testMessage = u"Ini file - opening file with\r\ninifile=" + settings.fileName() +
                        u"\r\nExtension=" + start.extension + u"\r\nEditCommand=" +
                        start.openCommand + u"\r\n";
  start.ask = IsAskCommand(start.openCommand);
  return start;
}

DoubleClickFinish FinishDoubleClick(const Text& openCommand, const DoubleClickInput& input,
                                    const Text& extension, const ProgramFinder& findProgram) {
  DoubleClickFinish finish;
  if (IsViewerCommand(openCommand)) {
    finish.view = true;
    return finish;
  }
  finish.prepared = PrepareOpenCommand(openCommand, input.row, findProgram);
  if (input.testInfo)
    finish.testMessage = u"Final opening file with\r\nExtension=" + extension + u"\r\nEditCommand=" +
                         finish.prepared.command + u"\r\n      args=" + finish.prepared.parameters;
  return finish;
}

bool TestInfoSwitch(bool checkBox, const Text& firstArgument) {
  return checkBox || xcSameText(firstArgument, u"-v");
}

}  // namespace varko
