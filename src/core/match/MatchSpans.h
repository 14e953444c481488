#pragma once
// Where the strings of a run occur in a shown line, so that the windows can mark them. The
// text and the positions of the rows stay as they are; this only finds spans to draw.
#include <vector>
#include <memory>
#include "lib/Text.h"
#include "match/Patterns.h"

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
  std::shared_ptr<const Patterns> patterns = nullptr;  // regular expressions: they give the spans
};

// Every occurrence of every string, found with the run's word-boundary search from the start of
// the line and then after each occurrence; overlapping spans are joined. Sorted. Patterns mark
// every match of each (an empty match marks nothing).
std::vector<MatchSpan> matchSpans(TextView line, const SpanRules& rules);

}  // namespace varko
