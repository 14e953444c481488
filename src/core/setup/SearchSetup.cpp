#include "setup/SearchSetup.h"

#include <algorithm>

#include "lib/Library.h"

namespace varko {

namespace {
void append(RequestList& list, const Text& item) {
  if (!list.items.empty()) list.text += u',';
  list.items.push_back(item);
  list.text += item;
}
}  // namespace

RequestList PrepareAdvancedFolders(const AdvancedList& folders, int folderMode, Text& editFolder) {
  RequestList list;
  for (int i = 0; i < kAdvancedSlots; ++i) {
    const Text& folder = folders.texts[static_cast<size_t>(i)];
    if (!xcIsBlank(folder) && xcFolderExists(folder) && folders.checked[static_cast<size_t>(i)])
      append(list, folder);
  }
  if (folderMode == kAdvancedMode)
    editFolder = list.text;
  else if (!folders.texts[0].empty())
    editFolder = folders.texts[0];
  return list;
}

RequestList PrepareAdvancedFileSpecs(const AdvancedList& fileSpecs) {
  RequestList list;
  bool all = false;
  for (int i = 0; i < kAdvancedSlots; ++i) {
    if (!fileSpecs.checked[static_cast<size_t>(i)]) continue;
    const Text& mask = fileSpecs.texts[static_cast<size_t>(i)];
    append(list, mask);
    if (xcSameText(mask, u"*.*")) all = true;
  }
  if (all) {
    list.items = {u"*.*"};
    list.text = u"*.*";
  }
  return list;
}

RequestList PrepareAdvancedStrings(const StringTable& strings) {
  RequestList list;
  for (int n = 1; n <= kMaxStrings; ++n)
    if (!xcIsBlank(strings.find(n))) append(list, strings.find(n));
  return list;
}

std::vector<SearchPair> TablePairs(const StringTable& strings) {
  std::vector<SearchPair> pairs;
  for (int n = 1; n <= std::min(strings.count, kMaxStrings); ++n) pairs.push_back({strings.find(n), strings.replace(n)});
  return pairs;
}

void SearchHistory::AddStringToHistory(const Text& text) {
  if (text.empty()) return;
  for (const auto& item : items_)
    if (xcSameTextNoTrim(item, text)) return;
  items_.push_back(text);
}

}  // namespace varko
