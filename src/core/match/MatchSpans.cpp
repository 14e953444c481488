#include "match/MatchSpans.h"

#include <algorithm>

#include "match/Matching.h"

namespace varko {

namespace {

void patternSpans(TextView line, const Patterns& patterns, std::vector<MatchSpan>& spans) {
  const std::string utf8 = toUtf8(line);
  Patterns::Found f;
  for (size_t k = 0; k < patterns.size(); ++k) {
    for (size_t from = 0; from <= utf8.size() && patterns.find(k, utf8, from, f);) {
      if (f.length > 0) {
        int start = static_cast<int>(utf16Offset(utf8, f.start));
        spans.push_back({start, static_cast<int>(utf16Offset(utf8, f.start + f.length)) - start});
      }
      from = f.start + f.length;
      if (f.length == 0) {
        // On to the next character.
        do ++from;
        while (from < utf8.size() && (static_cast<unsigned char>(utf8[from]) & 0xC0) == 0x80);
      }
    }
  }
}

}  // namespace

std::vector<MatchSpan> matchSpans(TextView line, const SpanRules& rules) {
  std::vector<MatchSpan> spans;
  if (rules.patterns) patternSpans(line, *rules.patterns, spans);
  for (const Text& find : rules.patterns ? TextList() : rules.strings) {
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
