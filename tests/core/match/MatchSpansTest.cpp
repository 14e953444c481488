#include <gtest/gtest.h>

#include "match/MatchSpans.h"

using namespace varko;

namespace {

using Spans = std::vector<MatchSpan>;

TEST(MatchSpans, EveryOccurrenceOfEveryStringWithTheRunRules) {
  struct Case {
    const char16_t* line;
    TextList strings;
    bool ignoreCase, wholeWords;
    Spans expected;
  } cases[] = {
      {u"cat Cat CAT", {u"cat"}, true, false, {{0, 3}, {4, 3}, {8, 3}}},
      {u"cat Cat CAT", {u"cat"}, false, false, {{0, 3}}},
      {u"cats cat xcat", {u"cat"}, true, true, {{5, 3}}},
      {u"a dog and a cat", {u"cat", u"dog"}, true, false, {{2, 3}, {12, 3}}},       // several strings
      {u"abcd", {u"abc", u"bcd"}, true, false, {{0, 4}}},                          // overlaps joined
      {u"aaaa", {u"aa"}, true, false, {{0, 4}}},                                   // side by side joined
      {u"CAF\u00c9 caf\u00e9", {u"caf\u00e9"}, true, false, {{5, 4}}},           // only a-z fold
      {u"nothing here", {u"", u"zzz"}, true, false, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(matchSpans(c.line, {c.strings, c.ignoreCase, c.wholeWords, nullptr}), c.expected) << toUtf8(c.line);
}

TEST(MatchSpans, EveryMatchOfEveryPattern) {
  struct Case {
    const char16_t* line;
    TextList patterns;
    bool ignoreCase, wholeWords;
    Spans expected;
  } cases[] = {
      {u"mutex_unlock MUTEX_TRYLOCK", {u"mutex_\\w+lock"}, true, false, {{0, 12}, {13, 13}}},
      {u"CAF\u00c9 caf\u00e9", {u"caf\u00e9"}, true, false, {{0, 4}, {5, 4}}},  // all of Unicode folds
      {u"\U0001F600ab xab", {u"ab"}, false, true, {{2, 2}}},                     // spans count UTF-16 units
      {u"a1 b2", {u"x*", u"\\d"}, false, false, {{1, 1}, {4, 1}}},                  // empty matches mark nothing
      {u"abc", {u"ab", u"bc"}, false, false, {{0, 3}}},
  };
  for (const Case& c : cases) {
    Text error;
    SpanRules rules{c.patterns, c.ignoreCase, c.wholeWords, Patterns::compile(c.patterns, c.ignoreCase, c.wholeWords, error)};
    EXPECT_EQ(matchSpans(c.line, rules), c.expected) << toUtf8(c.line);
  }
}

}  // namespace
