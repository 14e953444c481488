#pragma once
// String-set files (tab-separated find and replace strings, one pair a line), the grids that
// show a string table, and the multiple-search text made from the find strings.
#include <array>
#include <vector>
#include "lib/Text.h"
#include "setup/SearchSetup.h"

namespace varko {

inline constexpr int kFindStringsOnly = 1;    // kind 1: find strings only
inline constexpr int kFindAndReplace = 2;     // kind 2: find and replace strings
inline constexpr int kStringSetFieldLimit = 5;

// Splits one line at separator. fields receives limit + 1 entries (field 1 at index 0), number
// the count of fields made. A blank text makes none; each separator ends a field; the scan
// stops after limit + 1 fields; characters after the last separator make one more field only
// while fewer than limit fields were made. Fields are not trimmed.
void xcSplitFields(TextView text, char16_t separator, int limit, TextList& fields, int& number);

struct StringSetLoad {
  bool loaded = false;    // false: the file does not exist or cannot be read; table unchanged
  Text errorText;         // the platform's message when it exists but cannot be read
  int ignoredLines = 0;   // usable lines beyond the table's 200 slots
};

// Fills the find strings (kind 1) or the pairs (kind 2) of the table from a string-set file and
// sets its count. Replace strings are left alone with kind 1. Usable lines beyond 200 are
// ignored and counted, so the caller can say so.
StringSetLoad xcLoadStringSet(int kind, const Text& fileName, StringTable& table);

// Row count := table count; column 0 := find strings, with kind 2 column 1 := replace strings.
using StringGridRows = std::vector<std::array<Text, 2>>;
void xcShowStringSet(int kind, const StringTable& table, StringGridRows& rows);

// "<cat><dog>" for several find strings, find string 1 alone for at most one.
Text MultipleSearchText(const StringTable& table);

struct MultipleFindTake {
  bool taken = false;    // false: refused, the table is unchanged
  Text multipleSearchText;
  Text refusal;          // why it was refused
};
// The non-blank cells, in order, become find strings 1..n and the count; more than 200 are
// refused as a whole rather than cut short, since a search with some strings silently missing
// would look complete.
MultipleFindTake TakeMultipleFind(const TextList& cells, StringTable& table);

}  // namespace varko
