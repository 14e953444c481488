#include "results/GridFind.h"

#include <gtest/gtest.h>

#include "results/FoundRowStyle.h"

using namespace varko;

namespace {

// A results grid as a run leaves it: rows of (line, text, path, position).
ResultTable MakeGrid(const std::vector<std::array<Text, 4>>& rows) {
  ResultTable grid(4, 0);
  int32_t counter = -1;
  for (const auto& row : rows) {
    xcGridAddRow(grid, counter);
    for (int c = 0; c < 4; ++c) grid.setCell(c, counter, row[static_cast<size_t>(c)]);
  }
  grid.setCurrentRow(0);
  return grid;
}

ResultTable ThreeFiles() {
  return MakeGrid({
      {u"", u"Folders=/d Filespec=*.*  String=abc", u"", u""},  // 0 message
      {u"", u"/d/a.pas", u"/d/a.pas", u""},                     // 1 file-name
      {u"3", u"abc here", u"/d/a.pas", u"1"},                   // 2
      {u"7", u"more abc", u"/d/a.pas", u"6"},                   // 3
      {u"", u"/d/b.txt", u"/d/b.txt", u""},                     // 4
      {u"1", u"x abc", u"/D/B.TXT ", u"3"},                     // 5 same file, other case
      {u"-1", u"/d/c.dfm", u"/d/c.dfm", u""},                   // 6 notice rows
      {u"-1", u"Searching File too slow", u"/d/c.dfm", u""},    // 7
  });
}

}  // namespace

TEST(GridFindTest, ContainmentIgnoresAToZCaseAndEmptyNeverMatches) {
  EXPECT_TRUE(gridCellContains(u"Hello World", u"o w"));
  EXPECT_FALSE(gridCellContains(u"Hello", u""));
  EXPECT_FALSE(gridCellContains(u"", u"a"));
  EXPECT_FALSE(gridCellContains(u"\u00e9t\u00e9", u"\u00c9T\u00c9"));  // only a-z fold
}

TEST(GridFindTest, NextFindsATextHeldOnlyInTheHiddenPathColumn) {
  ResultTable grid = ThreeFiles();
  grid.setCurrentRow(1);
  int column = 1;
  ASSERT_TRUE(xcGridSearchNext(grid, column, u"b.txt"));
  EXPECT_EQ(grid.currentRow(), 4);
  EXPECT_EQ(column, 1);
  ASSERT_TRUE(xcGridSearchNext(grid, column, u"b.txt"));
  EXPECT_EQ(grid.currentRow(), 5);
  EXPECT_EQ(column, 2) << "only the path column of row 5 holds it";
}

TEST(GridFindTest, TheLineNumberColumnIsSearchedFirst) {
  ResultTable grid = ThreeFiles();
  int column = 1;
  ASSERT_TRUE(xcGridSearchNext(grid, column, u"7"));
  EXPECT_EQ(grid.currentRow(), 3);
  EXPECT_EQ(column, 0);
}

TEST(GridFindTest, NoWrapAroundAndNoMoveWhenNothingFound) {
  ResultTable grid = ThreeFiles();
  grid.setCurrentRow(7);
  int column = 1;
  EXPECT_FALSE(xcGridSearchNext(grid, column, u"abc"));
  EXPECT_EQ(grid.currentRow(), 7);
  grid.setCurrentRow(0);
  EXPECT_FALSE(xcGridSearchPrev(grid, column, u"abc"));
  EXPECT_EQ(grid.currentRow(), 0);
  EXPECT_EQ(column, 1);
}

TEST(GridFindTest, PrevSearchesUpwardsFromTheRowAbove) {
  ResultTable grid = ThreeFiles();
  grid.setCurrentRow(5);
  int column = 0;
  ASSERT_TRUE(xcGridSearchPrev(grid, column, u"ABC"));
  EXPECT_EQ(grid.currentRow(), 3);
  ASSERT_TRUE(xcGridSearchPrev(grid, column, u"ABC"));
  EXPECT_EQ(grid.currentRow(), 2);
  ASSERT_TRUE(xcGridSearchPrev(grid, column, u"ABC"));
  EXPECT_EQ(grid.currentRow(), 0) << "the request message row holds the string too";
}

