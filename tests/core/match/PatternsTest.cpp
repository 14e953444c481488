#include <gtest/gtest.h>

#include "match/LineMatcher.h"
#include "match/Patterns.h"

using namespace varko;

namespace {

struct LineCase {
  const char16_t* pattern;
  bool ignoreCase;
  bool wholeWords;
  const char16_t* line;
  int position;  // 1-based, in UTF-16 units as the run reports; 0: no match
};

int positionIn(const TextList& patterns, bool ignoreCase, bool wholeWords, TextView line) {
  LineMatcher m;
  m.multiple = patterns.size() > 1;
  m.ignoreCase = ignoreCase;
  m.wholeWords = wholeWords;
  Text error;
  m.patterns = Patterns::compile(patterns, ignoreCase, wholeWords, error);
  EXPECT_TRUE(m.patterns) << toUtf8(error);
  if (!m.patterns) return -1;
  m.prepare();
  bool anyWord = false;
  return m.match(line, anyWord);
}

}  // namespace

// Positions agree with Python's re on the same pattern and line (where the two syntaxes agree).
TEST(Patterns, MatchOneLineWithItsEndsAsAnchors) {
  const LineCase cases[] = {
      {u"mutex_\\w+lock", true, false, u"  MUTEX_TRYLOCK(m);", 3},
      {u"mutex_\\w+lock", false, false, u"  MUTEX_TRYLOCK(m);", 0},
      {u"^foo", false, false, u"foo bar", 1},
      {u"^foo", false, false, u" foo", 0},
      {u"bar$", false, false, u"foo bar", 5},
      {u"^$", false, false, u"", 1},
      {u"^$", false, false, u" ", 0},
      {u"caf.", false, false, u"un café", 4},
      {u"f.$", false, false, u"caf\u00e9 \U0001F600f!", 8},  // after a surrogate pair: two units
      {u"\u00e9+", false, false, u"\u00c9\u00e9\u00e9", 2},
      {u"\u00e9+", true, false, u"\u00c9\u00e9\u00e9", 1},     // case folds beyond a-z
      {u"k", true, false, u"\u212a", 1},                       // the Kelvin sign folds to k
      {u"(a|ab)(c|bcd)(d*)", false, false, u"abcd", 1},
      {u"a*", false, false, u"bbb", 1},                         // an empty match is a match
      // Whole words: no word character on either side, the leftmost such match.
      {u"ab|abc", false, true, u"abc d", 1},
      {u"lock", false, true, u"unlock lock", 8},
      {u"lock", false, true, u"unlock_lock", 0},
      {u"-x", false, true, u"a-x", 0},
      {u"x", false, true, u"\u00e9x\u00e9", 2},                 // non-ASCII letters are not word characters
      {u"K", true, true, u"\u212aK", 2},                        // nor is the Kelvin sign
      {u"[a-z]+", false, true, u"ab1 cd", 5},
  };
  for (const LineCase& c : cases)
    EXPECT_EQ(positionIn({c.pattern}, c.ignoreCase, c.wholeWords, c.line), c.position)
        << toUtf8(c.pattern) << " in " << toUtf8(c.line);
}

TEST(Patterns, TheFirstPatternInListOrderThatMatchesGivesThePosition) {
  EXPECT_EQ(positionIn({u"z+", u"b", u"a"}, false, false, u"a b"), 3);
  EXPECT_EQ(positionIn({u"z+", u"q"}, false, false, u"a b"), 0);
  EXPECT_EQ(positionIn({u"a\\b", u"b"}, false, true, u"ab b"), 4);
}

TEST(Patterns, ABadPatternIsRefusedWithItsTextAndRe2sReason) {
  for (const char16_t* bad : {u"a(", u"[z-a]", u"x**", u"a{2000}", u"a\\", u"(a)\\1", u"(\\C)"}) {
    Text error;
    EXPECT_FALSE(Patterns::compile({u"ok", bad}, true, false, error)) << toUtf8(bad);
    EXPECT_NE(error.find(bad), Text::npos) << toUtf8(error);
    EXPECT_GT(error.size(), Text(bad).size() + 25) << toUtf8(error);
  }
  // A stray parenthesis must not pass because whole words wrap the pattern.
  Text error;
  EXPECT_FALSE(Patterns::compile({u"a)|(b"}, false, true, error));
}

// The byte search may only skip lines no pattern can match.
TEST(Patterns, NeedlesAreInEveryLineAPatternMatches) {
  struct Case {
    TextList patterns;
    bool ignoreCase;
    TextList needles;  // empty: every line is matched
  };
  const Case cases[] = {
      {{u"mutex_\\w+lock"}, true, {u"mutex_"}},
      {{u"\\w+"}, false, {}},
      {{u"foo|bar"}, false, {u"bar", u"foo"}},
      {{u"s"}, true, {}},           // the long s also folds to s
      {{u"kelvin"}, true, {u"elvin"}},
      {{u"caf\u00e9"}, false, {u"caf"}},
      {{u"abc", u"x*"}, false, {}},  // one pattern matches any line
  };
  for (const Case& c : cases) {
    Text error;
    auto p = Patterns::compile(c.patterns, c.ignoreCase, false, error);
    ASSERT_TRUE(p);
    TextList got = p->needles();
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, c.needles) << toUtf8(c.patterns[0]);
  }
}

TEST(Patterns, GroupsAndSuccessiveMatches) {
  Text error;
  auto p = Patterns::compile({u"(\\w+)=(\\d+)"}, false, true, error);
  ASSERT_TRUE(p);
  std::string line = "a=1 bb=22 c=x d=4";
  std::vector<std::string> seen;
  Patterns::Found f;
  Patterns::Groups g;
  for (size_t from = 0; p->find(0, line, from, f, &g); from = f.start + f.length)
    seen.push_back(std::string(g[0]) + "|" + std::string(g[1]) + "|" + std::string(g[2]) + "|" + std::string(g[3]));
  EXPECT_EQ(seen, (std::vector<std::string>{"a=1|a|1|", "bb=22|bb|22|", "d=4|d|4|"}));
}
