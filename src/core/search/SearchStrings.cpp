// The strings a run searches for, taken and checked before any file is read.
#include "search/SearchSession.h"

namespace varko {

bool SearchSession::takeStrings(const SearchRequest& request) {
  patterns_.reset();
  if (request.stringMode == kSimpleMode) {
    searchString_ = request.searchText;
    if (searchString_.empty()) host_.focusStringField();
    return !searchString_.empty() && takePatterns(request);
  }
  if (request.strings.empty()) {
    host_.showMessage(u"Nothing to search for");
    host_.focusStringField();
    return false;
  }
  for (const SearchPair& pair : request.strings) {
    searchString_ = xcTrim(pair.find);
    if (searchString_.empty()) {
      host_.showMessage(u"Search array contains blank elements - fix!");
      return false;
    }
  }
  return takePatterns(request);
}

// Every find string as a regular expression, compiled before any file is read: a bad one
// stops the run with RE2's reason.
bool SearchSession::takePatterns(const SearchRequest& request) {
  if (!request.regex) return true;
  if (request.googleFind) {
    host_.showMessage(u"\"Google Type Find\" cannot be used with \"Regular expressions\": turn one of them off");
    return false;
  }
  TextList strings;
  if (request.stringMode == kSimpleMode)
    strings.push_back(request.searchText);
  else
    for (const SearchPair& pair : request.strings) strings.push_back(pair.find);
  Text error;
  patterns_ = Patterns::compile(strings, request.caseInsensitive, request.wholeWords, error);
  if (!patterns_) {
    host_.showMessage(error);
    host_.focusStringField();
    return false;
  }
  return true;
}

}  // namespace varko
