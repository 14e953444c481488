#pragma once
// The main window's texts that follow from its state: count labels, the first entry kept when
// an input returns to simple, the title, the field hints, the folder fallbacks and the date
// field defaults. The window only copies these into its controls.
#include "lib/Clock.h"
#include "lib/Text.h"
#include "setup/SearchSetup.h"
#include "VarkoVersion.h"

namespace varko {

inline constexpr char16_t kProgramTitle[] = u"Tessel v" VARKO_VERSION_TEXT;
inline constexpr char16_t kProgramDescription[] = u"Varko64 - Tessel";

// "1 Folder", "3 Folders", "0 Folders": the count, a blank, the word trimmed, "s" unless 1.
Text SetLabelText(int32_t count, const Text& word);

// The text up to its first comma (not trimmed); a blank text becomes empty.
Text KeepFirstEntry(const Text& text);

// The window title of a run state.
Text RunStateTitle(int state, bool replaceOn, const Text& searchStringsText);

Text CurrentFolderHint(const Text& currentFolder);      // btnCurrent
Text FolderFieldHint(int folderMode);                   // edtFolder
Text StringFieldHint(int stringMode);                   // edtString
// The strings window's list as the field's hint, one string per line.
Text AdvancedStringsHint(const RequestList& strings);

// The folder selection of UpdateFolderSelection in advanced mode.
struct FolderSelection {
  Text text;   // checked, non-blank, existing folders joined with ","
  int count = 0;
  bool withBlank = false;  // one of them holds a blank
};
FolderSelection AdvancedFolderSelection(const AdvancedList& folders);

// FillEmptyFolder: the field's text, else the first saved folder, else the executable's folder.
// An empty first saved folder takes the chosen folder.
Text FillEmptyFolder(const Text& fieldText, AdvancedList& folders, const Text& exeFolder);

// Where the folder picker of a double click opens.
Text DoubleClickStartFolder(const Text& currentFolder, const Text& fieldText, const AdvancedList& folders,
                            const Text& exeFolder);

// FillDateDefaults: blank fields get today, "00:00:00" and "23:59:59".
struct DateFieldTexts {
  Text date1, date2, time1, time2;
};
void FillDateDefaults(DateFieldTexts& fields, const Clock& clock);

// SetStatusColour mode 1: some field differs from its text when it last took the focus.
struct FieldTexts {
  Text folder, fileSpec, string;
};
bool FieldsChangedSinceFocus(const FieldTexts& now, const FieldTexts& atFocus);

}  // namespace varko
