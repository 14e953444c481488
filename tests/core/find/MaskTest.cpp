#include "find/Mask.h"

#include <gtest/gtest.h>

#include "lib/Errors.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::T;

struct NameCase {
  const char* mask;
  const char* name;
  bool matches;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << "'" << c.name << "' against '" << c.mask << "'";
}

class MaskTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(MaskTest, MatchesWholeName) {
  const auto& c = GetParam();
  EXPECT_EQ(xcMatchesMask(T(c.name), T(c.mask)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    masks, MaskTest,
    ::testing::Values(NameCase{"*.*", "a.txt", true},
                      NameCase{"*.*", "README", false},
                      NameCase{"*.*", ".hidden", true},
                      NameCase{"*.pas", "UNIT1.PAS", true},
                      NameCase{"*.PAS", "unit1.pas", true},
                      NameCase{"*.pas", "unit1.pas.bak", false},
                      NameCase{"src*.pas", "/src/a.pas", false},
                      NameCase{"a?c", "abc", true},
                      NameCase{"a?c", "ac", false},
                      NameCase{"a?c", "abbc", false},
                      NameCase{"?*", "", false},
                      NameCase{"*", "", true},
                      NameCase{"*", "any.thing", true},
                      NameCase{"", "a", false},
                      NameCase{"abc", "abcd", false},
                      NameCase{"abc", "ab", false},
                      // "?" directly after "*" is dropped.
                      NameCase{"a*?", "a", true},
                      NameCase{"*?", "", true},
                      NameCase{"*??x", "x", true},
                      NameCase{"?a*", "a", false},
                      // Backtracking over star groups.
                      NameCase{"*a*b", "xaxxb", true},
                      NameCase{"*ab", "aab", true},
                      NameCase{"a*b*c", "abbbcbc", true},
                      NameCase{"*x", "xxxy", false},
                      NameCase{"*.txt", "a.txt.txt", true},
                      // Only a to z fold.
                      NameCase{"é*", "é.txt", true},
                      NameCase{"é*", "É.txt", false},
                      NameCase{"x€", "X€", true},
                      // Sets.
                      NameCase{"[a-c]x", "Bx", true},
                      NameCase{"[A-C]x", "bx", true},
                      NameCase{"[a-c]x", "dx", false},
                      NameCase{"[!a-c]x", "dx", true},
                      NameCase{"[!a-c]x", "Bx", false},
                      NameCase{"[abc]", "ab", false},
                      NameCase{"[a-cx-z0-9]", "y", true},
                      NameCase{"[a-cx-z0-9]", "5", true},
                      NameCase{"[a-cx-z0-9]", "m", false},
                      NameCase{"[z-a]", "Z", true},  // a reversed range adds nothing
                      NameCase{"[z-a]", "m", false},
                      NameCase{"[a-c-e]", "d", true},  // a range starts at the last single character
                      NameCase{"[!!]", "!", false},
                      NameCase{"[!!]", "a", true},
                      NameCase{"[é]", "é", true},
                      NameCase{"[é]", "É", false},
                      NameCase{"*[0-9].log", "run7.log", true},
                      NameCase{"*[0-9].log", "run.log", false},
                      // Characters above 255 are never members.
                      NameCase{"[a€]", "€", false},
                      NameCase{"[a€]", "A", true},
                      NameCase{"[!a]", "€", true},
                      NameCase{"[!a€]", "€", true},
                      NameCase{"[a-€]", "ÿ", true},
                      // A "[" inside a set is a member; "]" ends the set.
                      NameCase{"[[]", "[", true},
                      NameCase{"a]", "a]", true}));

TEST(MaskSyntaxTest, ThirtyStarGroupsAreAllowed) {
  Text mask;
  for (int i = 0; i < 30; ++i) mask += u"*a";
  EXPECT_TRUE(FileMask(mask).matches(Text(30, u'a')));
  EXPECT_FALSE(FileMask(mask).matches(Text(29, u'a')));
  // Stars in a row are one group.
  EXPECT_NO_THROW(FileMask(Text(40, u'*') + u"x"));
  EXPECT_NO_THROW(FileMask(mask + u"?"));
}

struct InvalidCase {
  Text mask;
  int position;
};

TEST(MaskSyntaxTest, InvalidMasksNameThePositionReached) {
  Text stars31;
  for (int i = 0; i < 31; ++i) stars31 += u"*a";
  Text stars30;
  for (int i = 0; i < 30; ++i) stars30 += u"*a";
  const InvalidCase cases[] = {
      {u"[", 2},
      {u"abc[", 5},
      {u"[abc", 5},
      {u"[]", 2},
      {u"[!]", 3},
      {u"[-a]", 2},
      {u"x[!-a]", 4},
      {u"[€]", 3},     // nor does a character above 255
      {u"[a-", 4},
      {u"[a-]", 5},    // the "]" ends the range, so the set stays open
      {stars31, 62},   // the 31st group's element
      {stars30 + u"*[ab]", 65},
      {stars30 + u"*", 62},
  };
  for (const auto& c : cases) {
    try {
      FileMask mask(c.mask);
      ADD_FAILURE() << "no failure for " << test::U8(c.mask);
    } catch (const EMaskException& e) {
      EXPECT_EQ(e.text(), u"'" + c.mask + u"' is an invalid mask at (" + intToText(c.position) + u")");
    }
  }
}

TEST(MaskSyntaxTest, InvalidMaskFailsWhenMatching) {
  EXPECT_THROW(xcMatchesMask(u"a.txt", u"*.[txt"), EMaskException);
}

class ListingPatternTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ListingPatternTest, Matches) {
  const auto& c = GetParam();
  EXPECT_EQ(matchesListingPattern(T(c.name), T(c.mask)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    listing, ListingPatternTest,
    ::testing::Values(NameCase{"*.*", "README", true},
                      NameCase{"*.*", "a.b.c", true},
                      NameCase{"*.*", ".", true},
                      NameCase{"*.*", "..", true},
                      NameCase{"*.txt", "notes.TXT", true},
                      NameCase{"*.txt", "notes.txt.bak", false},
                      NameCase{"*.txt", "txt", false},
                      NameCase{"a.*", "a", true},
                      NameCase{"a.*", "A.x", true},
                      NameCase{"a.*", "ab", false},
                      NameCase{"ab*.*", "abc", true},
                      NameCase{"x.b.*", "x.b", false},
                      NameCase{"?", "a", true},
                      NameCase{"?", "ab", false},
                      NameCase{"?*", "", false},
                      NameCase{"a*?", "a", false},
                      NameCase{"[a]", "a", false},
                      NameCase{"[a]", "[A]", true},
                      NameCase{"é*", "É", false}));

}  // namespace
}  // namespace varko
