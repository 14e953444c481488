#include "replace/ReplaceText.h"

#include <algorithm>
#include <cstdlib>

#include "match/Matching.h"

namespace varko {

namespace {

// The word-boundary search on text from 1-based start on, with both texts already upper-cased
// when case is ignored; 0 when none.
int findFrom(TextView text, TextView find, int start, bool wholeWord) {
  if (start > static_cast<int>(text.size())) return 0;
  int p = xcWordPos(text.substr(static_cast<size_t>(start - 1)), find, false, wholeWord);
  return p == 0 ? 0 : start + p - 1;
}

}  // namespace

void xcPosFrom(TextView text, TextView find, int& start, int& next, bool ignoreCase, bool wholeWord) {
  if (start < 1) start = 1;
  int p = 0;
  if (start <= static_cast<int>(text.size())) {
    int hit = xcWordPos(text.substr(static_cast<size_t>(start - 1)), find, ignoreCase, wholeWord);
    if (hit > 0) p = start + hit - 1;
  }
  start = p;
  next = p == 0 ? 0 : p + 1;
}

void xcReplaceAll(Text& line, TextView find, TextView replace, int32_t& count, bool ignoreCase,
                  bool wholeWord) {
  count = 0;
  if (find.empty()) return;
  // What follows an insertion is the old line after the hit, and the resume point counts as a
  // boundary, so the search can run on the old line alone: one pass, however many hits.
  Text upperLine, upperFind;
  TextView searched = line;
  TextView found = find;
  if (ignoreCase) {
    upperLine = xcUpperCase(line);
    upperFind = xcUpperCase(find);
    searched = upperLine;
    found = upperFind;
  }
  const int findLength = static_cast<int>(find.size());
  Text result;
  int copied = 1;  // first old position not yet in result
  for (int p = findFrom(searched, found, 1, wholeWord); p > 0;
       p = findFrom(searched, found, copied, wholeWord)) {
    if (count == 0) result.reserve(line.size() + replace.size());
    ++count;
    result.append(line, static_cast<size_t>(copied - 1), static_cast<size_t>(p - copied));
    result.append(replace);
    copied = p + findLength;
  }
  if (count == 0) return;
  if (copied <= static_cast<int>(line.size())) result.append(line, static_cast<size_t>(copied - 1));
  line = std::move(result);
}

void xcReplaceAllKeepSpacing(Text& line, TextView find, TextView replace, int32_t& count,
                             bool ignoreCase, bool wholeWord) {
  count = 0;
  if (find.empty()) return;
  const int findLength = static_cast<int>(find.size());
  const int replaceLength = static_cast<int>(replace.size());
  Text blanks = u"   ";
  const int difference = std::abs(replaceLength - findLength);
  if (difference > 3) xcPadRight(blanks, difference);

  int start = 1;
  for (;;) {
    int next = 0;
    xcPosFrom(line, find, start, next, ignoreCase, wholeWord);
    const int p = start;
    if (p == 0) return;
    ++count;
    const int oldLength = static_cast<int>(line.size());
    const size_t after = static_cast<size_t>(p - 1 + findLength);  // index of p + LF
    const size_t runIndex = replaceLength == findLength ? Text::npos : line.find(blanks, after);
    Text rewritten;
    if (runIndex == Text::npos) {
      rewritten = line.substr(0, static_cast<size_t>(p - 1));
      rewritten.append(replace);
      rewritten.append(line, after);
    } else {
      const size_t nonBlank = line.find_first_not_of(u' ', runIndex);
      const int tailLength = nonBlank == Text::npos ? 0 : oldLength - static_cast<int>(nonBlank);
      rewritten = line.substr(0, static_cast<size_t>(p - 1));
      rewritten.append(replace);
      rewritten.append(line, after, runIndex - after);
      const int blankCount = oldLength - static_cast<int>(rewritten.size()) - tailLength;
      if (blankCount > 0) rewritten.append(static_cast<size_t>(blankCount), u' ');
      if (nonBlank != Text::npos) rewritten.append(line, nonBlank);
      xcPadRight(rewritten, oldLength);
    }
    // A deletion that blanks merely refill leaves the line as it was: step on, or it would
    // be found again at the same place forever.
    const bool unchanged = replaceLength == 0 && rewritten == line;
    line = std::move(rewritten);
    start = p + replaceLength + (unchanged ? 1 : 0);
  }
}

void xcPadRight(Text& text, int newLength) { text.resize(static_cast<size_t>(std::max(newLength, 0)), u' '); }

}  // namespace varko
