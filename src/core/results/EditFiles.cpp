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
    out.launch.arguments = xcSplitCommandLine(files);
    return out;
  }
  for (const Text& editor : PlainTextEditors()) {
    Text found = findProgram ? findProgram(editor) : Text();
    if (!found.empty()) {
      out.launch.program = found;
      out.launch.arguments = {out.parameters};
      return out;
    }
  }
  out.launch.kind = LaunchCommand::Kind::OpenDocument;
  out.launch.document = out.parameters;
  return out;
}

}  // namespace varko
