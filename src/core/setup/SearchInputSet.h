#pragma once
// Everything a search starts from that lasts from run to run: the saved modes and advanced
// lists, the string table, the history, the replace options, the string-set file and the
// multiple-search text. The program owns the one set; the main window works on it, and the other
// windows get copies of what they show and hand back what the user chose.
#include "lib/Text.h"
#include "search/SearchRequest.h"
#include "setup/SearchSetup.h"
#include "setup/Settings.h"

namespace varko {

struct SearchInputSet {
  SavedSettings saved;               // modes, advanced folder and filespec lists, file options
  StringTable strings;
  SearchHistory history;
  ReplaceRunOptions replaceOptions;  // kept from one replace run to the next
  Text stringSetFileName;            // the set file last loaded or edited in a window
  Text multipleSearchText;           // "<cat><dog>" of "Use for Searches"

  // A simple search with a text becomes string 1 of the table, alone, and the history keeps it.
  void TakeSimpleSearch(const SearchRequest& request);
};

}  // namespace varko
