#pragma once
// Moving through a string grid: the in-grid find, next and previous file, and column fitting.
// Every grid of the program (results, view window, replace log) keeps its rows in a ResultTable;
// the current column is the window's, so it travels in and out as a plain value.
#include <functional>
#include <vector>
#include "results/ResultTable.h"

namespace varko {

// The wanted text occurs in the cell text, a-z letter case ignored; an empty wanted text never does.
bool gridCellContains(TextView cellText, TextView wanted);

struct GridCellPosition {
  int row = -1;
  int column = -1;
  bool found() const { return row >= 0; }
};

// First cell holding the text, rows after fromRow downwards (Next) or before it upwards (Prev),
// each row from column 0 to the last, hidden columns included; no wrap-around.
GridCellPosition xcGridFindNext(const ResultTable& grid, int fromRow, TextView findText);
GridCellPosition xcGridFindPrev(const ResultTable& grid, int fromRow, TextView findText);

// Move the current row (and the caller's current column) to the hit; false leaves both alone.
bool xcGridSearchNext(ResultTable& grid, int& currentColumn, const Text& findText);
bool xcGridSearchPrev(ResultTable& grid, int& currentColumn, const Text& findText);

// The find text of Ctrl+F and F3 is the caller's: the program object owns the one the results
// grid and the view window share, and passes it to both.
// Ctrl+F: the find text starts as the current cell's text and is offered to the prompt, which
// edits it and returns false when cancelled (the text it started with is then kept).
using GridFindPrompt = std::function<bool(Text& findText)>;
bool xcGridSearch(ResultTable& grid, int& currentColumn, Text& findText, const GridFindPrompt& prompt);

// Ctrl+N / Ctrl+P: the next row below whose file (column 2) differs, or the first row upwards from
// the current one whose file differs. False when there is none (the current row stays).
bool SelectNextFile(ResultTable& grid);
bool SelectPrevFile(ResultTable& grid);

// A finished run starts on its first match: the first row with a line number above 0 becomes
// current when rows (the search line, a file name) come before it. False when it stays.
bool SelectFirstResult(ResultTable& grid);

// What xcGridFitColumns works on: the grid's measures in pixels and points.
struct GridMeasures {
  int defaultRowHeight = 16;
  int fontSize = 8;
  int width = 0;
  std::vector<int> columnWidths;  // 0 = hidden
};
void xcGridFitColumns(GridMeasures& grid, bool fitColumns);
// Column 0 is at least 30 pixels (else 40), then the columns are fitted.
void FitFoundColumns(GridMeasures& grid);

// The results font size steps of "-" and "+", kept within 4..20; the row height that goes with it.
inline constexpr int kResultsFontMin = 4;
inline constexpr int kResultsFontMax = 20;
inline constexpr int kResultsFontStart = 9;
int ResultsFontSmaller(int size);
int ResultsFontLarger(int size);
inline int ResultsRowHeight(int size) { return 2 * size - 2; }

}  // namespace varko
