#include "replace/ReplaceText.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "support/TestSupport.h"

namespace varko {
namespace {

using test::T;
using test::U8;

// · stands for one blank in the tables.
Text blanks(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 2, "\xC2\xB7") == 0) {
      out += ' ';
      ++i;
    } else {
      out += s[i];
    }
  }
  return T(out);
}

struct Case {
  const char* line;
  const char* find;
  const char* replace;
  bool ignoreCase;
  bool wholeWord;
  const char* result;
  int count;
};

TEST(ReplaceText, KeepSpacingKeepsTheColumnAfterARunOfBlanks) {
  const Case cases[] = {
      {"a1····X", "a", "bbbbb", false, false, "bbbbb1X", 1},
      {"a1······X", "a", "bbbbb", false, false, "bbbbb1··X", 1},
      {"ab···X", "ab", "abc", false, false, "abc··X", 1},
      {"abcde····X", "abcde", "x", false, false, "x········X", 1},
      {"Name···Value", "Name", "LongerName", false, false, "LongerName···Value", 1},
      {"a····", "a", "bb", false, false, "bb···", 1},           // only blanks follow: length kept
      {"x··y····Z", "x", "", false, false, "··y·····Z", 1},     // a deletion widens the run
      // Deleting blanks that the run refills leaves the line as it was: the scan still ends.
      {"a·x···Z", "·", "", false, false, "ax·Z", 5},
  };
  for (const Case& c : cases) {
    Text line = blanks(c.line);
    int32_t count = -1;
    xcReplaceAllKeepSpacing(line, blanks(c.find), blanks(c.replace), count, c.ignoreCase, c.wholeWord);
    EXPECT_EQ(U8(line), U8(blanks(c.result))) << c.line;
    EXPECT_EQ(count, c.count) << c.line;
  }
}

TEST(ReplaceText, ReplaceAllResumesDirectlyAfterTheInsertedText) {
  const Case cases[] = {
      {"aa", "a", "b", false, false, "bb", 2},
      {"aaa", "a", "aa", false, false, "aaaaaa", 3},  // inserted text is never searched again
      {"cat concat cat", "cat", "dog", false, true, "dog concat dog", 2},
      {"cat_cat cat", "cat", "dog", false, true, "cat_cat dog", 1},
      {"Cat CAT cat", "cat", "dog", true, false, "dog dog dog", 3},
      {"\xC3\xA9t\xC3\xA9 \xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", "x", true, false, "x \xC3\x89T\xC3\x89", 1},
      {"abc", "", "x", false, false, "abc", 0},
      {"abc", "z", "x", false, false, "abc", 0},
      {"a-a", "a", "", false, false, "-", 2},
  };
  for (const Case& c : cases) {
    Text line = T(c.line);
    int32_t count = -1;
    xcReplaceAll(line, T(c.find), T(c.replace), count, c.ignoreCase, c.wholeWord);
    EXPECT_EQ(U8(line), c.result) << c.line;
    EXPECT_EQ(count, c.count) << c.line;
  }
}

TEST(ReplaceText, EveryOccurrenceOfALongLineIsReplaced) {
  Text line(2'000'000, u'a');
  int32_t count = 0;
  xcReplaceAll(line, u"a", u"bc", count, true, false);
  EXPECT_EQ(count, 2'000'000);
  Text expected;
  for (int i = 0; i < 2'000'000; ++i) expected += u"bc";
  EXPECT_TRUE(line == expected);
}

// The one-pass replacement against the routine it stands for: xcPosFrom on the growing line.
TEST(ReplaceText, ReplaceAllGivesWhatRepeatedPosFromGives) {
  std::mt19937 random(7);
  const char16_t letters[] = u"aAb_ ";
  const Text finds[] = {u"a", u"ab", u"A b", u"aa"};
  for (int round = 0; round < 2000; ++round) {
    Text line;
    for (int i = static_cast<int>(random() % 12); i > 0; --i) line += letters[random() % 5];
    const Text& find = finds[random() % 4];
    const Text replace = Text(random() % 3, u'a');
    const bool ignoreCase = random() % 2, wholeWord = random() % 2;
    Text expected = line;
    int32_t expectedCount = 0;
    for (int start = 1, next = 0;;) {
      xcPosFrom(expected, find, start, next, ignoreCase, wholeWord);
      if (start == 0) break;
      ++expectedCount;
      expected.replace(static_cast<size_t>(start - 1), find.size(), replace);
      start += static_cast<int>(replace.size());
    }
    int32_t count = 0;
    xcReplaceAll(line, find, replace, count, ignoreCase, wholeWord);
    ASSERT_EQ(line, expected);
    ASSERT_EQ(count, expectedCount);
  }
}

