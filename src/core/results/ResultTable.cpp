#include "results/ResultTable.h"

#include <sys/mman.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace varko {

namespace {

// A text that converts back to itself as a 32-bit number ("-1", "42"), so it can be kept as one.
bool canonicalNumber(const Text& t, int32_t& value) {
  if (t.empty() || t.size() > 11) return false;
  size_t i = 0;
  bool negative = false;
  if (t[0] == u'-') {
    negative = true;
    i = 1;
    if (t.size() == 1) return false;
  }
  if (t[i] == u'0' && (t.size() - i > 1 || negative)) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < u'0' || t[i] > u'9') return false;
    v = v * 10 + (t[i] - u'0');
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}

uint64_t cellKey(int column, int row) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(row)) << 16) | static_cast<uint32_t>(column);
}

const Text& emptyText() {
  static const Text empty;
  return empty;
}

constexpr size_t kFirstBlockSize = 64 * 1024;
constexpr size_t kHugePage = 2 * 1024 * 1024;

}  // namespace

void ResultTable::FreeBlock::operator()(char* p) const { std::free(p); }

ResultTable::Block ResultTable::allocateBlock(size_t size, bool huge) {
  void* p = nullptr;
  if (huge && size % kHugePage == 0) {
    p = std::aligned_alloc(kHugePage, size);
    if (p) ::madvise(p, size, MADV_HUGEPAGE);  // only advice: ignored where not available
  }
  if (!p) p = std::malloc(size);
  if (!p) throw std::bad_alloc();
  return Block(static_cast<char*>(p));
}

ResultTable::ResultTable(int columnCount, int fixedRows)
    : columnCount_(columnCount), fixedRows_(fixedRows) {}

void ResultTable::setRowCount(int count) {
  if (count < 0) count = 0;
  if (count == rowCount_) return;
  bool grew = count > rowCount_;
  int oldShown = rowCount();
  if (static_cast<size_t>(count) < storedRows_) {
    // Rows from count on count as unwritten; row() writes them fresh when they come back.
    rowChunks_.resize((static_cast<size_t>(count) + kChunkRows - 1) / kChunkRows);
    storedRows_ = static_cast<size_t>(count);
    releasedBefore_ = std::min(releasedBefore_, storedRows_);
    if (!otherCells_.empty()) {
      std::erase_if(otherCells_, [count](const auto& kv) { return static_cast<int>(kv.first >> 16) >= count; });
    }
  }
  if (count == 0) {
    paths_.clear();
    pathIds_.clear();
    lastPathId_ = 0;
    releasedBefore_ = freedBlocks_ = droppedPaths_ = 0;
    blocks_.clear();
    blockUsed_ = blockSize_ = 0;
    otherCells_.clear();
  }
  rowCount_ = count;
  if (currentRow_ >= rowCount()) currentRow_ = rowCount() - 1;
  if (topRow_ >= rowCount()) topRow_ = rowCount() - 1;
  if (grew && rowCount() > oldShown)
    notifyAppended(oldShown, rowCount() - 1);
  else if (!grew) {
    if (updateDepth_ > 0)
      pendingReset_ = true;
    else if (observer_)
      observer_->tableReset();
  }
}

ResultTable::Row& ResultTable::row(int r) {
  auto index = static_cast<size_t>(r);
  while (index / kChunkRows >= rowChunks_.size()) {
    // Memory is touched only as rows are written; chunks after the first, of long runs, sit in
    // huge pages.
    rowChunks_.push_back(allocateBlock(kChunkBytes, !rowChunks_.empty() && !releasedBefore_));
  }
  for (; storedRows_ <= index; ++storedRows_)
    new (rowAt(storedRows_)) Row();
  if (index < releasedBefore_) {
    // Written again: the released rows from here on come back empty, with no text of old.
    for (size_t i = index; i < releasedBefore_; ++i)
      if (rowChunks_[i / kChunkRows]) *rowAt(i) = Row();
    releasedBefore_ = index;
  }
  Block& chunk = rowChunks_[index / kChunkRows];
  if (!chunk) {  // released: a row written again starts empty, with its neighbours
    chunk = allocateBlock(kChunkBytes, false);
    for (size_t i = 0; i < kChunkRows; ++i) new (reinterpret_cast<Row*>(chunk.get()) + i) Row();
  }
  return *rowAt(index);
}

const ResultTable::Row* ResultTable::rowIfAny(int r) const {
  if (r < 0 || static_cast<size_t>(r) >= storedRows_) return nullptr;
  auto index = static_cast<size_t>(r);
  if (index < releasedBefore_ || !rowChunks_[index / kChunkRows]) return nullptr;  // released
  return rowAt(index);
}

