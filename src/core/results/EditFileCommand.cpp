#include "results/EditFileCommand.h"

namespace varko {

EditFilesCommand xcEditFileCommand(const Text& file, const Text& preferredEditor, const ProgramFinder& findProgram) {
  EditFilesCommand out = xcEditFilesCommand(file, preferredEditor, findProgram);
  out.parameters = file;
  if (out.launch.kind == LaunchCommand::Kind::OpenDocument)
    out.launch.document = file;
  else
    out.launch.arguments = {file};
  return out;
}

}  // namespace varko
