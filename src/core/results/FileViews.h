#pragma once
// What the view window and the file window show of a result's file: reading the whole file,
// the row to select, and the eleven rows around a line.
#include <array>
#include "lib/Text.h"
#include "lib/TextDecoding.h"  // LoadWholeFile
#include "results/ResultTable.h"

namespace varko {

// The view grid's row to make current for a view line: row i holds line i and row 0 is the
// blank header row, so 0..lineCount select that row; anything else keeps currentRow.
int ViewCurrentRow(int viewLine, int lineCount, int currentRow);

// The file window's eleven rows: five lines before the centre line, the line, five after.
inline constexpr int kFileWindowRows = 11;
struct FileWindowRows {
  std::array<Text, kFileWindowRows> numbers;  // column 0, empty past the last line
  std::array<Text, kFileWindowRows> lines;    // column 1
  int currentRow = -1;                        // row of the centre line; -1 keeps the current row
};
FileWindowRows BuildFileWindowRows(const TextList& lines, int centreLine);

// The lines the file window shows, read again only when another file is asked for (the path
// compared exactly), so a file changed on disk keeps showing as first read.
class FileWindowLines {
public:
  // Returns the platform's message on failure; the remembered file then stays as it was.
  Text Load(const Text& path);
  const Text& file() const { return file_; }
  const TextList& lines() const { return lines_; }
  int readCount() const { return readCount_; }
private:
  Text file_;
  TextList lines_;
  int readCount_ = 0;
};

// The view grid: a blank header row 0, then row i holds the number i and line i. The lines are
// taken over by the grid.
void FillViewGrid(TextList&& lines, ResultTable& grid);

}  // namespace varko
