#pragma once
// Where the strings of a run occur in a shown line, so that the windows can mark them. The
// text and the positions of the rows stay as they are; this only finds spans to draw.
#include <vector>
#include "lib/Text.h"

namespace varko {

struct MatchSpan {
  int start = 0;   // 0-based index of the first character
  int length = 0;
  bool operator==(const MatchSpan&) const = default;
};

struct SpanRules {
  TextList strings;         // the run's find strings; for an all-words search, its words
  bool ignoreCase = true;   // a to z only, as the run
  bool wholeWords = false;
};

// Every occurrence of every string, found with the run's word-boundary search from the start of
// the line and then after each occurrence; overlapping spans are joined. Sorted.
std::vector<MatchSpan> matchSpans(TextView line, const SpanRules& rules);

}  // namespace varko