TEST(ReplaceText, PosFromTreatsItsStartAsAWordBoundary) {
  const std::tuple<int, int, int> cases[] = {{2, 2, 3}, {1, 6, 7}, {0, 6, 7}, {7, 0, 0}, {99, 0, 0}};
  for (const auto& [from, found, next] : cases) {
    int start = from, after = -1;
    xcPosFrom(u"xCAT cat", u"cat", start, after, true, true);  // the x before 2 is not looked at
    EXPECT_EQ(start, found) << from;
    EXPECT_EQ(after, next) << from;
  }
}


// Python's re.sub gives the same lines (with \g<0> for \0), where the syntaxes agree.
TEST(ReplaceText, PatternMatchesAreReplacedWithTheirGroups) {
  struct Case {
    const char16_t* pattern;
    bool wholeWords;
    const char16_t* replace;
    const char16_t* line;
    const char16_t* expected;
    int count;
  };
  const Case cases[] = {
      {u"(\\w+)=(\\d+)", false, u"\\2=\\1", u"a=1, bb=22", u"1=a, 22=bb", 2},
      {u"\\d+", false, u"<\\0>", u"x 12 y 3", u"x <12> y <3>", 2},
      {u"a", false, u"\\\\\\0\\n\\", u"ba", u"b\\a\\n\\", 1},  // \\ is one backslash; \n and a last \ stay
      {u"(a)|(b)", false, u"[\\1\\2\\9]", u"ab", u"[a][b]", 2},  // a group that took no part is empty
      {u"a*", false, u"-", u"baac", u"-b--c-", 4},              // empty matches, one character on
      {u"^", false, u"> ", u"quote", u"> quote", 1},
      {u"x*$", false, u"!", u"abc", u"abc!", 1},
      {u"lock", true, u"LOCK", u"unlock lock lock_", u"unlock LOCK lock_", 1},
      {u"\u00e9", false, u"e", u"caf\u00e9 \U0001F600\u00e9", u"cafe \U0001F600e", 2},
      {u"b", false, u"x", u"a\xD800" u"b", u"a\xD800" u"x", 1},         // a lone surrogate stays as it was
  };
  for (const Case& c : cases) {
    Text error;
    auto patterns = Patterns::compile({c.pattern}, false, c.wholeWords, error);
    ASSERT_TRUE(patterns) << toUtf8(error);
    Text line = c.line;
    int32_t count = 0;
    replaceAllMatches(line, *patterns, 0, c.replace, count, false);
    EXPECT_EQ(line, Text(c.expected)) << toUtf8(c.pattern);
    EXPECT_EQ(count, c.count) << toUtf8(c.pattern);
  }
}

// Anchors and word edges see the line as it was, not what a replacement put there.
TEST(ReplaceText, PatternReplacesKeepTheColumnAfterARunOfBlanks) {
  struct Case {
    const char16_t* pattern;
    const char16_t* replace;
    const char16_t* line;
    const char16_t* expected;
    int count;
  };
  const Case cases[] = {
      {u"n(a+)me", u"\\1", u"x = naame      // \u00e9 naaame    end", u"x = aa         // \u00e9 aaa       end", 2},
      {u"^a", u"", u"aaa   b", u"aa    b", 1},
      {u"\\bx", u"-", u"xx", u"-x", 1},
      {u"\\b\\w", u",", u"ab", u",b", 1},
  };
  for (const Case& c : cases) {
    Text error;
    auto patterns = Patterns::compile({c.pattern}, false, false, error);
    ASSERT_TRUE(patterns);
    Text line = c.line;
    int32_t count = 0;
    replaceAllMatches(line, *patterns, 0, c.replace, count, true);
    EXPECT_EQ(line, Text(c.expected)) << toUtf8(c.pattern);
    EXPECT_EQ(count, c.count) << toUtf8(c.pattern);
  }
}

}  // namespace
}  // namespace varko
