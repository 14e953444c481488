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
    EXPECT_EQ(matchSpans(c.line, {c.strings, c.ignoreCase, c.wholeWords}), c.expected) << toUtf8(c.line);
}

}  // namespace
