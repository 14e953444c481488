#pragma once
// One file (the settings file) opened in a text editor with its path kept whole: a blank in the
// path is part of the name, not the start of another file.
#include "results/EditFiles.h"

namespace varko {

EditFilesCommand xcEditFileCommand(const Text& file, const Text& preferredEditor = kPreferredEditorPath,
                                   const ProgramFinder& findProgram = findProgramOnPath);

}  // namespace varko