void ResultTable::releaseRowsBefore(int r) {
  if (r <= 0) return;
  const size_t end = std::min(static_cast<size_t>(r), storedRows_);
  if (end <= releasedBefore_) return;
  releasedBefore_ = end;
  // Text blocks before the first one a kept row uses are no longer read, nor are the paths
  // before the first one a kept row names (rows come in order, so both are the earliest ones).
  size_t firstBlock = blocks_.empty() ? 0 : blocks_.size() - 1;
  uint32_t firstPath = lastPathId_ ? lastPathId_ : static_cast<uint32_t>(paths_.size()) + 1;
  bool blockSeen = false;
  for (size_t i = end; i < storedRows_; ++i) {
    const Row* p = rowAt(i);
    if (!blockSeen && p->kind(1) == kNumber) {
      firstBlock = std::min<size_t>(firstBlock, p->block);
      blockSeen = true;
    }
    if (p->pathId) firstPath = std::min(firstPath, p->pathId);
  }
  const size_t chunks = end / kChunkRows;  // whole chunks only
  for (size_t c = 0; c < chunks; ++c) rowChunks_[c].reset();
  for (; freedBlocks_ < firstBlock; ++freedBlocks_) blocks_[freedBlocks_].reset();
  for (; droppedPaths_ + 1 < firstPath; ++droppedPaths_) {
    Text& path = paths_[droppedPaths_];
    pathIds_.erase(TextView(path));
    Text().swap(path);
  }
  if (otherCells_.empty()) return;
  const uint64_t limit = static_cast<uint64_t>(end);
  std::erase_if(otherCells_, [limit](const auto& kv) { return (kv.first >> 16) < limit; });
}

uint32_t ResultTable::internPath(const Text& path) {
  if (path.empty()) return 0;
  // Rows of one file come together: the last path is the usual hit.
  if (lastPathId_ != 0) {
    const Text& last = paths_[lastPathId_ - 1];
    if (&last == &path || last == path) return lastPathId_;
  }
  auto it = pathIds_.find(path);
  if (it != pathIds_.end()) return lastPathId_ = it->second;
  paths_.push_back(path);
  uint32_t id = static_cast<uint32_t>(paths_.size());
  pathIds_.emplace(TextView(paths_.back()), id);
  return lastPathId_ = id;
}

Text ResultTable::cell(int column, int r) const {
  const Row* p = rowIfAny(r);
  if (!p || column < 0 || column >= columnCount_) return Text();
  switch (column) {
    case 0:
      if (p->kind(0) == kNumber) return intToText(p->number0);
      break;
    case 1:
      return textCell(r);
    case 2:
      return p->pathId ? paths_[p->pathId - 1] : Text();
    case 3:
      if (p->kind(3) == kNumber) return intToText(p->number3);
      break;
    default:
      break;
  }
  if ((column == 0 && p->kind(0) == kEmpty) || (column == 3 && p->kind(3) == kEmpty)) return Text();
  auto it = otherCells_.find(cellKey(column, r));
  return it == otherCells_.end() ? Text() : it->second;
}

void ResultTable::setCell(int column, int r, const Text& text) {
  if (r < 0 || column < 0 || column >= columnCount_) return;
  if (r >= rowCount_) setRowCount(r + 1);
  Row& p = row(r);
  auto setNumberCell = [&](int32_t& number) {
    otherCells_.erase(cellKey(column, r));
    if (text.empty()) {
      p.setKind(column, kEmpty);
    } else if (canonicalNumber(text, number)) {
      p.setKind(column, kNumber);
    } else {
      p.setKind(column, kOther);
      otherCells_[cellKey(column, r)] = text;
    }
  };
  switch (column) {
    case 0:
      setNumberCell(p.number0);
      break;
    case 1:
      storeText(p, r, text);
      break;
    case 2:
      p.pathId = internPath(text);
      break;
    case 3:
      setNumberCell(p.number3);
      break;
    default:
      if (text.empty())
        otherCells_.erase(cellKey(column, r));
      else
        otherCells_[cellKey(column, r)] = text;
      break;
  }
  if (updateDepth_ == 0 && observer_) observer_->rowChanged(r);
}

