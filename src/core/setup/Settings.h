#pragma once
// The settings file beside the executable: the saved modes and advanced lists.
#include "lib/Text.h"
#include "setup/SearchSetup.h"

namespace varko {

// The in-memory state that mirrors the settings file.
struct SavedSettings {
  InputMode folderMode = kSimpleMode;
  InputMode fileSpecMode = kSimpleMode;
  InputMode stringMode = kSimpleMode;
  AdvancedList folders;
  AdvancedList fileSpecs;
  bool replaceExtraInfo = false;  // [Testing] ReplaceExtraInfo
  bool asciiTextTest = false;     // [Settings] AsciiTextTest
  bool listSkipped = false;       // [Settings] ListSkippedFiles
  bool regularExpressions = false;  // [Settings] RegularExpressions
  bool respectGitignore = false;    // [Settings] RespectGitignore
  Text excludedFolders;           // [Settings] ExcludeFolders: names separated by ";"
};

// The executable's path with ".INI" for its extension (<exe folder>/Varko64.INI).
Text SettingsFileName();

// Reads every key in the documented order; a mode other than 2 reads as 1. Sets the library's
// diagnostic level to 3 when the testing switch is on.
SavedSettings LoadSavedSettings(const Text& settingsFile);

// The writes of SaveSettingsAsDefault after its question was answered Yes: [Folders] keys,
// the three modes and the text-test, skipped-files and excluded-folders options, [Testing]. Throws EIniFileException at the first refused key.
void WriteSettingsAsDefault(const Text& settingsFile, const SavedSettings& settings);
// "Save These folders as Default set": [Folders] keys then SimpleOrAdvancedFolders.
void WriteSavedFolders(const Text& settingsFile, const AdvancedList& folders, int folderMode);
// "Save These filespecs as Default set": [Filespec] keys then SimpleOrAdvancedFilespec.
void WriteSavedFileSpecs(const Text& settingsFile, const AdvancedList& fileSpecs, int fileSpecMode);

}  // namespace varko