TEST(GridFindTest, PrevNeverReachesAFixedHeaderRow) {
  ResultTable grid(2, 1);
  int32_t counter = -1;
  for (Text t : {u"x", u"y"}) {
    xcGridAddRow(grid, counter);
    grid.setCell(1, counter, t);
  }
  grid.setCell(1, 0, u"x header");
  grid.setCurrentRow(2);
  int column = 0;
  ASSERT_TRUE(xcGridSearchPrev(grid, column, u"x"));
  EXPECT_EQ(grid.currentRow(), 1);
  EXPECT_FALSE(xcGridSearchPrev(grid, column, u"x"));
}

TEST(GridFindTest, CtrlFOffersTheCurrentCellAndTakesTheEditedText) {
  ResultTable grid = ThreeFiles();
  grid.setCurrentRow(2);
  int column = 1;
  Text findText = u"old";
  Text offered;
  ASSERT_TRUE(xcGridSearch(grid, column, findText, [&](Text& t) {
    offered = t;
    t = u"x abc";
    return true;
  }));
  EXPECT_EQ(offered, u"abc here");
  EXPECT_EQ(findText, u"x abc");
  EXPECT_EQ(grid.currentRow(), 5);
}

TEST(GridFindTest, CancelledPromptSearchesTheCurrentCellsOwnTextFromTheNextRow) {
  ResultTable grid = MakeGrid({{u"1", u"same", u"/f", u""}, {u"2", u"other", u"/f", u""}, {u"3", u"the same", u"/f", u""}});
  int column = 1;
  Text findText = u"previous";
  ASSERT_TRUE(xcGridSearch(grid, column, findText, [](Text& t) {
    t = u"ignored";
    return false;
  }));
  EXPECT_EQ(findText, u"same");
  EXPECT_EQ(grid.currentRow(), 2);
}

TEST(GridFindTest, CtrlFOnTheLastRowFindsNothing) {
  ResultTable grid = ThreeFiles();
  grid.setCurrentRow(7);
  int column = 1;
  Text findText;
  EXPECT_FALSE(xcGridSearch(grid, column, findText, [](Text&) { return true; }));
  EXPECT_EQ(grid.currentRow(), 7);
}

TEST(GridFindTest, NextFileLandsOnTheNextFilesNameRow) {
  ResultTable grid = ThreeFiles();
  grid.setCurrentRow(2);
  ASSERT_TRUE(SelectNextFile(grid));
  EXPECT_EQ(grid.currentRow(), 4);
  ASSERT_TRUE(SelectNextFile(grid)) << "paths compare without case and blanks, so row 5 is b.txt's";
  EXPECT_EQ(grid.currentRow(), 6);
}

TEST(GridFindTest, NextFileInTheLastBlockStays) {
  ResultTable grid = ThreeFiles();
  for (int r : {6, 7}) {
    grid.setCurrentRow(r);
    EXPECT_FALSE(SelectNextFile(grid));
    EXPECT_EQ(grid.currentRow(), r);
  }
}

TEST(GridFindTest, PrevFileLandsOnTheLastRowOfTheBlockAbove) {
  ResultTable grid = ThreeFiles();
  grid.setCurrentRow(4);
  ASSERT_TRUE(SelectPrevFile(grid));
  EXPECT_EQ(grid.currentRow(), 3);
  grid.setCurrentRow(7);
  ASSERT_TRUE(SelectPrevFile(grid)) << "a notice row belongs to its file's block";
  EXPECT_EQ(grid.currentRow(), 5);
}

