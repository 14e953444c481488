#include "results/FileViews.h"

#include <string>

namespace varko {

int ViewCurrentRow(int viewLine, int lineCount, int currentRow) {
  return (viewLine >= 0 && viewLine <= lineCount) ? viewLine : currentRow;
}

FileWindowRows BuildFileWindowRows(const TextList& lines, int centreLine) {
  FileWindowRows rows;
  const long long n = static_cast<long long>(lines.size());
  long long first = static_cast<long long>(centreLine) - 5;
  if (first <= 0) first = 1;
  long long last = static_cast<long long>(centreLine) + 5;
  if (n < last) last = n;
  for (int i = 0; i < kFileWindowRows; ++i) {
    long long line = first + i;
    if (line > last) continue;
    rows.numbers[static_cast<size_t>(i)] = intToText(line);
    rows.lines[static_cast<size_t>(i)] = lines[static_cast<size_t>(line - 1)];
    if (line == centreLine) rows.currentRow = i;
  }
  return rows;
}

Text FileWindowLines::Load(const Text& path) {
  if (path == file_) return Text();
  TextList read;
  Text error = LoadWholeFile(path, read);
  if (!error.empty()) return error;
  ++readCount_;
  lines_ = std::move(read);
  file_ = path;
  return Text();
}

void FillViewGrid(TextList&& lines, ResultTable& grid) {
  const int count = static_cast<int>(lines.size());
  // Like a grid whose rows are replaced, the current row stays where it was when it still exists.
  const int current = grid.currentRow();
  grid.setRowCount(0);
  grid.setRowCount(count + 1);
  for (int i = 1; i <= count; ++i) {
    grid.setCell(0, i, intToText(i));
    grid.setCell(1, i, lines[static_cast<size_t>(i - 1)]);
    Text().swap(lines[static_cast<size_t>(i - 1)]);  // keep one copy of a large file at a time
  }
  lines.clear();
  grid.setCurrentRow(current);
}

}  // namespace varko
