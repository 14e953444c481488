#include "setup/SearchInputs.h"

#include "lib/DateTime.h"
#include "lib/Library.h"
#include "search/RunHost.h"

namespace varko {

Text SetLabelText(int32_t count, const Text& word) {
  Text text = intToText(count) + u" " + xcTrim(word);
  if (count != 1) text += u's';
  return text;
}

Text KeepFirstEntry(const Text& text) {
  if (xcIsBlank(text)) return Text();
  size_t comma = text.find(u',');
  return comma == Text::npos ? text : text.substr(0, comma);
}

Text RunStateTitle(int state, bool replaceOn, const Text& searchStringsText) {
  Text title = kProgramTitle;
  if (state == kRunRunning && replaceOn) return title + u" - Replace - " + searchStringsText;
  if (state == kRunRunning || state == kRunFinished) return title + u" - " + searchStringsText;
  return title;
}

Text CurrentFolderHint(const Text& currentFolder) { return u"Current folder - " + currentFolder; }

Text FolderFieldHint(int folderMode) {
  return folderMode == kAdvancedMode ? u"Click Browse to choose folder"
                                     : u"Double-click or click Browse to choose folder";
}

Text StringFieldHint(int stringMode) {
  return stringMode == kAdvancedMode ? u"Click select button to select multiple strings"
                                     : u"String to search for";
}

Text AdvancedStringsHint(const RequestList& strings) {
  Text hint;
  for (const Text& s : strings.items) {
    if (!hint.empty()) hint += u"\r\n";
    hint += s;
  }
  return hint;
}

FolderSelection AdvancedFolderSelection(const AdvancedList& folders) {
  FolderSelection selection;
  for (int i = 0; i < kAdvancedSlots; ++i) {
    Text folder = xcTrim(folders.texts[static_cast<size_t>(i)]);
    if (!folders.checked[static_cast<size_t>(i)] || folder.empty() || !xcFolderExists(folder)) continue;
    if (!selection.text.empty()) selection.text += u',';
    selection.text += folder;
    ++selection.count;
    if (folder.find(u' ') != Text::npos) selection.withBlank = true;
  }
  return selection;
}

Text FillEmptyFolder(const Text& fieldText, AdvancedList& folders, const Text& exeFolder) {
  Text folder = fieldText;
  if (xcIsBlank(folder)) folder = folders.texts[0];
  if (xcIsBlank(folder)) folder = exeFolder;
  if (xcIsBlank(folders.texts[0])) folders.texts[0] = folder;
  return folder;
}

Text DoubleClickStartFolder(const Text& currentFolder, const Text& fieldText, const AdvancedList& folders,
                            const Text& exeFolder) {
  Text folder = currentFolder;
  if (xcIsBlank(folder)) folder = fieldText;
  if (xcIsBlank(folder)) folder = folders.texts[0];
  if (xcIsBlank(folder) || !xcFolderExists(xcTrim(folder))) folder = exeFolder;
  return folder;
}

void FillDateDefaults(DateFieldTexts& fields, const Clock& clock) {
  if (xcIsBlank(fields.date1)) fields.date1 = xcTodayText(clock);
  if (xcIsBlank(fields.date2)) fields.date2 = xcTodayText(clock);
  if (xcIsBlank(fields.time1)) fields.time1 = u"00:00:00";
  if (xcIsBlank(fields.time2)) fields.time2 = u"23:59:59";
}

bool FieldsChangedSinceFocus(const FieldTexts& now, const FieldTexts& atFocus) {
  return now.folder != atFocus.folder || now.fileSpec != atFocus.fileSpec || now.string != atFocus.string;
}

}  // namespace varko