TEST(GridFindTest, PrevFileInTheFirstBlockStays) {
  ResultTable grid = MakeGrid({{u"", u"/a", u"/a", u""}, {u"1", u"x", u"/a", u"1"}, {u"", u"/b", u"/b", u""}});
  for (int r : {0, 1}) {
    grid.setCurrentRow(r);
    EXPECT_FALSE(SelectPrevFile(grid));
    EXPECT_EQ(grid.currentRow(), r);
  }
}

TEST(GridFindTest, FirstResultSkipsTheSearchLineFileNamesAndNotices) {
  ResultTable grid = MakeGrid({{u"-1", u"/d/c.dfm", u"/d/c.dfm", u""},
                               {u"", u"/d/a.pas", u"/d/a.pas", u""},
                               {u"3", u"abc here", u"/d/a.pas", u"1"},
                               {u"7", u"more abc", u"/d/a.pas", u"6"}});
  ASSERT_TRUE(SelectFirstResult(grid));
  EXPECT_EQ(grid.currentRow(), 2);
}

TEST(GridFindTest, FirstResultLeavesTheCurrentRowWithoutAMatchOrAtTheTop) {
  ResultTable grid = MakeGrid({{u"", u"/d/a.pas", u"/d/a.pas", u""}, {u"-1", u"too slow", u"/d/a.pas", u""}});
  grid.setCurrentRow(1);
  EXPECT_FALSE(SelectFirstResult(grid));
  EXPECT_EQ(grid.currentRow(), 1);
  ResultTable matchOnTop = MakeGrid({{u"3", u"abc", u"/d/a.pas", u"1"}, {u"4", u"abc", u"/d/a.pas", u"1"}});
  matchOnTop.setCurrentRow(1);
  EXPECT_FALSE(SelectFirstResult(matchOnTop));
  EXPECT_EQ(matchOnTop.currentRow(), 1);
}

TEST(GridFitTest, WidthsAreSharedOutInProportion) {
  GridMeasures grid{16, 8, 235, {5, 100, 0}};
  xcGridFitColumns(grid, true);
  EXPECT_EQ(grid.columnWidths, (std::vector<int>{9, 181, 0}));
}

TEST(GridFitTest, WithoutTheFlagOnlyRowHeightAndFontChange) {
  GridMeasures grid{6, 12, 500, {44, 744}};
  xcGridFitColumns(grid, false);
  EXPECT_EQ(grid.defaultRowHeight, 16);
  EXPECT_EQ(grid.fontSize, 8);
  EXPECT_EQ(grid.columnWidths, (std::vector<int>{44, 744}));
}

TEST(GridFitTest, LargestFontFollowsTheRowHeight) {
  for (auto [height, font] : {std::pair{16, 8}, {18, 10}, {20, 11}}) {
    GridMeasures grid{height, 30, 100, {}};
    xcGridFitColumns(grid, true);
    EXPECT_EQ(grid.fontSize, font) << height;
  }
  GridMeasures small{20, 7, 100, {}};
  xcGridFitColumns(small, true);
  EXPECT_EQ(small.fontSize, 7) << "a smaller font stays";
}

TEST(GridFitTest, FoundColumnsWidenANarrowLineNumberColumnFirst) {
  GridMeasures grid{16, 8, 835, {20, 744, 0, 0}};
  FitFoundColumns(grid);
  // 40 and 744 share 800 pixels: 40*800/784 = 40, 744*800/784 = 759.
  EXPECT_EQ(grid.columnWidths, (std::vector<int>{40, 759, 0, 0}));
}

TEST(ResultsFontTest, StaysBetween4And20) {
  EXPECT_EQ(ResultsFontLarger(20), 20);
  EXPECT_EQ(ResultsRowHeight(ResultsFontLarger(20)), 38);
  EXPECT_EQ(ResultsFontSmaller(4), 4);
  EXPECT_EQ(ResultsRowHeight(ResultsFontSmaller(4)), 6);
  EXPECT_EQ(ResultsFontLarger(9), 10);
  EXPECT_EQ(ResultsFontSmaller(9), 8);
}

