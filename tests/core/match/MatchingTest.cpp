#include "match/Matching.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace varko {
namespace {

using test::T;
using namespace std::literals;

struct WordPosCase {
  const char* text;
  const char* find;
  bool ignoreCase;
  bool wholeWord;
  int expected;
};

void PrintTo(const WordPosCase& c, std::ostream* os) {
  *os << "'" << c.find << "' in '" << c.text << "'" << (c.ignoreCase ? " ignoring case" : "")
      << (c.wholeWord ? " whole word" : "");
}

class WordPosTest : public ::testing::TestWithParam<WordPosCase> {};

TEST_P(WordPosTest, GivesPosition) {
  const auto& c = GetParam();
  EXPECT_EQ(xcWordPos(T(c.text), T(c.find), c.ignoreCase, c.wholeWord), c.expected)
      << "find '" << c.find << "' in '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    plain, WordPosTest,
    ::testing::Values(WordPosCase{"hello world", "world", false, false, 7},
                      WordPosCase{"hello world", "World", false, false, 0},
                      WordPosCase{"hello world", "WORLD", true, false, 7},
                      WordPosCase{"hello", "", false, false, 0},
                      WordPosCase{"", "", true, true, 0},
                      WordPosCase{"ab", "abc", false, false, 0},
                      WordPosCase{"xabcd", "abc", false, false, 2},
                      // Only a to z fold.
                      WordPosCase{"STRAßE", "straße", true, false, 1},
                      WordPosCase{"ÉCLAIR", "éclair", true, false, 0},
                      WordPosCase{"éclair", "ÉCLAIR", true, false, 0}));

INSTANTIATE_TEST_SUITE_P(
    whole_words, WordPosTest,
    ::testing::Values(WordPosCase{"x abc y", "abc", false, true, 3},
                      WordPosCase{"(abc)", "abc", false, true, 2},
                      WordPosCase{"abc", "abc", false, true, 1},
                      WordPosCase{"abc y", "abc", false, true, 1},
                      WordPosCase{"x abc", "abc", false, true, 3},
                      WordPosCase{"abcd", "abc", false, true, 0},
                      WordPosCase{"xabc", "abc", false, true, 0},
                      WordPosCase{"abc_1", "abc", false, true, 0},
                      WordPosCase{"abc9", "abc", false, true, 0},
                      WordPosCase{"éabcé", "abc", false, true, 2},
                      WordPosCase{"ABCD abc", "abc", true, true, 6},
                      // A refused occurrence is skipped and the search resumes after it.
                      WordPosCase{"xab ab", "ab", false, true, 5},
                      // The new remainder has no left neighbour for its first occurrence.
                      WordPosCase{"abab", "ab", false, true, 3},
                      WordPosCase{"aa a", "a", false, true, 2},
                      // An occurrence inside a refused one is never considered.
                      WordPosCase{"ba a a", "a a", false, true, 0},
                      // Neighbours beyond a find text's blanks.
                      WordPosCase{"a b", " b", false, true, 0},
                      WordPosCase{"a  b", " b", false, true, 3},
                      WordPosCase{"abc", "abc ", false, true, 0},
                      WordPosCase{"abc d", "abc ", false, true, 0},
                      WordPosCase{"abc .", "abc ", false, true, 1},
                      WordPosCase{"abc d", "abc ", false, false, 1},
                      WordPosCase{"xabc abc ", "abc ", false, true, 6},
                      // A remainder of blanks only ends the search.
                      WordPosCase{"a  ", " ", false, true, 0},
                      WordPosCase{"a  ", " ", false, false, 2}));

TEST(SplitWordsTest, RunsAboveBlankAreWords) {
  EXPECT_EQ(xcSplitWords(T("a  b "), 30), (TextList{u"a", u"b"}));
  EXPECT_EQ(xcSplitWords(u"\ta\x01" u"b\u00e9\x00" u"c"sv, 30), (TextList{u"a", u"b\u00e9", u"c"}));
  EXPECT_EQ(xcSplitWords(u"  \t ", 30), TextList{});
  EXPECT_EQ(xcSplitWords(T("one two three"), 2), (TextList{u"one", u"two"}));
  EXPECT_EQ(xcSplitWords(T("x"), 30), TextList{u"x"});
}

TEST(SplitWordsTest, WordAtCountsFromOne) {
  EXPECT_EQ(xcWordAt(T(" first second "), 1), u"first");
  EXPECT_EQ(xcWordAt(T(" first second "), 2), u"second");
  EXPECT_EQ(xcWordAt(T(" first second "), 3), u"");
  EXPECT_EQ(xcWordAt(T(" first second "), 0), u"");
  Text many;
  for (int i = 1; i <= 31; ++i) many += u"w" + intToText(i) + u" ";
  EXPECT_EQ(xcWordAt(many, 30), u"w30");
  EXPECT_EQ(xcWordAt(many, 31), u"");
}

TEST(GoogleWordsTest, TwoOrMoreWordsMakeAList) {
  TextList words{u"stale"};
  EXPECT_EQ(xcGoogleWords(T("a  b "), words), 2);
  EXPECT_EQ(words, (TextList{u"a", u"b"}));
}

TEST(GoogleWordsTest, OneWordOrBlankGivesNoList) {
  TextList words{u"stale"};
  EXPECT_EQ(xcGoogleWords(T("  single "), words), 1);
  EXPECT_TRUE(words.empty());
  words = {u"stale"};
  EXPECT_EQ(xcGoogleWords(T("   "), words), 0);
  EXPECT_TRUE(words.empty());
}

TEST(GoogleWordsTest, WordsAfterThirtyAreIgnored) {
  Text many;
  for (int i = 1; i <= 35; ++i) many += u"w" + intToText(i) + u" ";
  TextList words;
  EXPECT_EQ(xcGoogleWords(many, words), kMaxGoogleWords);
  ASSERT_EQ(words.size(), 30u);
  EXPECT_EQ(words.back(), u"w30");
}

TEST(AllWordsPosTest, LeftmostFoundWordInAnyOrder) {
  int found = -1;
  EXPECT_EQ(xcAllWordsPos(T("dog and cat"), {u"cat", u"dog"}, 2, false, false, found), 1);
  EXPECT_EQ(found, 2);
}

TEST(AllWordsPosTest, TooFewWordsGiveZeroButCountThem) {
  int found = -1;
  EXPECT_EQ(xcAllWordsPos(T("a cat"), {u"cat", u"dog"}, 2, false, false, found), 0);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(xcAllWordsPos(T("a cat"), {u"cat", u"dog"}, 1, false, false, found), 3);
  EXPECT_EQ(found, 1);
}

TEST(AllWordsPosTest, FlagsApplyToEachWord) {
  int found = -1;
  EXPECT_EQ(xcAllWordsPos(T("cats and DOG"), {u"cat", u"dog"}, 2, true, true, found), 0);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(xcAllWordsPos(T("cats and DOG"), {u"cat", u"dog"}, 2, true, false, found), 1);
  EXPECT_EQ(found, 2);
  EXPECT_EQ(xcAllWordsPos(T("cats and DOG"), {u"cat", u"dog"}, 2, false, false, found), 0);
  EXPECT_EQ(found, 1);
}

TEST(AllWordsPosTest, OverlappingWordsBothCount) {
  int found = -1;
  EXPECT_EQ(xcAllWordsPos(T("xabc"), {u"bc", u"ab"}, 2, false, false, found), 2);
  EXPECT_EQ(found, 2);
}

}  // namespace
}  // namespace varko
