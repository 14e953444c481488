#pragma once
// The common library's own configuration and its one window hook.
#include <functional>
#include "lib/Text.h"

namespace varko {

struct LibrarySettings {
  Text logFolder;        // empty: the executable's folder
  Text jmFolder;         // {JM} path macro
  Text jFolder;          // {J} path macro
  int diagnosticLevel = 0;
};
LibrarySettings& librarySettings();

// Library routines that show a message box (an invalid channel open) go through this;
// the window installs a modal box, the command line prints to standard error.
using LibraryMessageHandler = std::function<void(const Text&)>;
void setLibraryMessageHandler(LibraryMessageHandler handler);
void xcShowLibraryMessage(const Text& message);

// The executable's full path, folder (with trailing '/') and file name, from /proc/self/exe.
// Tests may override the path.
Text xcExePath();
Text xcExeFolder();
Text xcExeFileName();
void setExePathForTesting(const Text& path);

// Where the program keeps its own files. Beside the executable when that folder is writable and
// not a system folder (a build folder or an unpacked copy: portable use); otherwise, for an
// installed copy, the user's folders: $XDG_CONFIG_HOME/varko/ (default ~/.config/varko/) for the
// settings file and NORV.INI, $XDG_DATA_HOME/varko/ (default ~/.local/share/varko/) for the run
// log, the archive and the undo manifests. Both end with '/'; the user's folders are created
// when asked for.
bool exeFolderIsPortable();
Text configFolder();
Text dataFolder();

// $TMPDIR, else /tmp, with a trailing '/'.
Text tempFolder();

// Lets the process hold as many open files as the system allows it (up to 65,536): the search
// keeps folders open while their files are examined. The default of 1,024 only matters to
// select(), which this program does not use.
void raiseOpenFileLimit();
// Two malloc arenas for the whole process: the search's threads hand memory to each other, and
// an arena per thread would each keep its own peak.
void limitMallocArenas();

bool xcFileExists(const Text& path);    // a regular file (links followed)
bool xcFolderExists(const Text& path);  // a folder (links followed)
Text xcIncludeTrailingSeparator(const Text& path);
Text xcExtractFilePath(const Text& path);  // up to and including the last '/'
Text xcExtractFileName(const Text& path);
Text xcExtractFileExt(const Text& path);   // from the last '.', dot included; empty if none
Text xcChangeFileExt(const Text& path, const Text& ext);

}  // namespace varko
