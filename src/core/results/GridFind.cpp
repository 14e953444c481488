#include "results/GridFind.h"

#include <algorithm>

namespace varko {

bool xcGridCellContains(TextView cellText, TextView wanted) {
  if (wanted.empty() || wanted.size() > cellText.size()) return false;
  return xcTextPos(cellText, wanted, 1) > 0;
}

namespace {

int firstColumnHolding(const ResultTable& grid, int row, TextView findText) {
  for (int c = 0; c < grid.columnCount(); ++c)
    if (xcGridCellContains(grid.cell(c, row), findText)) return c;
  return -1;
}

bool moveTo(ResultTable& grid, int& currentColumn, GridCellPosition hit) {
  if (!hit.found()) return false;
  grid.setCurrentRow(hit.row);
  currentColumn = hit.column;
  return true;
}

}  // namespace

GridCellPosition xcGridFindNext(const ResultTable& grid, int fromRow, TextView findText) {
  if (findText.empty()) return {};
  for (int r = std::max(fromRow + 1, 0); r < grid.rowCount(); ++r) {
    int c = firstColumnHolding(grid, r, findText);
    if (c >= 0) return {r, c};
  }
  return {};
}

GridCellPosition xcGridFindPrev(const ResultTable& grid, int fromRow, TextView findText) {
  if (findText.empty()) return {};
  for (int r = std::min(fromRow - 1, grid.rowCount() - 1); r >= grid.fixedRows(); --r) {
    int c = firstColumnHolding(grid, r, findText);
    if (c >= 0) return {r, c};
  }
  return {};
}

bool xcGridSearchNext(ResultTable& grid, int& currentColumn, const Text& findText) {
  return moveTo(grid, currentColumn, xcGridFindNext(grid, grid.currentRow(), findText));
}

bool xcGridSearchPrev(ResultTable& grid, int& currentColumn, const Text& findText) {
  return moveTo(grid, currentColumn, xcGridFindPrev(grid, grid.currentRow(), findText));
}

bool xcGridSearch(ResultTable& grid, int& currentColumn, Text& findText, const GridFindPrompt& prompt) {
  findText = grid.cell(currentColumn, grid.currentRow());
  Text edited = findText;
  if (prompt && prompt(edited)) findText = edited;
  return xcGridSearchNext(grid, currentColumn, findText);
}

bool SelectNextFile(ResultTable& grid) {
  int r = grid.currentRow();
  if (r < 0 || r >= grid.rowCount() - 1) return false;
  const Text file = grid.pathCell(r);
  for (int k = r + 1; k < grid.rowCount(); ++k) {
    if (!xcSameText(grid.pathCell(k), file)) {
      grid.setCurrentRow(k);
      return true;
    }
  }
  return false;
}

bool SelectPrevFile(ResultTable& grid) {
  int r = grid.currentRow();
  if (r <= 0 || r > grid.rowCount() - 1) return false;
  const Text file = grid.pathCell(r);
  for (int k = r; k >= 0; --k) {
    if (!xcSameText(grid.pathCell(k), file)) {
      grid.setCurrentRow(k);
      return true;
    }
  }
  return false;
}

bool SelectFirstResult(ResultTable& grid) {
  for (int r = 0; r < grid.rowCount(); ++r) {
    if (grid.lineNumberCell(r) <= 0) continue;
    if (r == 0) return false;
    grid.setCurrentRow(r);
    return true;
  }
  return false;
}

void xcGridFitColumns(GridMeasures& grid, bool fitColumns) {
  if (grid.defaultRowHeight < 16) grid.defaultRowHeight = 16;
  int largestFont = grid.defaultRowHeight / 2 + (grid.defaultRowHeight > 16 ? 1 : 0);
  if (grid.fontSize > largestFont) grid.fontSize = largestFont;
  if (!fitColumns || grid.columnWidths.size() <= 1) return;
  long long available = grid.width - 35;
  long long sum = 0;
  for (int w : grid.columnWidths) sum += (w >= 1 && w <= 10) ? 10 : w;
  if (sum <= 0) return;
  for (int& w : grid.columnWidths)
    if (w > 0) w = static_cast<int>(static_cast<long long>(w) * available / sum);
}

void FitFoundColumns(GridMeasures& grid) {
  if (!grid.columnWidths.empty() && grid.columnWidths[0] < 30) grid.columnWidths[0] = 40;
  xcGridFitColumns(grid, true);
}

int ResultsFontSmaller(int size) { return size > kResultsFontMin ? size - 1 : size; }
int ResultsFontLarger(int size) { return size < kResultsFontMax ? size + 1 : size; }

}  // namespace varko
