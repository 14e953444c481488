#include "results/GridFind.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace varko {

bool gridCellContains(TextView cellText, TextView wanted) {
  if (wanted.empty() || wanted.size() > cellText.size()) return false;
  return xcTextPos(cellText, wanted, 1) > 0;
}

namespace {

// The find of Ctrl+F and F3 goes through up to millions of rows, so no cell is made into a text
// when it can be helped: the wanted text is folded and encoded once, a row's text is searched
// in its stored UTF-8 bytes (valid UTF-8 matches as its characters do), numbers as their digits,
// and each distinct path is tested once.
class CellFinder {
public:
  CellFinder(const ResultTable& grid, TextView wanted)
      : grid_(grid), wanted_(wanted), pathHolds_(grid.pathCount() + 1, kUnknown) {
    // A lone surrogate has no UTF-8 form: the texts are read then.
    bytesUsable_ = appendAsUtf8(xcUpperCase(wanted), needle_);
    for (unsigned char c : needle_)
      if (c != '-' && (c < '0' || c > '9')) numbersCanHold_ = false;
    shift_.fill(needle_.size());
    for (size_t i = 0; i + 1 < needle_.size(); ++i) {
      auto c = static_cast<unsigned char>(needle_[i]);
      shift_[c] = needle_.size() - 1 - i;
      if (c >= 'A' && c <= 'Z') shift_[c + 32] = needle_.size() - 1 - i;
    }
  }

  int firstColumn(int row) {
    for (int c = 0; c < grid_.columnCount(); ++c)
      if (holds(c, row)) return c;
    return -1;
  }

private:
  static constexpr int8_t kUnknown = -1;

  bool holds(int column, int row) {
    const ResultTable::StoredCell cell = grid_.storedCell(column, row);
    switch (cell.kind) {
      case ResultTable::StoredCell::Empty:
        return false;
      case ResultTable::StoredCell::Number: {
        if (!numbersCanHold_) return false;
        char digits[16];
        auto end = std::to_chars(digits, digits + sizeof digits, cell.number).ptr;
        return bytesHold(std::string_view(digits, static_cast<size_t>(end - digits)));
      }
      case ResultTable::StoredCell::Bytes:
        return bytesUsable_ ? bytesHold(cell.bytes) : gridCellContains(grid_.textCell(row), wanted_);
      case ResultTable::StoredCell::Path: {
        int8_t& known = pathHolds_[static_cast<size_t>(cell.number)];
        if (known == kUnknown) known = gridCellContains(grid_.pathOfNumber(cell.number), wanted_) ? 1 : 0;
        return known == 1;
      }
      case ResultTable::StoredCell::Other:
        break;
    }
    return gridCellContains(grid_.cell(column, row), wanted_);
  }

  static unsigned char fold(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 32) : b;
  }

  // Horspool over the folded bytes.
  bool bytesHold(std::string_view hay) const {
    const size_t m = needle_.size();
    if (m == 0 || m > hay.size()) return false;
    const auto* needle = reinterpret_cast<const unsigned char*>(needle_.data());
    for (size_t j = 0; j + m <= hay.size();) {
      size_t i = m;
      while (i > 0 && fold(hay[j + i - 1]) == needle[i - 1]) --i;
      if (i == 0) return true;
      j += shift_[static_cast<unsigned char>(hay[j + m - 1])];
    }
    return false;
  }

  const ResultTable& grid_;
  TextView wanted_;
  std::string needle_;
  bool bytesUsable_ = false;
  bool numbersCanHold_ = true;
  std::array<size_t, 256> shift_{};
  std::vector<int8_t> pathHolds_;  // per path number: unknown, 0 or 1
};

bool moveTo(ResultTable& grid, int& currentColumn, GridCellPosition hit) {
  if (!hit.found()) return false;
  grid.setCurrentRow(hit.row);
  currentColumn = hit.column;
  return true;
}

}  // namespace

GridCellPosition xcGridFindNext(const ResultTable& grid, int fromRow, TextView findText) {
  if (findText.empty()) return {};
  CellFinder finder(grid, findText);
  for (int r = std::max(fromRow + 1, 0); r < grid.rowCount(); ++r) {
    int c = finder.firstColumn(r);
    if (c >= 0) return {r, c};
  }
  return {};
}

GridCellPosition xcGridFindPrev(const ResultTable& grid, int fromRow, TextView findText) {
  if (findText.empty()) return {};
  CellFinder finder(grid, findText);
  for (int r = std::min(fromRow - 1, grid.rowCount() - 1); r >= grid.fixedRows(); --r) {
    int c = finder.firstColumn(r);
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

namespace {

// Whether a row belongs to the file of a given row: rows sharing its stored path do without a
// text comparison, which a file of many thousand rows would otherwise make for each of them.
class SameFile {
public:
  SameFile(const ResultTable& grid, int row)
      : grid_(grid), number_(grid.storedCell(2, row).number), path_(grid.pathCell(row)) {}
  bool holds(int row) const {
    return grid_.storedCell(2, row).number == number_ || xcSameText(grid_.pathCell(row), path_);
  }

private:
  const ResultTable& grid_;
  int32_t number_;
  const Text& path_;
};

}  // namespace

bool SelectNextFile(ResultTable& grid) {
  int r = grid.currentRow();
  if (r < 0 || r >= grid.rowCount() - 1) return false;
  const SameFile file(grid, r);
  for (int k = r + 1; k < grid.rowCount(); ++k) {
    if (!file.holds(k)) {
      grid.setCurrentRow(k);
      return true;
    }
  }
  return false;
}

bool SelectPrevFile(ResultTable& grid) {
  int r = grid.currentRow();
  if (r <= 0 || r > grid.rowCount() - 1) return false;
  const SameFile file(grid, r);
  for (int k = r; k >= 0; --k) {
    if (!file.holds(k)) {
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
