#include "setup/Settings.h"

#include "lib/IniFile.h"
#include "lib/Library.h"

namespace varko {

namespace {
constexpr TextView kSettings = u"Settings";
constexpr TextView kFolders = u"Folders";
constexpr TextView kFilespec = u"Filespec";
constexpr TextView kTesting = u"Testing";

Text numbered(TextView key, int index) { return Text(key) + intToText(index); }

InputMode normalMode(int mode) { return mode == kAdvancedMode ? kAdvancedMode : kSimpleMode; }

void readList(const IniFile& ini, TextView section, TextView textKey, TextView checkedKey,
              AdvancedList& list) {
  for (int i = 0; i < kAdvancedSlots; ++i) {
    list.texts[static_cast<size_t>(i)] = ini.ReadString(section, numbered(textKey, i), Text());
    list.checked[static_cast<size_t>(i)] = ini.ReadBool(section, numbered(checkedKey, i), false);
  }
}

void writeList(IniFile& ini, TextView section, TextView textKey, TextView checkedKey,
               const AdvancedList& list) {
  for (int i = 0; i < kAdvancedSlots; ++i) {
    ini.WriteString(section, numbered(textKey, i), list.texts[static_cast<size_t>(i)]);
    ini.WriteBool(section, numbered(checkedKey, i), list.checked[static_cast<size_t>(i)]);
  }
}
}  // namespace

Text SettingsFileName() { return configFolder() + xcChangeFileExt(xcExeFileName(), u".INI"); }

SavedSettings LoadSavedSettings(const Text& settingsFile) {
  const IniFile ini(settingsFile);
  SavedSettings s;
  s.folderMode = normalMode(ini.ReadInteger(kSettings, u"SimpleOrAdvancedFolders", kSimpleMode));
  s.fileSpecMode = normalMode(ini.ReadInteger(kSettings, u"SimpleOrAdvancedFileSpec", kSimpleMode));
  s.stringMode = normalMode(ini.ReadInteger(kSettings, u"SimpleOrAdvancedStrings", kSimpleMode));
  s.replaceExtraInfo = ini.ReadBool(kTesting, u"ReplaceExtraInfo", false);
  s.asciiTextTest = ini.ReadBool(kSettings, u"AsciiTextTest", false);
  s.listSkipped = ini.ReadBool(kSettings, u"ListSkippedFiles", false);
  s.regularExpressions = ini.ReadBool(kSettings, u"RegularExpressions", false);
  s.respectGitignore = ini.ReadBool(kSettings, u"RespectGitignore", false);
  s.excludedFolders = ini.ReadString(kSettings, u"ExcludeFolders", Text());
  readList(ini, kFolders, u"SavedFolder", u"SavedFolderSelected", s.folders);
  readList(ini, kFilespec, u"SavedFilespec", u"SavedFilespecSelected", s.fileSpecs);
  if (s.replaceExtraInfo) librarySettings().diagnosticLevel = 3;
  return s;
}

void WriteSettingsAsDefault(const Text& settingsFile, const SavedSettings& settings) {
  IniFile ini(settingsFile);
  writeList(ini, kFolders, u"SavedFolder", u"SavedFolderSelected", settings.folders);
  ini.WriteInteger(kSettings, u"SimpleOrAdvancedFolders", settings.folderMode);
  ini.WriteInteger(kSettings, u"SimpleOrAdvancedFileSpec", settings.fileSpecMode);
  ini.WriteInteger(kSettings, u"SimpleOrAdvancedStrings", settings.stringMode);
  ini.WriteBool(kSettings, u"AsciiTextTest", settings.asciiTextTest);
  ini.WriteBool(kSettings, u"ListSkippedFiles", settings.listSkipped);
  ini.WriteBool(kSettings, u"RegularExpressions", settings.regularExpressions);
  ini.WriteBool(kSettings, u"RespectGitignore", settings.respectGitignore);
  ini.WriteString(kSettings, u"ExcludeFolders", settings.excludedFolders);
  ini.WriteBool(kTesting, u"ReplaceExtraInfo", settings.replaceExtraInfo);
}

void WriteSavedFolders(const Text& settingsFile, const AdvancedList& folders, int folderMode) {
  IniFile ini(settingsFile);
  writeList(ini, kFolders, u"SavedFolder", u"SavedFolderSelected", folders);
  ini.WriteInteger(kSettings, u"SimpleOrAdvancedFolders", folderMode);
}

void WriteSavedFileSpecs(const Text& settingsFile, const AdvancedList& fileSpecs,
                         int fileSpecMode) {
  IniFile ini(settingsFile);
  writeList(ini, kFilespec, u"SavedFilespec", u"SavedFilespecSelected", fileSpecs);
  // Spelled as the filespec window always wrote it; the same key, letter case aside.
  ini.WriteInteger(kSettings, u"SimpleOrAdvancedFilespec", fileSpecMode);
}

}  // namespace varko