void ResultTable::clearRow(int r) {
  const Row* p = rowIfAny(r);
  if (!p) return;
  if (p->kind(0) == kOther) otherCells_.erase(cellKey(0, r));
  if (p->kind(3) == kOther) otherCells_.erase(cellKey(3, r));
  if (p->kind(1) == kOther) otherCells_.erase(cellKey(1, r));
  for (int c = 4; c < columnCount_; ++c) otherCells_.erase(cellKey(c, r));
  row(r) = Row();
  if (updateDepth_ == 0 && observer_) observer_->rowChanged(r);
}

int32_t ResultTable::lineNumberCell(int r) const {
  const Row* p = rowIfAny(r);
  return p && p->kind(0) == kNumber ? p->number0 : 0;
}

int32_t ResultTable::positionCell(int r) const {
  const Row* p = rowIfAny(r);
  return p && p->kind(3) == kNumber ? p->number3 : 0;
}

char* ResultTable::blockRoom(size_t room) {
  if (blocks_.empty() || blockUsed_ + room > blockSize_) {
    if (blocks_.size() == kMostBlocks) return nullptr;
    // Small tables stay small; a long run's blocks grow to huge pages, which spares the system
    // hundreds of page faults per block.
    // Rows that are written out and released need only small blocks.
    size_t most = releasedBefore_ ? kFirstBlockSize : kHugePage;
    size_t wanted = blocks_.empty() ? kFirstBlockSize : std::min(blockSize_ * 2, most);
    blockSize_ = std::max(wanted, room);
    blocks_.push_back(allocateBlock(blockSize_, !releasedBefore_));
    blockUsed_ = 0;
  }
  return blocks_.back().get() + blockUsed_;
}

void ResultTable::storeText(Row& p, int r, TextView text) {
  if (p.kind(1) == kOther) otherCells_.erase(cellKey(1, r));
  p.setKind(1, kEmpty);
  p.length = 0;
  if (text.empty()) return;
  // Encoded straight into the block: a UTF-16 unit takes at most three bytes.
  char* to = blockRoom(text.size() * 3);
  size_t length = to ? encodeUtf8To(text, to) : SIZE_MAX;
  if (length == SIZE_MAX) {
    p.setKind(1, kOther);
    otherCells_[cellKey(1, r)] = Text(text);
    return;
  }
  p.setKind(1, kNumber);
  p.block = static_cast<uint16_t>(blocks_.size() - 1);
  p.offset = static_cast<uint32_t>(blockUsed_);
  p.length = static_cast<uint32_t>(length);
  blockUsed_ += length;
}

void ResultTable::storeBytes(Row& p, int r, std::string_view utf8) {
  if (p.kind(1) == kOther) otherCells_.erase(cellKey(1, r));
  p.setKind(1, kEmpty);
  p.length = 0;
  if (utf8.empty()) return;
  char* to = blockRoom(utf8.size());
  if (!to) {
    p.setKind(1, kOther);
    otherCells_[cellKey(1, r)] = fromUtf8(utf8);
    return;
  }
  std::memcpy(to, utf8.data(), utf8.size());
  p.setKind(1, kNumber);
  p.block = static_cast<uint16_t>(blocks_.size() - 1);
  p.offset = static_cast<uint32_t>(blockUsed_);
  p.length = static_cast<uint32_t>(utf8.size());
  blockUsed_ += utf8.size();
}

template <class StoreText>
void ResultTable::setFound(int r, int32_t lineNumber, const Text& path, int32_t position, StoreText storeText) {
  if (r < 0) return;
  if (r >= rowCount_) setRowCount(r + 1);
  Row& p = row(r);
  setFoundNumbers(p, r, lineNumber, position);
  storeText(p);
  p.pathId = internPath(path);
  if (updateDepth_ == 0 && observer_) observer_->rowChanged(r);
}

void ResultTable::setFoundNumbers(Row& p, int r, int32_t lineNumber, int32_t position) {
  auto setNumber = [&](int column, int32_t& number, bool present, int32_t value) {
    if (p.kind(column) == kOther) otherCells_.erase(cellKey(column, r));
    p.setKind(column, present ? kNumber : kEmpty);
    number = value;
  };
  setNumber(0, p.number0, lineNumber > 0 || lineNumber == -1, lineNumber);
  setNumber(3, p.number3, position > 0, position);
}

void ResultTable::setFoundRowBytes(int r, int32_t lineNumber, std::string_view utf8, const Text& path,
                                   int32_t position) {
  setFound(r, lineNumber, path, position, [&](Row& p) { storeBytes(p, r, utf8); });
}

void ResultTable::setFoundRow(int r, int32_t lineNumber, TextView text, const Text& path, int32_t position) {
  setFound(r, lineNumber, path, position, [&](Row& p) { storeText(p, r, text); });
}

