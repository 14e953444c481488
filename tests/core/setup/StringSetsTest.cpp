#include "setup/StringSets.h"

#include <gtest/gtest.h>
#include "support/TestSupport.h"

using namespace varko;
using varko::test::TempDir;

namespace {
TextList split(TextView text, int limit, int& number) {
  TextList fields;
  xcSplitFields(text, u'\t', limit, fields, number);
  return fields;
}
}  // namespace

TEST(SplitFieldsTest, FieldsAreKeptExactlyWithBlanks) {
  int n = 0;
  TextList f = split(u" a \t b\tc", 5, n);
  EXPECT_EQ(n, 3);
  ASSERT_EQ(f.size(), 6u);
  EXPECT_EQ(f[0], u" a ");
  EXPECT_EQ(f[1], u" b");
  EXPECT_EQ(f[2], u"c");
  EXPECT_EQ(f[3], u"");
}

TEST(SplitFieldsTest, ANegativeLimitIsZeroAndStaysInsideTheFields) {
  int n = 0;
  TextList f = split(u"a\tb\tc\td", -3, n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(f, TextList{u"a"});
}

TEST(SplitFieldsTest, BlankTextMakesNoFieldsAndEmptiesOldOnes) {
  int n = 7;
  TextList fields{u"old", u"old"};
  xcSplitFields(u" \t ", u'\t', 5, fields, n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(fields, TextList(6, Text()));
}

TEST(SplitFieldsTest, TextWithoutSeparatorIsOneField) {
  int n = 0;
  TextList f = split(u"cat", 5, n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(f[0], u"cat");
}

TEST(SplitFieldsTest, LeadingAndTrailingSeparatorsMakeEmptyFields) {
  int n = 0;
  TextList f = split(u"\tb", 5, n);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(f[0], u"");
  EXPECT_EQ(f[1], u"b");
  f = split(u"a\t", 5, n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(f[0], u"a");
}

TEST(SplitFieldsTest, TailAfterLimitFieldsIsDroppedAndScanStopsAfterLimitPlusOne) {
  int n = 0;
  // Five separators end five fields; the tail would be a sixth field, which is not made.
  TextList f = split(u"a\tb\tc\td\te\tf", 5, n);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(f[4], u"e");
  EXPECT_EQ(f[5], u"");
  // Six separators end six fields, then the scan stops.
  f = split(u"a\tb\tc\td\te\tf\tg\th", 5, n);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(f[5], u"f");
  // Four fields and a tail: the tail is the fifth.
  f = split(u"a\tb\tc\td\te", 5, n);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(f[4], u"e");
}

TEST(StringSetTest, PairsAreLoadedAndBlankFindLinesSkipped) {
  TempDir dir;
  Text file = pathToText(dir.write("set.txt", "a\tb\tc\r\n\tb\r\nonly\n\r\n  \t x\rlast\tL"));
  StringTable table;
  table.count = 9;
  table.replace(5) = u"old";
  StringSetLoad load = xcLoadStringSet(kFindAndReplace, file, table);
  EXPECT_TRUE(load.loaded);
  EXPECT_EQ(table.count, 3);
  EXPECT_EQ(table.find(1), u"a");
  EXPECT_EQ(table.replace(1), u"b");
  EXPECT_EQ(table.find(2), u"only");
  EXPECT_EQ(table.replace(2), u"");
  EXPECT_EQ(table.find(3), u"last");
  EXPECT_EQ(table.replace(3), u"L");
  EXPECT_EQ(table.replace(5), u"");
}

TEST(StringSetTest, FindStringsOnlyLeavesReplaceStrings) {
  TempDir dir;
  Text file = pathToText(dir.write("set.txt", "cat\tCAT\ndog\n"));
  StringTable table;
  table.find(3) = u"stale";
  table.replace(1) = u"keep1";
  table.replace(3) = u"keep3";
  xcLoadStringSet(kFindStringsOnly, file, table);
  EXPECT_EQ(table.count, 2);
  EXPECT_EQ(table.find(2), u"dog");
  EXPECT_EQ(table.find(3), u"");
  EXPECT_EQ(table.replace(1), u"keep1");
  EXPECT_EQ(table.replace(3), u"keep3");
}

TEST(StringSetTest, MissingFileChangesNothing) {
  TempDir dir;
  StringTable table;
  table.count = 1;
  table.find(1) = u"cat";
  StringSetLoad load = xcLoadStringSet(kFindAndReplace, dir.text() + u"none.txt", table);
  EXPECT_FALSE(load.loaded);
  EXPECT_EQ(table.count, 1);
  EXPECT_EQ(table.find(1), u"cat");
}

TEST(StringSetTest, LinesBeyondTwoHundredAreCountedNotStored) {
  TempDir dir;
  std::string text;
  for (int i = 1; i <= 203; ++i) text += "s" + std::to_string(i) + "\n";
  StringTable table;
  StringSetLoad load = xcLoadStringSet(kFindStringsOnly, pathToText(dir.write("big.txt", text)), table);
  EXPECT_EQ(table.count, 200);
  EXPECT_EQ(table.find(200), u"s200");
  EXPECT_EQ(load.ignoredLines, 3);
}

TEST(StringSetTest, ShowWritesCountRowsAndKindDecidesColumnOne) {
  StringTable table;
  table.count = 2;
  table.find(1) = u"cat";
  table.replace(1) = u"dog";
  table.find(2) = u"cow";
  StringGridRows rows(5);
  rows[0][1] = u"typed";
  xcShowStringSet(kFindStringsOnly, table, rows);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][0], u"cow");
  EXPECT_EQ(rows[0][1], u"typed");
  xcShowStringSet(kFindAndReplace, table, rows);
  EXPECT_EQ(rows[0][1], u"dog");
}

TEST(MultipleFindTest, BlankRowsSkippedAndTextInAngleBrackets) {
  StringTable table;
  table.find(5) = u"stale";
  table.replace(1) = u"kept";
  MultipleFindTake take = TakeMultipleFind({u"cat", u"", u" \t", u"dog "}, table);
  EXPECT_TRUE(take.taken);
  EXPECT_EQ(table.count, 2);
  EXPECT_EQ(table.find(1), u"cat");
  EXPECT_EQ(table.find(2), u"dog ");
  EXPECT_EQ(table.find(5), u"");
  EXPECT_EQ(table.replace(1), u"kept");
  EXPECT_EQ(take.multipleSearchText, u"<cat><dog >");
}

TEST(MultipleFindTest, OneOrNoStringGivesTheStringAlone) {
  StringTable table;
  EXPECT_EQ(TakeMultipleFind({u"", u"cat"}, table).multipleSearchText, u"cat");
  EXPECT_EQ(table.count, 1);
  EXPECT_EQ(TakeMultipleFind({u""}, table).multipleSearchText, u"");
  EXPECT_EQ(table.count, 0);
}

TEST(MultipleFindTest, MoreThanTwoHundredStringsAreRefusedWhole) {
  StringTable table;
  table.count = 1;
  table.find(1) = u"cat";
  TextList cells;
  for (int i = 0; i < 201; ++i) cells.push_back(intToText(i));
  MultipleFindTake take = TakeMultipleFind(cells, table);
  EXPECT_FALSE(take.taken);
  EXPECT_FALSE(take.refusal.empty());
  EXPECT_EQ(table.count, 1);
  EXPECT_EQ(table.find(1), u"cat");
  cells.pop_back();
  EXPECT_TRUE(TakeMultipleFind(cells, table).taken);
  EXPECT_EQ(table.count, 200);
}
