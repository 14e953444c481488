#include "results/FileViews.h"

#include <gtest/gtest.h>
#include "support/TestSupport.h"

using namespace varko;
using varko::test::TempDir;

namespace {
TextList numbered(int count) {
  TextList lines;
  for (int i = 1; i <= count; ++i) lines.push_back(u"line " + intToText(i));
  return lines;
}
Text shownNumbers(const FileWindowRows& rows) {
  Text t;
  for (const Text& n : rows.numbers) t += (n.empty() ? Text(u"_") : n) + u",";
  return t;
}
}  // namespace

TEST(FileWindowRowsTest, MiddleOfFileCentresTheLineInTheSixthRow) {
  FileWindowRows rows = BuildFileWindowRows(numbered(100), 50);
  EXPECT_EQ(shownNumbers(rows), u"45,46,47,48,49,50,51,52,53,54,55,");
  EXPECT_EQ(rows.currentRow, 5);
  EXPECT_EQ(rows.lines[5], u"line 50");
}

TEST(FileWindowRowsTest, NearTheStartShowsFromLineOne) {
  FileWindowRows rows = BuildFileWindowRows(numbered(100), 3);
  EXPECT_EQ(shownNumbers(rows), u"1,2,3,4,5,6,7,8,_,_,_,");
  EXPECT_EQ(rows.currentRow, 2);
}

TEST(FileWindowRowsTest, NearTheEndLeavesRowsBlank) {
  FileWindowRows rows = BuildFileWindowRows(numbered(100), 98);
  EXPECT_EQ(shownNumbers(rows), u"93,94,95,96,97,98,99,100,_,_,_,");
  EXPECT_EQ(rows.currentRow, 5);
  EXPECT_EQ(rows.lines[8], u"");
}

TEST(FileWindowRowsTest, FileNameAndNoticeRowsSelectNothing) {
  FileWindowRows name = BuildFileWindowRows(numbered(100), 0);
  EXPECT_EQ(shownNumbers(name), u"1,2,3,4,5,_,_,_,_,_,_,");
  EXPECT_EQ(name.currentRow, -1);
  FileWindowRows notice = BuildFileWindowRows(numbered(100), -1);
  EXPECT_EQ(shownNumbers(notice), u"1,2,3,4,_,_,_,_,_,_,_,");
  EXPECT_EQ(notice.currentRow, -1);
}

TEST(FileWindowRowsTest, CentreBeyondAShrunkFile) {
  FileWindowRows rows = BuildFileWindowRows(numbered(10), 14);
  EXPECT_EQ(shownNumbers(rows), u"9,10,_,_,_,_,_,_,_,_,_,");
  EXPECT_EQ(rows.currentRow, -1);
  EXPECT_EQ(shownNumbers(BuildFileWindowRows(numbered(10), 40)), u"_,_,_,_,_,_,_,_,_,_,_,");
}

TEST(FileWindowLinesTest, SamePathIsNotReadAgain) {
  TempDir dir;
  Text file = pathToText(dir.write("a.txt", "one\ntwo\n"));
  FileWindowLines cache;
  EXPECT_EQ(cache.Load(file), u"");
  dir.write("a.txt", "changed\n");
  EXPECT_EQ(cache.Load(file), u"");
  EXPECT_EQ(cache.lines(), (TextList{u"one", u"two"}));
  EXPECT_EQ(cache.readCount(), 1);
}

TEST(FileWindowLinesTest, FailedReadKeepsThePreviousFile) {
  TempDir dir;
  Text file = pathToText(dir.write("a.txt", "one\n"));
  FileWindowLines cache;
  cache.Load(file);
  EXPECT_EQ(cache.Load(dir.text() + u"gone.txt"), u"No such file or directory");
  EXPECT_EQ(cache.file(), file);
  EXPECT_EQ(cache.lines(), TextList{u"one"});
}

TEST(ViewGridTest, RowIndexIsTheLineNumber) {
  ResultTable grid(2, 1);
  FillViewGrid(numbered(3), grid);
  EXPECT_EQ(grid.rowCount(), 4);
  EXPECT_EQ(grid.cell(0, 0), u"");
  EXPECT_EQ(grid.cell(0, 3), u"3");
  EXPECT_EQ(grid.cell(1, 3), u"line 3");
}

TEST(ViewGridTest, ViewLineSelectsHeaderLineOrNothingNew) {
  EXPECT_EQ(ViewCurrentRow(-1, 10, 7), 7);
  EXPECT_EQ(ViewCurrentRow(0, 10, 7), 0);
  EXPECT_EQ(ViewCurrentRow(10, 10, 7), 10);
  EXPECT_EQ(ViewCurrentRow(11, 10, 7), 7);
}

TEST(ViewGridTest, WholeFileIsDecodedIntoLines) {
  TempDir dir;
  TextList lines;
  EXPECT_EQ(LoadWholeFile(pathToText(dir.write("a.txt", "caf\xc3\xa9\r\nx\ry")), lines), u"");
  EXPECT_EQ(lines, (TextList{u"caf\u00e9", u"x", u"y"}));
  EXPECT_EQ(LoadWholeFile(pathToText(dir.mkdir("sub")), lines), u"Not a regular file");
}
