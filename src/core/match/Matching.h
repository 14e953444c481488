#pragma once
// Line matching: the word-boundary search and the Google (all words) search.
#include "lib/Text.h"

namespace varko {

inline constexpr int kMaxGoogleWords = 30;

// Position of the first occurrence accepted by the word-boundary rules, 0 when none.
// An empty find text is never found.
int xcWordPos(TextView text, TextView find, bool ignoreCase, bool wholeWord);

// The same rules on text whose letters are already in one case, in any character type. Case
// folding and word characters are ASCII only, so the bytes of a line (UTF-8 or an 8-bit code
// page) give the same answer as its decoded text; only the position counts bytes.
template <class View>
int wordPosFolded(View text, View find, bool wholeWord);
extern template int wordPosFolded<TextView>(TextView, TextView, bool);
extern template int wordPosFolded<std::string_view>(std::string_view, std::string_view, bool);

// Word k (from 1) of xcSplitWords(text, 30), or empty.
Text xcWordAt(TextView text, int k);
// Count of words (at most 30); words is filled only when the count is 2 or more, else cleared.
int xcGoogleWords(TextView text, TextList& words);
// Searches each word with xcWordPos; foundCount = words found. Result: the smallest found
// position when foundCount >= required, else 0.
int xcAllWordsPos(TextView line, const TextList& words, int required, bool ignoreCase,
                  bool wholeWord, int& foundCount);

}  // namespace varko