Text ResultTable::textCell(int r) const {
  const Row* p = rowIfAny(r);
  if (!p || p->kind(1) == kEmpty) return Text();
  if (p->kind(1) == kOther) {
    auto it = otherCells_.find(cellKey(1, r));
    return it == otherCells_.end() ? Text() : it->second;
  }
  return fromUtf8(std::string_view(blocks_[p->block].get() + p->offset, p->length));
}

void ResultTable::appendTextCellBytes(int r, std::string& out) const {
  const Row* p = rowIfAny(r);
  if (!p || p->kind(1) == kEmpty) return;
  if (p->kind(1) == kOther) {
    out += textToPath(textCell(r));
    return;
  }
  out.append(blocks_[p->block].get() + p->offset, p->length);
}

const Text& ResultTable::pathCell(int r) const {
  const Row* p = rowIfAny(r);
  return p && p->pathId ? paths_[p->pathId - 1] : emptyText();
}

ResultTable::StoredCell ResultTable::storedCell(int column, int r) const {
  StoredCell stored;
  const Row* p = rowIfAny(r);
  if (!p || column < 0 || column >= columnCount_) return stored;
  auto numberCell = [&](uint8_t kind, int32_t number) {
    if (kind == kNumber) {
      stored.kind = StoredCell::Number;
      stored.number = number;
    } else if (kind == kOther) {
      stored.kind = StoredCell::Other;
    }
  };
  switch (column) {
    case 0:
      numberCell(p->kind(0), p->number0);
      break;
    case 1:
      if (p->kind(1) == kNumber) {
        stored.kind = StoredCell::Bytes;
        stored.bytes = std::string_view(blocks_[p->block].get() + p->offset, p->length);
      } else if (p->kind(1) == kOther) {
        stored.kind = StoredCell::Other;
      }
      break;
    case 2:
      if (p->pathId) {
        stored.kind = StoredCell::Path;
        stored.number = static_cast<int32_t>(p->pathId);
      }
      break;
    case 3:
      numberCell(p->kind(3), p->number3);
      break;
    default:
      stored.kind = StoredCell::Other;
      break;
  }
  return stored;
}

void ResultTable::setCurrentRow(int r) {
  r = std::clamp(r, 0, rowCount() - 1);
  if (r == currentRow_) return;
  currentRow_ = r;
  if (observer_ && updateDepth_ == 0) observer_->currentRowChanged(r);
}

void ResultTable::setTopRow(int r) {
  r = std::clamp(r, 0, rowCount() - 1);
  if (r == topRow_) return;
  topRow_ = r;
  if (observer_ && updateDepth_ == 0) observer_->topRowChanged(r);
}

void ResultTable::notifyAppended(int first, int last) {
  if (updateDepth_ > 0) {
    if (pendingFirst_ < 0) pendingFirst_ = first;
    pendingLast_ = last;
    return;
  }
  if (observer_) observer_->rowsAppended(first, last);
}

void ResultTable::beginUpdate() { ++updateDepth_; }

void ResultTable::endUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  if (!observer_) {
    pendingReset_ = false;
    pendingFirst_ = pendingLast_ = -1;
    return;
  }
  if (pendingReset_) {
    observer_->tableReset();
  } else if (pendingFirst_ >= 0) {
    observer_->rowsAppended(pendingFirst_, std::min(pendingLast_, rowCount() - 1));
  }
  pendingReset_ = false;
  pendingFirst_ = pendingLast_ = -1;
  observer_->currentRowChanged(currentRow_);
  observer_->topRowChanged(topRow_);
}

void xcGridReset(ResultTable& grid, int32_t keep) {
  int last = grid.rowCount() > 0 ? grid.rowCount() - 1 : keep;
  last = std::min(last, 1000);
  for (int r = std::max(keep, 0); r <= last; ++r) grid.clearRow(r);
  if (keep <= 0) {
    grid.setRowCount(0);
    return;
  }
  grid.setRowCount(keep + 1);
  grid.setCurrentRow(grid.rowCount() - 1);
  for (int r = 0; r < keep; ++r) grid.clearRow(r);
  grid.setCurrentRow(keep);
}

void xcGridAddRow(ResultTable& grid, int32_t& counter) {
  ++counter;
  if (counter >= grid.rowCount()) grid.setRowCount(counter + 1);
  if (grid.fixedRows() == 1 && counter == 0) {
    grid.setRowCount(2);
    counter = 1;
  }
  grid.clearRow(counter);
  grid.setCurrentRow(counter);
}

}  // namespace varko
