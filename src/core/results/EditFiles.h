#pragma once
// xcEditFiles: opening files in a text editor (the settings file, exports). Only the command is
// built here; the window starts it and reports a failure with FailureText.
#include "results/OpenCommand.h"

namespace varko {

// The preferred editor: used with the whole text as its parameters when a program exists here.
inline constexpr char16_t kPreferredEditorPath[] = u"/usr/local/bin/editplus";

struct EditFilesCommand {
  Text editor;      // as the user would name it: "Notepad.exe" or the preferred editor's path
  Text parameters;  // the first word of the text for Notepad, else the whole text
  LaunchCommand launch;
  Text FailureText(const Text& systemError) const {
    return u"Command problem:" + editor + u" " + parameters + u"\r\n" + systemError;
  }
};

EditFilesCommand xcEditFilesCommand(const Text& files, const Text& preferredEditor = kPreferredEditorPath,
                                    const ProgramFinder& findProgram = findProgramOnPath);

}  // namespace varko
