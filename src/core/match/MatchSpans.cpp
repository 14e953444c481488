#include "match/MatchSpans.h"

#include <algorithm>

#include "match/Matching.h"

namespace varko {

std::vector<MatchSpan> matchSpans(TextView line, const SpanRules& rules) {
  std::vector<MatchSpan> spans;
  for (const Text& find : rules.strings) {
    if (find.empty()) continue;
    size_t from = 0;
    while (from < line.size()) {
      int p = xcWordPos(line.substr(from), find, rules.ignoreCase, rules.wholeWords);
      if (p == 0) break;
      size_t start = from + static_cast<size_t>(p - 1);
      spans.push_back({static_cast<int>(start), static_cast<int>(find.size())});
      from = start + find.size();
    }
  }
  std::sort(spans.begin(), spans.end(), [](const MatchSpan& a, const MatchSpan& b) { return a.start < b.start; });
  std::vector<MatchSpan> joined;
  for (const MatchSpan& s : spans) {
    if (!joined.empty() && s.start <= joined.back().start + joined.back().length) {
      int end = std::max(joined.back().start + joined.back().length, s.start + s.length);
      joined.back().length = end - joined.back().start;
    } else {
      joined.push_back(s);
    }
  }
  return joined;
}

}  // namespace varko
