#include <gtest/gtest.h>

#include "results/ResultTable.h"

using namespace varko;

namespace {

struct RecordingObserver : ResultTableObserver {
  int resets = 0;
  std::vector<std::pair<int, int>> appended;
  int lastCurrent = -1;
  void tableReset() override { ++resets; }
  void rowsAppended(int first, int last) override { appended.emplace_back(first, last); }
  void rowChanged(int) override {}
  void currentRowChanged(int row) override { lastCurrent = row; }
  void topRowChanged(int) override {}
};

}  // namespace

TEST(GridOperations, AddRowStartsAtRowZeroAndMakesEachRowCurrent) {
  ResultTable grid;
  int32_t counter = -1;
  xcGridAddRow(grid, counter);
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(grid.rowCount(), 1);
  xcGridAddRow(grid, counter);
  xcGridAddRow(grid, counter);
  EXPECT_EQ(counter, 2);
  EXPECT_EQ(grid.rowCount(), 3);
  EXPECT_EQ(grid.currentRow(), 2);
}

TEST(GridOperations, OneFixedRowIsNeverWritten) {
  ResultTable grid(4, 1);
  int32_t counter = -1;
  xcGridAddRow(grid, counter);
  EXPECT_EQ(counter, 1);
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.currentRow(), 1);
}

TEST(GridOperations, AddRowEmptiesARowLeftFromBefore) {
  ResultTable grid;
  grid.setCell(1, 0, u"old");
  grid.setCell(0, 0, u"-1");
  int32_t counter = -1;
  xcGridAddRow(grid, counter);
  EXPECT_EQ(grid.cell(1, 0), u"");
  EXPECT_EQ(grid.cell(0, 0), u"");
}

TEST(GridOperations, ResetWithZeroLeavesOneBlankRow) {
  ResultTable grid;
  int32_t counter = -1;
  for (int i = 0; i < 5; ++i) {
    xcGridAddRow(grid, counter);
    grid.setCell(1, counter, u"row");
  }
  xcGridReset(grid, 0);
  EXPECT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.cell(1, 0), u"");
}

TEST(GridOperations, ResetWithKeepOneKeepsABlankHeaderAndACurrentRow) {
  ResultTable grid(4, 1);
  int32_t counter = -1;
  for (int i = 0; i < 4; ++i) {
    xcGridAddRow(grid, counter);
    grid.setCell(0, counter, u"x");
  }
  grid.setCell(0, 0, u"header");
  xcGridReset(grid, 1);
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.currentRow(), 1);
  EXPECT_EQ(grid.cell(0, 0), u"");
  EXPECT_EQ(grid.cell(0, 1), u"");
}

TEST(ResultTable, CellsKeepExactlyTheTextWritten) {
  ResultTable grid;
  // Numbers are stored compactly, but only texts that read back the same.
  const Text samples[] = {u"-1", u"0", u"42", u"007", u"-0", u"12a", u" 5", u"2147483648", u""};
  int r = 0;
  for (const auto& s : samples) {
    grid.setCell(0, r, s);
    grid.setCell(3, r, s);
    EXPECT_EQ(grid.cell(0, r), s);
    EXPECT_EQ(grid.cell(3, r), s);
    ++r;
  }
  EXPECT_EQ(grid.lineNumberCell(0), -1);
  EXPECT_EQ(grid.lineNumberCell(3), 0);  // "007" is not a plain number
}

TEST(ResultTable, PathsAreSharedBetweenRowsAndReadBack) {
  ResultTable grid;
  grid.setCell(2, 0, u"/a/x.txt");
  grid.setCell(2, 1, u"/a/y.txt");
  grid.setCell(2, 2, u"/a/x.txt");
  EXPECT_EQ(grid.cell(2, 0), u"/a/x.txt");
  EXPECT_EQ(grid.cell(2, 1), u"/a/y.txt");
  EXPECT_EQ(grid.pathCell(2), u"/a/x.txt");
  grid.setCell(2, 1, u"");
  EXPECT_EQ(grid.cell(2, 1), u"");
}

TEST(ResultTable, OtherGridsMayUseMoreColumns) {
  ResultTable grid(6, 0);
  grid.setCell(5, 3, u"far");
  EXPECT_EQ(grid.cell(5, 3), u"far");
  EXPECT_EQ(grid.rowCount(), 4);
  grid.setRowCount(2);
  grid.setRowCount(4);
  EXPECT_EQ(grid.cell(5, 3), u"");
}

TEST(ResultTable, BatchedAppendsAreReportedOnce) {
  ResultTable grid;
  RecordingObserver observer;
  grid.setObserver(&observer);
  int32_t counter = -1;
  grid.beginUpdate();
  for (int i = 0; i < 100; ++i) xcGridAddRow(grid, counter);
  grid.endUpdate();
  ASSERT_EQ(observer.appended.size(), 1u);
  EXPECT_EQ(observer.appended[0], std::make_pair(1, 99));
  EXPECT_EQ(observer.lastCurrent, 99);
}

TEST(ResultTable, ReleasedRowsReadEmptyAndTheKeptOnesStayWhole) {
  ResultTable t(4);
  const int rows = 200000;  // several chunks of rows and blocks of text
  t.setRowCount(rows);
  for (int r = 0; r < rows; ++r)
    t.setFoundRow(r, r + 1, u"line " + intToText(r), r < 100000 ? u"/z/old.txt" : u"/a/file.txt", 1);
  t.releaseRowsBefore(150000);
  EXPECT_EQ(t.pathOfNumber(1), u"");  // named by released rows only
  EXPECT_EQ(t.pathOfNumber(2), u"/a/file.txt");
  EXPECT_EQ(t.rowCount(), rows);
  for (int r : {10, 149999}) {
    EXPECT_EQ(t.cell(1, r), u"") << r;
    EXPECT_EQ(t.lineNumberCell(r), 0) << r;
    EXPECT_EQ(t.pathCell(r), u"") << r;
  }
  for (int r : {150000, rows - 1}) {
    EXPECT_EQ(t.cell(1, r), u"line " + intToText(r));
    EXPECT_EQ(t.pathCell(r), u"/a/file.txt");
  }
  t.setFoundRow(10, 11, u"again", u"/b.txt", 2);  // a released row can be written again
  EXPECT_EQ(t.cell(1, 10), u"again");
  EXPECT_EQ(t.cell(1, 11), u"");
  EXPECT_EQ(t.cell(1, 150000), u"line 150000");
}
