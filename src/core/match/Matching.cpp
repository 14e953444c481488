#include "match/Matching.h"

#include <algorithm>

namespace varko {

namespace {

// 1-based position of find in text, 0 when none.
template <class View>
int firstPos(View text, View find) {
  auto p = text.find(find);
  return p == View::npos ? 0 : static_cast<int>(p) + 1;
}

template <class View>
bool holdsNonBlank(View s) {
  return std::any_of(s.begin(), s.end(), [](auto c) { return static_cast<uint32_t>(c) > ' '; });
}

template <class Char>
bool isWordUnit(Char c) {
  return static_cast<uint32_t>(c) < 128 && xcIsWordChar(static_cast<char16_t>(c));
}

}  // namespace

int xcWordPos(TextView text, TextView find, bool ignoreCase, bool wholeWord) {
  if (find.empty()) return 0;
  Text upperText, upperFind;
  if (ignoreCase) {
    upperText = xcUpperCase(text);
    upperFind = xcUpperCase(find);
    text = upperText;
    find = upperFind;
  }
  return wordPosFolded(text, find, wholeWord);
}

template <class View>
int wordPosFolded(View text, View find, bool wholeWord) {
  if (find.empty()) return 0;
  if (!wholeWord) return firstPos(text, find);

  const int n = static_cast<int>(text.size());
  const int m = static_cast<int>(find.size());
  int b = 1;  // where the remainder starts in text
  int passes = 0;
  View rest = text;
  for (;;) {
    ++passes;
    int p = firstPos(rest, find);
    if (p == 0) return 0;
    const int restLength = static_cast<int>(rest.size());
    bool wordBefore = p > 1 && isWordUnit(rest[p - 2]);
    bool wordAfter = restLength >= p + m && isWordUnit(rest[p + m - 1]);
    if (!wordBefore && !wordAfter) return p + b - 1;
    // Resume after the refused occurrence: an occurrence starting inside it is never seen,
    // and one starting right at the new remainder has no left neighbour to test.
    b += p + m - 1;
    rest = text.substr(static_cast<size_t>(b - 1));
    if (rest.empty() || passes > n || !holdsNonBlank(rest)) return 0;
  }
}

template int wordPosFolded<TextView>(TextView, TextView, bool);
template int wordPosFolded<std::string_view>(std::string_view, std::string_view, bool);

Text xcWordAt(TextView text, int k) {
  if (k < 1) return Text();
  TextList words = xcSplitWords(text, kMaxGoogleWords);
  return k <= static_cast<int>(words.size()) ? words[static_cast<size_t>(k - 1)] : Text();
}

int xcGoogleWords(TextView text, TextList& words) {
  TextList found = xcSplitWords(text, kMaxGoogleWords);
  int count = static_cast<int>(found.size());
  if (count >= 2)
    words = std::move(found);
  else
    words.clear();
  return count;
}

int xcAllWordsPos(TextView line, const TextList& words, int required, bool ignoreCase,
                  bool wholeWord, int& foundCount) {
  foundCount = 0;
  int leftmost = 0;
  for (const auto& word : words) {
    int p = xcWordPos(line, word, ignoreCase, wholeWord);
    if (p > 0) {
      ++foundCount;
      if (leftmost == 0 || p < leftmost) leftmost = p;
    }
  }
  return foundCount >= required ? leftmost : 0;
}

}  // namespace varko
