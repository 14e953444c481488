#pragma once
// The rows of a string grid (the results grid grdFound, the replace log): cells, current row,
// top visible row. Rows are stored compactly: numbers in columns 0 and 3 as integers and the
// path of column 2 once per distinct path, so a run of millions of rows stays small.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "lib/Text.h"

namespace varko {

class ResultTableObserver {
public:
  virtual ~ResultTableObserver() = default;
  virtual void tableReset() = 0;                    // row count or everything changed
  virtual void rowsAppended(int first, int last) = 0;
  virtual void rowChanged(int row) = 0;
  virtual void currentRowChanged(int row) = 0;
  virtual void topRowChanged(int row) = 0;
};

class ResultTable {
public:
  explicit ResultTable(int columnCount = 4, int fixedRows = 0);

  int columnCount() const { return columnCount_; }
  int fixedRows() const { return fixedRows_; }
  // A grid always shows at least one row.
  int rowCount() const { return rowCount_ < 1 ? 1 : rowCount_; }
  void setRowCount(int count);

  Text cell(int column, int row) const;
  void setCell(int column, int row, const Text& text);
  void clearRow(int row);
  // Columns 0-3 of a results row at once: the line number and position as numbers (shown when
  // above 0, or -1 for the line), as setCell with their texts would store them.
  void setFoundRow(int row, int32_t lineNumber, TextView text, const Text& path, int32_t position);
  // The same with the text as UTF-8 (valid, as from a decoded text), copied as it is.
  void setFoundRowBytes(int row, int32_t lineNumber, std::string_view utf8, const Text& path, int32_t position);

  // Quick access for the search run's and the views' common cases.
  int32_t lineNumberCell(int row) const;  // column 0 as a number, 0 when not a number
  int32_t positionCell(int row) const;    // column 3 as a number, 0 when not a number
  Text textCell(int row) const;           // column 1
  // Appends column 1 as UTF-8 (file names keep their own bytes).
  void appendTextCellBytes(int row, std::string& out) const;
  const Text& pathCell(int row) const;    // column 2

  // A cell as it is kept, for readers that go through many rows without making texts: a number
  // (columns 0 and 3), UTF-8 bytes (column 1), the number of a distinct path (column 2), or
  // Other, to be read with cell().
  struct StoredCell {
    enum Kind : uint8_t { Empty, Number, Bytes, Path, Other };
    Kind kind = Empty;
    int32_t number = 0;      // Number; Path: 1 + the index for pathOfNumber
    std::string_view bytes;  // Bytes
  };
  StoredCell storedCell(int column, int row) const;
  size_t pathCount() const { return paths_.size(); }
  const Text& pathOfNumber(int32_t number) const { return paths_[static_cast<size_t>(number - 1)]; }

  int currentRow() const { return currentRow_; }
  void setCurrentRow(int row);
  int topRow() const { return topRow_; }
  void setTopRow(int row);

  void setObserver(ResultTableObserver* observer) { observer_ = observer; }
  ResultTableObserver* observer() const { return observer_; }
  // Frees the rows before row, which then read as empty: for a reader that has written them out
  // and needs them no more (the command line), so a long run's memory stays small.
  void releaseRowsBefore(int row);

  // Batched notification: appended rows are reported once when the batch ends.
  void beginUpdate();
  void endUpdate();

private:
  enum CellKind : uint8_t { kEmpty = 0, kNumber = 1, kOther = 2 };
  // Column 1 lives in blocks of UTF-8 bytes, not one allocation per row. A row takes 24 bytes:
  // at a million rows every byte of it is a megabyte.
  struct Row {
    uint32_t offset = 0;
    uint32_t length = 0;
    int32_t number0 = 0;   // column 0 when kNumber
    int32_t number3 = 0;   // column 3 when kNumber
    uint32_t pathId = 0;   // column 2: 0 = empty, else index + 1 into paths_
    uint16_t block = 0;
    uint8_t kinds = 0;     // two bits each for columns 0, 1 and 3; kNumber in column 1 means "in the blocks"
    uint8_t kind(int column) const { return (kinds >> kindShift(column)) & 3; }
    void setKind(int column, uint8_t kind) {
      kinds = static_cast<uint8_t>((kinds & ~(3 << kindShift(column))) | (kind << kindShift(column)));
    }
    static int kindShift(int column) { return column == 3 ? 4 : 2 * column; }
  };
  static_assert(sizeof(Row) == 24);
  static constexpr size_t kMostBlocks = 65536;  // what Row::block can number
  void storeText(Row& row, int r, TextView text);
  void storeBytes(Row& row, int r, std::string_view utf8);
  void setFoundNumbers(Row& row, int r, int32_t lineNumber, int32_t position);
  template <class StoreText>
  void setFound(int r, int32_t lineNumber, const Text& path, int32_t position, StoreText storeText);
  // Where at least room bytes can be written at blockUsed_; null when no block can be added.
  char* blockRoom(size_t room);
  struct FreeBlock {
    void operator()(char* p) const;
  };
  using Block = std::unique_ptr<char[], FreeBlock>;
  static Block allocateBlock(size_t size, bool huge);  // huge: in huge pages, when size allows
  std::vector<Block> blocks_;
  size_t blockUsed_ = 0;
  size_t blockSize_ = 0;
  Row& row(int r);
  const Row* rowIfAny(int r) const;
  uint32_t internPath(const Text& path);
  void notifyAppended(int first, int last);

  int columnCount_;
  int fixedRows_;
  int rowCount_ = 0;
  int currentRow_ = 0;
  int topRow_ = 0;
  // Rows in chunks of one huge page each, so a long run never copies them all to grow.
  static constexpr size_t kChunkBytes = 2 * 1024 * 1024;
  static constexpr size_t kChunkRows = kChunkBytes / sizeof(Row);
  std::vector<Block> rowChunks_;  // raw storage: rows below storedRows_ are constructed
  Row* rowAt(size_t index) const {
    return reinterpret_cast<Row*>(rowChunks_[index / kChunkRows].get()) + index % kChunkRows;
  }
  size_t storedRows_ = 0;
  // What releaseRowsBefore has let go: rows, text blocks and paths before these.
  size_t releasedBefore_ = 0;
  size_t freedBlocks_ = 0;
  size_t droppedPaths_ = 0;
  std::deque<Text> paths_;  // stable addresses: the map's keys look into them
  std::unordered_map<TextView, uint32_t> pathIds_;
  uint32_t lastPathId_ = 0;
  // Cells that are not plain numbers in columns 0/3, and every cell of columns beyond 3.
  std::unordered_map<uint64_t, Text> otherCells_;
  ResultTableObserver* observer_ = nullptr;
  int updateDepth_ = 0;
  int pendingFirst_ = -1;
  int pendingLast_ = -1;
  bool pendingReset_ = false;
};

// Empties rows from keep on; keep <= 0 leaves no rows. See the grid operations of the run.
void xcGridReset(ResultTable& grid, int32_t keep);
// Appends a row through the caller's counter; the new row becomes the current row.
void xcGridAddRow(ResultTable& grid, int32_t& counter);

}  // namespace varko
