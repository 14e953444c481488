#include "search/SearchRequest.h"

namespace varko {

std::vector<SearchPair> RunPairs(const SearchRequest& request) {
  if (request.stringMode == kAdvancedMode) return request.strings;
  Text replace = request.strings.empty() ? Text() : request.strings.front().replace;
  return {SearchPair{request.searchText, replace}};
}

TextList xcSplitFolderNames(TextView text) {
  TextList names;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(u';', start);
    Text name = xcTrim(text.substr(start, end == TextView::npos ? TextView::npos : end - start));
    if (!name.empty()) names.push_back(std::move(name));
    if (end == TextView::npos) break;
    start = end + 1;
  }
  return names;
}

RequestList JoinedFindStrings(const SearchRequest& request) {
  RequestList list;
  for (const SearchPair& pair : request.strings) {
    if (xcIsBlank(pair.find)) continue;
    if (!list.items.empty()) list.text += u',';
    list.items.push_back(pair.find);
    list.text += pair.find;
  }
  return list;
}

}  // namespace varko
