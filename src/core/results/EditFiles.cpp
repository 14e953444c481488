#include "results/EditFiles.h"

#include "lib/Library.h"

namespace varko {

EditFilesCommand xcEditFilesCommand(const Text& files, const Text& preferredEditor,
                                    const ProgramFinder& findProgram) {
  EditFilesCommand out;
  TextList words = xcSplitWords(files, 1);
  out.editor = u"Notepad.exe";
  out.parameters = words.empty() ? Text() : words.front();

  if (!preferredEditor.empty() && xcFileExists(preferredEditor)) {
    out.editor = preferredEditor;
    out.parameters = files;
    out.launch.program = preferredEditor;
    out.launch.arguments = splitCommandLine(files);
    return out;
  }
  out.launch = plainTextEditorLaunch(out.parameters, findProgram);
  return out;
}

}  // namespace varko
