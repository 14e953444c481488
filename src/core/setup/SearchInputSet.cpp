#include "setup/SearchInputSet.h"

namespace varko {

void SearchInputSet::TakeSimpleSearch(const SearchRequest& request) {
  if (request.stringMode != kSimpleMode || request.searchText.empty()) return;
  strings.find(1) = request.searchText;
  strings.count = 1;
  history.AddStringToHistory(request.searchText);
}

}  // namespace varko
