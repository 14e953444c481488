#pragma once
// Replacing one find text in one line, plain or keeping the columns after a run of blanks.
#include <cstdint>
#include "lib/Text.h"
#include "match/Patterns.h"

namespace varko {

// start becomes the position of the first occurrence at or after start (values below 1 count as
// 1), or 0; next becomes start + 1, or 0. start itself always counts as a word boundary.
void xcPosFrom(TextView text, TextView find, int& start, int& next, bool ignoreCase, bool wholeWord);

// Replaces every occurrence; the scan resumes directly after the inserted text, so text a
// replacement produced is never searched again by the same find text. An empty find text
// replaces nothing.
void xcReplaceAll(Text& line, TextView find, TextView replace, int32_t& count, bool ignoreCase,
                  bool wholeWord);

// As xcReplaceAll, but when a run of blanks (at least three, and at least the length difference)
// follows a hit, the run absorbs the difference so that the text after it keeps its column.
void xcReplaceAllKeepSpacing(Text& line, TextView find, TextView replace, int32_t& count,
                             bool ignoreCase, bool wholeWord);

// Regular expressions: every match of pattern k becomes replace, with \0 (the match) to \9 (its
// groups) and \\ (a backslash) expanded; the scan goes on after the match, and after an empty
// match one character on. keepSpacing as xcReplaceAllKeepSpacing.
void replaceAllMatches(Text& line, const Patterns& patterns, size_t k, TextView replace, int32_t& count,
                       bool keepSpacing);
// A replace string with one match's groups put in (UTF-8).
std::string expandGroups(std::string_view replace, const Patterns::Groups& groups);

// Cuts the text, or extends it with blanks, to exactly newLength characters.
void xcPadRight(Text& text, int newLength);

}  // namespace varko
