#pragma once
// The search inputs kept by the main window: string table, advanced lists, the request lists
// made from them, and the search history.
#include <array>
#include "lib/Text.h"
#include "search/SearchRequest.h"

namespace varko {

inline constexpr int kMaxStrings = 200;
inline constexpr int kAdvancedSlots = 11;

// Find strings 1..200 paired with replace strings; count = pairs in use.
struct StringTable {
  std::array<Text, kMaxStrings> findStrings;
  std::array<Text, kMaxStrings> replaceStrings;
  int count = 0;
  // 1-based, as the strings are numbered.
  Text& find(int n) { return findStrings[static_cast<size_t>(n - 1)]; }
  const Text& find(int n) const { return findStrings[static_cast<size_t>(n - 1)]; }
  Text& replace(int n) { return replaceStrings[static_cast<size_t>(n - 1)]; }
  const Text& replace(int n) const { return replaceStrings[static_cast<size_t>(n - 1)]; }
};

// Eleven slots (0..10), each a text and a checked flag.
struct AdvancedList {
  std::array<Text, kAdvancedSlots> texts;
  std::array<bool, kAdvancedSlots> checked{};
};


// Checked, non-blank, existing folders. editFolder receives the first slot (simple mode, when
// that slot is not empty) or the joined text (advanced mode).
RequestList PrepareAdvancedFolders(const AdvancedList& folders, int folderMode, Text& editFolder);
// Checked filespecs (blank ones too); any "*.*" makes the list just "*.*".
RequestList PrepareAdvancedFileSpecs(const AdvancedList& fileSpecs);
// Non-blank find strings 1..200 of the table.
RequestList PrepareAdvancedStrings(const StringTable& strings);
// Pairs 1..count of the table: the strings a request carries.
std::vector<SearchPair> TablePairs(const StringTable& strings);

// The search texts entered while the program runs, in the order added; not saved.
class SearchHistory {
public:
  // Appends unless empty or already present (a-z letter case ignored).
  void AddStringToHistory(const Text& text);
  const TextList& items() const { return items_; }
  void clear() { items_.clear(); }
private:
  TextList items_;
};

}  // namespace varko
