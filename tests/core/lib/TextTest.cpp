#include <gtest/gtest.h>

#include <random>

#include "lib/Text.h"

using namespace varko;

// The case-insensitive position folds a-z only and agrees with finding the upper-cased text in
// the upper-cased text, on strings made mostly of near misses.
TEST(TextPosTest, IgnoringCaseAgreesWithUpperCasingBoth) {
  std::mt19937 rng(4242);
  const char16_t alphabet[] = {u'a', u'A', u'b', u'B', u'\u00e9', u'\u00c9', u'-', u'z', u'Z', u'{', u'`'};
  std::uniform_int_distribution<size_t> pick(0, std::size(alphabet) - 1), textLength(0, 14), findLength(1, 4);
  for (int i = 0; i < 20000; ++i) {
    Text text, find;
    for (size_t n = textLength(rng); n > 0; --n) text += alphabet[pick(rng)];
    for (size_t n = findLength(rng); n > 0; --n) find += alphabet[pick(rng)];
    size_t at = xcUpperCase(text).find(xcUpperCase(find));
    int expected = at == Text::npos ? 0 : static_cast<int>(at) + 1;
    ASSERT_EQ(xcTextPos(text, find, 1), expected) << i;
  }
  EXPECT_EQ(xcTextPos(u"/a/b-varkosearchreplace-x", u"-VarkoSearchReplace-", 1), 5);
  EXPECT_EQ(xcTextPos(u"\u00e9t\u00e9", u"\u00c9", 1), 0);  // only a-z are folded
  EXPECT_EQ(xcTextPos(u"abc", u"", 1), 0);
}
