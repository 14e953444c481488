// The replace routines: no crash or endless loop on any line; the plain replace agrees with a
// reference built on the word search; keep-spacing keeps the line's length when a blank run
// can take up every difference, and is the plain replace when the lengths are equal.
#include <algorithm>
#include "FuzzInput.h"
#include "replace/ReplaceText.h"
#include "match/Matching.h"

using namespace varko;
using varko::fuzz::check;

namespace {

// Each hit is replaced and the search resumes after it on the old line, where it starts as if
// at a word boundary.
Text referenceReplaceAll(const Text& line, const Text& find, const Text& replace, int& count, bool ignoreCase,
                         bool wholeWord) {
  count = 0;
  if (find.empty()) return line;
  Text out;
  size_t copied = 0;
  while (copied < line.size()) {
    const int p = xcWordPos(TextView(line).substr(copied), find, ignoreCase, wholeWord);
    if (p == 0) break;
    const size_t at = copied + static_cast<size_t>(p) - 1;
    out.append(line, copied, at - copied);
    out += replace;
    copied = at + find.size();
    ++count;
  }
  out.append(line, std::min(copied, line.size()));
  return out;
}

Text withoutBlanks(Text t) {
  std::replace(t.begin(), t.end(), u' ', u'.');
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const bool ignoreCase = in.flag(), wholeWord = in.flag(), wide = in.flag();
  const Text find = in.text(wide);
  const Text replace = in.text(wide);
  const Text line = in.rest(wide);

  Text plain = line;
  int32_t count = -1;
  xcReplaceAll(plain, find, replace, count, ignoreCase, wholeWord);
  int expectedCount = 0;
  check(plain == referenceReplaceAll(line, find, replace, expectedCount, ignoreCase, wholeWord),
        "plain replace gives the reference line");
  check(count == expectedCount, "plain replace counts as the reference");

  Text spaced = line;
  int32_t spacedCount = -1;
  xcReplaceAllKeepSpacing(spaced, find, replace, spacedCount, ignoreCase, wholeWord);
  check(spacedCount >= 0, "keep-spacing counts");
  if (find.size() == replace.size()) {
    check(spaced == plain && spacedCount == count, "equal lengths: keep-spacing is the plain replace");
  }

  // Texts without blanks, and a final blank run wide enough for every hit's difference.
  const Text solidFind = withoutBlanks(find), solidReplace = withoutBlanks(replace);
  const size_t difference = solidFind.size() > solidReplace.size() ? solidFind.size() - solidReplace.size()
                                                                   : solidReplace.size() - solidFind.size();
  Text columns = line + Text(3 + difference * (line.size() + 1), u' ');
  const size_t length = columns.size();
  int32_t columnsCount = 0;
  xcReplaceAllKeepSpacing(columns, solidFind, solidReplace, columnsCount, ignoreCase, wholeWord);
  check(columns.size() == length, "keep-spacing keeps the line's length");
  return 0;
}