TEST(FoundStyleTest, MatchRowsAreNavyAndRegular) {
  FoundCellStyle s = FoundCellStyleOf(1, u"12", u"a line with .pas", false);
  EXPECT_EQ(s.text, kNavy);
  EXPECT_FALSE(s.bold);
  EXPECT_EQ(s.background, kWhite);
  EXPECT_TRUE(s.drawText);
}

TEST(FoundStyleTest, NameRowsTakeTheColourOfTheLastExtensionTest) {
  EXPECT_EQ(FoundCellStyleOf(1, u"", u"/x/readme", false).text, kPurple);
  EXPECT_EQ(FoundCellStyleOf(1, u"  ", u"/x/unit1.pas", false).text, kMaroon);
  EXPECT_EQ(FoundCellStyleOf(1, u"", u"/x/form.DFM", false).text, kGreen);
  EXPECT_EQ(FoundCellStyleOf(1, u"", u"/x/unit1.pas.txt", false).text, kBlack);
  EXPECT_TRUE(FoundCellStyleOf(0, u"", u"/x/readme", false).bold) << "every cell of the row";
}

TEST(FoundStyleTest, NoticeRowsAreRedAndHideTheirMinusOne) {
  FoundCellStyle line = FoundCellStyleOf(0, u"-1", u"/x/a.pas", false);
  EXPECT_EQ(line.text, kRed);
  EXPECT_FALSE(line.drawText);
  EXPECT_FALSE(line.bold);
  FoundCellStyle text = FoundCellStyleOf(1, u"-1", u"Searching File too slow", true);
  EXPECT_EQ(text.text, kRed);
  EXPECT_TRUE(text.drawText);
  EXPECT_EQ(text.background, kCurrentRowBack);
}

TEST(FoundStyleTest, RowHintHasFourLinesWithAnEmptyInfoLineForAMissingFile) {
  Text hint = FoundGridRowHint(u"/no/such/file.txt");
  EXPECT_EQ(hint, u"/no/such/file.txt\r\n\r\nCTRL+F=Find  F3=Next Shift+F3=Prev\r\nCTRL+N=Next File   CTRL+P=Prev File");
}

TEST(GridFindTest, FindsTheSameCellAsReadingEveryCellAsText) {
  // Cells kept as numbers, UTF-8 bytes, shared paths and plain texts all answer as their texts do.
  ResultTable grid = MakeGrid({
      {u"12", u"Caf\u00e9 au LAIT", u"/d/caf\u00e9.txt", u"3"},
      {u"abc", u"x", u"/d/a", u"position 7"},                     // columns 0 and 3 kept as texts
      {u"-1", u"half \xd83d\xde00 pair", u"/d/a", u""},
      {u"", u"lone \xd83d surrogate", u"/D/CAF\u00c9.TXT", u"120"},  // kept as a text: no UTF-8 form
  });
  const std::vector<Text> wantedTexts = {u"au lait", u"CAF\u00c9", u"caf\u00c9", u"\u00e9 A", u"-1", u"12", u"20", u"7",
                                        u"ABC", u"\xd83d", u"\xd83d surr", u"/d/a", u"caf\u00e9.txt", u"nowhere"};
  for (size_t i = 0; i < wantedTexts.size(); ++i) {
    const Text& wanted = wantedTexts[i];
    GridCellPosition expected;
    for (int r = 0; r < grid.rowCount() && !expected.found(); ++r)
      for (int c = 0; c < grid.columnCount() && !expected.found(); ++c)
        if (gridCellContains(grid.cell(c, r), wanted)) expected = {r, c};
    const GridCellPosition next = xcGridFindNext(grid, -1, wanted);
    EXPECT_EQ(next.row, expected.row) << "wanted text " << i;
    EXPECT_EQ(next.column, expected.column) << "wanted text " << i;
  }
}
