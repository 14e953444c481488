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

namespace {

// One hit of a keep-spacing replace: where (1-based) and how long, and what goes there.
struct Hit {
  int position = 0;
  int length = 0;
  Text replacement;
};

// The keep-spacing replace, hits found by next(line, start) on the line as rewritten so far.
template <class NextHit>
void replaceKeepingSpacing(Text& line, int32_t& count, NextHit next) {
  count = 0;
  Hit hit;
  int start = 1;
  while (next(line, start, hit)) {
    const int p = hit.position;
    const int findLength = hit.length;
    const int replaceLength = static_cast<int>(hit.replacement.size());
    Text blanks = u"   ";
    const int difference = std::abs(replaceLength - findLength);
    if (difference > 3) xcPadRight(blanks, difference);
    ++count;
    const int oldLength = static_cast<int>(line.size());
    const size_t after = static_cast<size_t>(p - 1 + findLength);  // index of p + LF
    const size_t runIndex = replaceLength == findLength ? Text::npos : line.find(blanks, after);
    Text rewritten;
    if (runIndex == Text::npos) {
      rewritten = line.substr(0, static_cast<size_t>(p - 1));
      rewritten.append(hit.replacement);
      rewritten.append(line, after);
    } else {
      const size_t nonBlank = line.find_first_not_of(u' ', runIndex);
      const int tailLength = nonBlank == Text::npos ? 0 : oldLength - static_cast<int>(nonBlank);
      rewritten = line.substr(0, static_cast<size_t>(p - 1));
      rewritten.append(hit.replacement);
      rewritten.append(line, after, runIndex - after);
      const int blankCount = oldLength - static_cast<int>(rewritten.size()) - tailLength;
      if (blankCount > 0) rewritten.append(static_cast<size_t>(blankCount), u' ');
      if (nonBlank != Text::npos) rewritten.append(line, nonBlank);
      xcPadRight(rewritten, oldLength);
    }
    // A deletion that blanks merely refill leaves the line as it was, and an empty match
    // inserts before the same place again: step on, or it would be found there forever.
    const bool stepOn = (replaceLength == 0 && rewritten == line) || findLength == 0;
    line = std::move(rewritten);
    start = p + replaceLength + (stepOn ? 1 : 0);
  }
}

}  // namespace

void xcReplaceAllKeepSpacing(Text& line, TextView find, TextView replace, int32_t& count,
                             bool ignoreCase, bool wholeWord) {
  count = 0;
  if (find.empty()) return;
  replaceKeepingSpacing(line, count, [&](const Text& text, int start, Hit& hit) {
    int next = 0;
    xcPosFrom(text, find, start, next, ignoreCase, wholeWord);
    hit.position = start;
    hit.length = static_cast<int>(find.size());
    hit.replacement = Text(replace);
    return start > 0;
  });
}

std::string expandGroups(std::string_view replace, const Patterns::Groups& groups) {
  std::string out;
  for (size_t i = 0; i < replace.size(); ++i) {
    char c = replace[i];
    if (c == '\\' && i + 1 < replace.size()) {
      char d = replace[i + 1];
      if (d >= '0' && d <= '9') {
        out.append(groups[static_cast<size_t>(d - '0')]);
        ++i;
        continue;
      }
      if (d == '\\') {
        out += '\\';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

namespace {

// UTF-16 units of the UTF-8 bytes [from, to): the cursor moves on through the line only.
struct UnitCursor {
  std::string_view utf8;
  size_t byte = 0;
  size_t unit = 0;
  size_t at(size_t target) {
    unit += utf16Offset(utf8.substr(byte), target - byte);
    byte = target;
    return unit;
  }
};

}  // namespace

// The matches are found on the line as it was, so that anchors and word edges see its text,
// not a replacement. The line's own text is copied between them, so characters UTF-8 cannot
// hold (a lone surrogate of a UTF-16 file) stay as they were.
void replaceAllMatches(Text& line, const Patterns& patterns, size_t k, TextView replace, int32_t& count,
                       bool keepSpacing) {
  count = 0;
  const std::string replaceUtf8 = toUtf8(replace);
  const std::string old = toUtf8(line);
  UnitCursor cursor{old};
  std::vector<Hit> hits;
  Patterns::Found f;
  Patterns::Groups groups;
  for (size_t from = 0; from <= old.size() && patterns.find(k, old, from, f, &groups);) {
    Hit& hit = hits.emplace_back();
    hit.position = static_cast<int>(cursor.at(f.start)) + 1;
    hit.replacement = fromUtf8(expandGroups(replaceUtf8, groups));
    from = f.start + f.length;
    hit.length = static_cast<int>(cursor.at(from)) + 1 - hit.position;
    if (f.length == 0) {
      // After an empty match the scan goes on one character further.
      if (from >= old.size()) break;
      do ++from;
      while (from < old.size() && (static_cast<unsigned char>(old[from]) & 0xC0) == 0x80);
    }
  }
  if (hits.empty()) return;
  if (keepSpacing) {
    // From the last: a hit rewrites only its own place and what follows it.
    size_t left = hits.size();
    return replaceKeepingSpacing(line, count, [&](const Text&, int, Hit& hit) {
      if (left == 0) return false;
      hit = std::move(hits[--left]);
      return true;
    });
  }
  Text result;
  size_t copied = 0;
  for (const Hit& hit : hits) {
    const size_t at = static_cast<size_t>(hit.position - 1);
    result.append(line, copied, at - copied);
    result += hit.replacement;
    copied = at + static_cast<size_t>(hit.length);
  }
  result.append(line, std::min(copied, line.size()));
  count = static_cast<int32_t>(hits.size());
  line = std::move(result);
}

void xcPadRight(Text& text, int newLength) { text.resize(static_cast<size_t>(std::max(newLength, 0)), u' '); }

}  // namespace varko
