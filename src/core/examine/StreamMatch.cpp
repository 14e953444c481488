// The search of a file's bytes as it is read or where it is mapped (see StreamMatch.h).
#include "examine/StreamMatch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lib/Errors.h"
#include "lib/PosixFile.h"
#include "lib/TextDecoding.h"
#include "match/ByteSearch.h"

namespace varko {

void ensureCapacity(ExamineBuffers& b, size_t wanted, size_t used) {
  if (wanted <= b.capacity) return;
  size_t capacity = std::max(wanted, b.capacity + b.capacity / 2);
  std::unique_ptr<char[]> bigger(new char[capacity]);
  if (used) std::memcpy(bigger.get(), b.bytes.get(), used);
  b.bytes = std::move(bigger);
  b.capacity = capacity;
}

namespace {

constexpr size_t kPartLines = 4096;

// Line ends between two line starts: LF, CR LF, and CR alone. One pass counts the LFs and
// notes whether any CR is there; only then is the text looked at again for lone CRs. The same
// pass notes whether any byte is above 127, for the UTF-8 test to leave out ASCII stretches.
int64_t countBreaks(const char* from, const char* to, bool& anyHigh) {
  int64_t n = 0;
  bool anyCr = false, high = false;
  const char* p = from;
  if (cpuHasAvx2()) {
    n = countLineFeedsAvx2(from, to, anyCr, high);
    p = to;
  }
#if defined(__SSE2__)
  // Byte counters in 16 lanes, summed every 255 blocks before they could overflow.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  __m128i crs = zero, highs = zero;
  while (p + 16 <= to) {
    __m128i counts = zero;
    for (int k = 0; k < 255 && p + 16 <= to; ++k, p += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, lf));
      crs = _mm_or_si128(crs, _mm_cmpeq_epi8(v, cr));
      highs = _mm_or_si128(highs, v);
    }
    __m128i sums = _mm_sad_epu8(counts, zero);
    n += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
  }
  anyCr |= _mm_movemask_epi8(crs) != 0;
  high |= _mm_movemask_epi8(highs) != 0;
#endif
  for (; p < to; ++p) {
    n += *p == '\n';
    anyCr |= *p == '\r';
    high |= static_cast<unsigned char>(*p) >= 0x80;
  }
  anyHigh |= high;
  if (!anyCr) return n;
  for (p = from; (p = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(to - p)))); ++p) {
    if (p + 1 >= to || p[1] != '\n') ++n;
    if (p + 1 >= to) break;
  }
  return n;
}

// Lines from a line start to the end of the text; a final break adds no empty line.
int64_t countLines(const char* from, const char* end, bool& anyHigh) {
  if (from >= end) return 0;
  int64_t n = countBreaks(from, end, anyHigh);
  if (end[-1] != '\n' && end[-1] != '\r') ++n;
  return n;
}

void decodeLine(const char* from, const char* to, bool utf8, Text& line) {
  if (utf8) return fromUtf8Into(std::string_view(from, static_cast<size_t>(to - from)), line);
  line.resize(static_cast<size_t>(to - from));
  for (size_t i = 0; i < line.size(); ++i) line[i] = xcWindows1252ToChar(static_cast<unsigned char>(from[i]));
}

bool isAscii(const char* from, const char* to) {
  const char* p = from;
  for (uint64_t word; p + 8 <= to; p += 8) {
    std::memcpy(&word, p, 8);
    if (word & 0x8080808080808080ULL) return false;
  }
  for (; p < to; ++p)
    if (static_cast<unsigned char>(*p) >= 0x80) return false;
  return true;
}

// 1-based position in the decoded line of the character at byte position bytePos.
int decodedPosition(std::string_view raw, int bytePos, bool utf8, Text& scratch) {
  if (!utf8 || bytePos <= 1) return bytePos;
  decodeLine(raw.data(), raw.data() + bytePos - 1, true, scratch);
  return static_cast<int>(scratch.size()) + 1;
}

// What is known of a file's encoding while its lines are searched. Only a non-ASCII line needs
// it: its text and position depend on it.
enum class Encoding {
  MarkedUtf8,       // after a UTF-8 mark: ill-formed bytes read as U+FFFD
  Windows1252,      // bytes that are not UTF-8 were seen: one character a byte
  Utf8,             // valid UTF-8 to the end of the file: a line's bytes are its text
  ValidSoFar,       // the rest may still make it Windows-1252: a non-ASCII line waits
  // Valid so far, and the file's last stretch is checked only once a line needs the answer:
  // most files are read in one piece, and most have no non-ASCII line to report.
  ValidBeforeTail,
};

// The search of a file's bytes, fed a stretch of whole lines at a time: finds the lines where a
// string occurs, matches them, keeps the ones to report, and hands them to the run in parts.
class LineSearch {
public:
  LineSearch(Encoding encoding, const LineMatcher& matcher, const Clock& clock, DateTimeValue deadline,
             ExamineBuffers& buffers, FileOutcome& out)
      : encoding_(encoding), matcher_(matcher), clock_(clock), deadline_(deadline), buffers_(buffers), out_(out) {}

  // Past the file's new end a mapping reads zeros, which are not the file's: lines are cut there.
  void guardShrinking(const MappedFile& mapped, int fd) {
    mapped_ = &mapped;
    fd_ = fd;
  }

  // Stretches come in the file's order, each ending after a line break but the last (last).
  // False when the file's time ran out.
  bool search(const char* from, const char* to, bool last);
  // Whether the stretch last searched held a byte above 127.
  bool sawHighBytes() const { return anyHigh_; }

  Encoding encoding() const { return encoding_; }
  // Non-ASCII lines kept as their bytes until the encoding is known; none is handed over then.
  bool linesWait() const { return linesWait_; }
  bool manyLinesWait() const { return linesWait_ && out_.lines.size() >= kPartLines; }
  // Bytes of the file, in order: the first that are not UTF-8 make it Windows-1252.
  void checkUtf8(const char* from, const char* to) {
    if (encoding_ == Encoding::ValidSoFar && !validUtf8(from, static_cast<size_t>(to - from)))
      encoding_ = Encoding::Windows1252;
  }
  // The file's last bytes, checked only if a line needs the answer.
  void checkTailWhenNeeded(const char* from, const char* to);
  void settle();

  bool handOver();
  bool stopForTime();
  // Reading stopped before the file's end.
  void cutShort() {
    out_.load.cutShort = true;
    out_.tooSlow = true;
  }
  void readFailed(int error) { out_.load.errorText = systemErrorText(error); }
  void finish() {
    out_.load.loaded = true;
    out_.linesExamined = lineNumber_;
  }

private:
  void matchLine(int64_t number, const char* from, const char* to);
  bool clipToFileEnd(const char* from, const char*& to);
  void reportNonAscii(int64_t number, std::string_view raw, int bytePos);
  void keepRaw(int64_t number, int position, std::string_view raw, bool waits);
  void checkTail();

  Encoding encoding_;
  bool linesWait_ = false;
  const char* tailFrom_ = nullptr;
  const char* tailTo_ = nullptr;
  int64_t lineNumber_ = 0;  // lines before the next line start
  bool anyHigh_ = false;
  const MappedFile* mapped_ = nullptr;
  int fd_ = -1;
  size_t shrunkTo_ = SIZE_MAX;  // the mapped file's size once it got shorter
  const LineMatcher& matcher_;
  const Clock& clock_;
  DateTimeValue deadline_;
  ExamineBuffers& buffers_;
  FileOutcome& out_;
};

// Finds the lines in [from, to) where a string occurs.
bool LineSearch::search(const char* from, const char* to, bool last) {
  anyHigh_ = false;
  const char* p = from;
  while (p < to) {
    const char* hit = matcher_.everyLine ? p : matcher_.needles.find(p, to, to);
    if (hit == to) break;
    const char* lineStart = hit;
    while (lineStart > p && lineStart[-1] != '\n' && lineStart[-1] != '\r') --lineStart;
    const char* lineEnd = hit;
    while (lineEnd < to && *lineEnd != '\n' && *lineEnd != '\r') ++lineEnd;
    lineNumber_ += countBreaks(p, lineStart, anyHigh_);
    if (clock_.now() > deadline_) {
      out_.tooSlow = true;
      return false;
    }
    ++lineNumber_;
    matchLine(lineNumber_, lineStart, lineEnd);
    p = lineEnd;
    if (p < to) p += (*p == '\r' && p + 1 < to && p[1] == '\n') ? 2 : 1;
  }
  lineNumber_ += last ? countLines(p, to, anyHigh_) : countBreaks(p, to, anyHigh_);
  return true;
}

void LineSearch::matchLine(int64_t number, const char* from, const char* to) {
  if (mapped_ && mapped_->truncated() && !clipToFileEnd(from, to)) return;
  std::string_view raw(from, static_cast<size_t>(to - from));
  bool anyWord = false;
  int bytePos = matcher_.matchBytes(raw, buffers_.folded, buffers_.present, anyWord);
  if (anyWord) ++out_.matchesInFile;
  if (bytePos == 0) {
    if (mapped_ && !anyHigh_) anyHigh_ = !isAscii(from, to);
    return;
  }
  ++out_.matchesInFile;
  if (isAscii(from, to)) return keepRaw(number, bytePos, raw, false);
  anyHigh_ = true;
  reportNonAscii(number, raw, bytePos);
}

// False when the line starts past the end of a mapped file that got shorter.
bool LineSearch::clipToFileEnd(const char* from, const char*& to) {
  struct stat now {};
  if (shrunkTo_ == SIZE_MAX) shrunkTo_ = ::fstat(fd_, &now) == 0 ? static_cast<size_t>(now.st_size) : 0;
  const char* end = mapped_->data() + std::min(shrunkTo_, mapped_->size());
  if (from >= end) return false;
  to = std::min(to, end);
  return true;
}

void LineSearch::reportNonAscii(int64_t number, std::string_view raw, int bytePos) {
  if (encoding_ == Encoding::ValidBeforeTail) checkTail();
  if (encoding_ == Encoding::ValidSoFar) {
    keepRaw(number, bytePos, raw, true);
    linesWait_ = true;
  } else if (encoding_ == Encoding::Utf8) {
    keepRaw(number, decodedPosition(raw, bytePos, true, buffers_.line), raw, false);
  } else {
    bool marked = encoding_ == Encoding::MarkedUtf8;
    decodeLine(raw.data(), raw.data() + raw.size(), marked, buffers_.line);
    int position = marked ? decodedPosition(raw, bytePos, true, buffers_.prefix) : bytePos;
    out_.addLine(static_cast<int32_t>(number), position, buffers_.line);
  }
}

void LineSearch::keepRaw(int64_t number, int position, std::string_view raw, bool waits) {
  ReportedLine stored;
  stored.lineNumber = static_cast<int32_t>(number);
  stored.position = position;
  stored.textStart = out_.lineTexts.size();
  stored.textLength = raw.size();
  stored.undecided = waits;
  out_.lineTexts.append(raw);
  out_.lines.push_back(stored);
}

void LineSearch::checkTailWhenNeeded(const char* from, const char* to) {
  tailFrom_ = from;
  tailTo_ = to;
  if (encoding_ == Encoding::ValidSoFar) encoding_ = Encoding::ValidBeforeTail;
}

void LineSearch::checkTail() {
  encoding_ = Encoding::ValidSoFar;
  checkUtf8(tailFrom_, tailTo_);
  if (encoding_ == Encoding::ValidSoFar) encoding_ = Encoding::Utf8;
}

// The encoding is taken from the bytes checked so far (a file cut short goes by what was read):
// valid UTF-8 keeps each waiting line's bytes as its text; otherwise the line is Windows-1252,
// its text stored again after the others.
void LineSearch::settle() {
  if (encoding_ == Encoding::ValidBeforeTail) checkTail();
  if (encoding_ == Encoding::ValidSoFar) encoding_ = Encoding::Utf8;
  bool utf8 = encoding_ != Encoding::Windows1252;
  for (ReportedLine& reported : out_.lines) {
    if (!reported.undecided) continue;
    reported.undecided = false;
    std::string_view raw = out_.textBytes(reported);
    if (utf8) {
      reported.position = decodedPosition(raw, reported.position, true, buffers_.line);
    } else {
      decodeLine(raw.data(), raw.data() + raw.size(), false, buffers_.line);
      out_.storeText(buffers_.line, reported);
    }
  }
  linesWait_ = false;
}

// Once a part's worth of lines is found and none waits for the encoding, they go to the run.
// False: the run is stopping.
bool LineSearch::handOver() {
  if (!buffers_.handOver || linesWait_ || out_.lines.size() < kPartLines) return true;
  auto part = std::make_unique<FileOutcome>();
  part->isPart = true;
  part->path = out_.path;
  part->pathMatch = out_.pathMatch;
  part->textTest = out_.textTest;
  part->loadAttempted = true;
  part->load.loaded = true;
  part->lines.swap(out_.lines);
  part->lineTexts.swap(out_.lineTexts);
  part->wideTexts.swap(out_.wideTexts);
  part->matchesInFile = std::exchange(out_.matchesInFile, 0);
  // Time spent waiting for the run to take it is not the file's.
  DateTimeValue before = clock_.now();
  bool goOn = buffers_.handOver(std::move(part));
  deadline_ += clock_.now() - before;
  return goOn;
}

// Between stretches: when the file's time is up, it is cut short.
bool LineSearch::stopForTime() {
  if (clock_.now() <= deadline_) return false;
  cutShort();
  return true;
}

// A mapped file, searched in place a piece at a time. Each piece is checked for UTF-8 right
// after its search, while its bytes are in the cache.
class MappedFeeder {
public:
  MappedFeeder(LineSearch& search, const MappedFile& mapped, size_t start, size_t piece, bool checked)
      : search_(search), data_(mapped.data()), size_(mapped.size()), from_(start),
        piece_(std::max<size_t>(piece, 1)), checkedTo_(checked ? size_ : start) {}

  void run() {
    while (from_ < size_) {
      size_t to = pieceEnd();
      if (!search_.search(data_ + from_, data_ + to, to == size_)) break;
      // A piece all ASCII needs no check.
      if (!search_.sawHighBytes() && checkedTo_ == from_) checkedTo_ = to;
      checkUpTo(to);
      if (search_.linesWait() && search_.encoding() == Encoding::Windows1252) search_.settle();
      from_ = to;
      if (search_.manyLinesWait()) {
        // Too many lines wait: the rest of the file is checked now, and later lines know.
        checkUpTo(size_);
        search_.settle();
      }
      if (from_ < size_ && (!search_.handOver() || search_.stopForTime())) break;
    }
    search_.finish();
    if (search_.linesWait()) {
      checkUpTo(size_);  // also when cut short: the encoding is the whole file's
      search_.settle();
    }
  }

private:
  // Pieces end after a line break, so no line is cut.
  size_t pieceEnd() const {
    size_t to = std::min(size_, from_ + piece_);
    if (to == size_) return to;
    // After the piece's last LF; lone CRs are looked for only where no LF is.
    size_t cut = to;
    if (const void* lf = ::memrchr(data_ + from_, '\n', to - from_))
      cut = static_cast<size_t>(static_cast<const char*>(lf) - data_) + 1;
    else
      while (cut > from_ && !(data_[cut - 1] == '\r' && data_[cut] != '\n')) --cut;
    if (cut > from_) return cut;
    // One line longer than a piece: the piece ends after the next LF.
    const void* lf = std::memchr(data_ + to, '\n', size_ - to);
    return lf ? static_cast<size_t>(static_cast<const char*>(lf) - data_) + 1 : size_;
  }

  void checkUpTo(size_t end) {
    if (end > checkedTo_) search_.checkUtf8(data_ + checkedTo_, data_ + end);
    checkedTo_ = std::max(checkedTo_, end);
  }

  LineSearch& search_;
  const char* data_;
  size_t size_;
  size_t from_;
  size_t piece_;
  size_t checkedTo_;
};

// A file read piece by piece into the read buffer; a line cut by a piece's end waits for the
// next read.
class ReadFeeder {
public:
  ReadFeeder(LineSearch& search, int fd, size_t used, bool endOfFile, size_t start, ExamineBuffers& buffers)
      : search_(search), fd_(fd), used_(used), endOfFile_(endOfFile), start_(start), buffers_(buffers) {}

  void run() {
    for (;;) {
      char* data = buffers_.bytes.get();
      size_t regionEnd = endOfFile_ ? used_ : completeLinesEnd(data);
      if (endOfFile_)
        search_.checkTailWhenNeeded(data + start_, data + regionEnd);
      else
        search_.checkUtf8(data + start_, data + regionEnd);
      if (!search_.search(data + start_, data + regionEnd, endOfFile_)) break;
      if (endOfFile_ || !search_.handOver()) break;
      keepUnfinishedLine(regionEnd);
      if (search_.stopForTime() || !readMore()) break;
    }
    if (failed_) return;
    search_.finish();
    if (search_.linesWait()) search_.settle();
  }

private:
  // After the last line break; a CR at the very end may be the start of a CR LF.
  size_t completeLinesEnd(const char* data) const {
    for (size_t i = used_; i > start_; --i) {
      char c = data[i - 1];
      if (c == '\n' || (c == '\r' && i < used_)) return i;
    }
    return start_;
  }

  void keepUnfinishedLine(size_t regionEnd) {
    size_t carry = used_ - regionEnd;
    char* data = buffers_.bytes.get();
    if (carry) std::memmove(data, data + regionEnd, carry);
    used_ = carry;
    start_ = 0;
  }

  // False when reading stops: the file is cut short, or could not be read (failed_).
  bool readMore() {
    try {
      ensureCapacity(buffers_, std::max(used_ + kReadPiece / 4, kReadPiece / 4), used_);
    } catch (const std::bad_alloc&) {
      search_.cutShort();
      return false;
    }
    size_t wanted = buffers_.capacity - used_;
    ssize_t n = xcReadSome(fd_, buffers_.bytes.get() + used_, wanted);
    if (n < 0) {
      failed_ = true;
      search_.readFailed(errno);
      return false;
    }
    used_ += static_cast<size_t>(n);
    endOfFile_ = static_cast<size_t>(n) < wanted;
    return true;
  }

  LineSearch& search_;
  int fd_;
  size_t used_;
  bool endOfFile_;
  size_t start_;
  ExamineBuffers& buffers_;
  bool failed_ = false;
};

Encoding startingEncoding(bool bom, KnownEncoding known) {
  if (bom) return Encoding::MarkedUtf8;
  if (known == KnownEncoding::Utf8) return Encoding::Utf8;
  if (known == KnownEncoding::Windows1252) return Encoding::Windows1252;
  return Encoding::ValidSoFar;
}

}  // namespace

void streamAndMatch(int fd, size_t used, bool endOfFile, bool bom, const LineMatcher& matcher, const Clock& clock,
                      DateTimeValue deadline, ExamineBuffers& buffers, FileOutcome& out, const MappedFile* mapped,
                      KnownEncoding known) {
  LineSearch search(startingEncoding(bom, known), matcher, clock, deadline, buffers, out);
  size_t start = bom ? 3 : 0;
  if (mapped) {
    search.guardShrinking(*mapped, fd);
    MappedFeeder(search, *mapped, start, buffers.mapPiece, known != KnownEncoding::Nothing).run();
  } else {
    ReadFeeder(search, fd, used, endOfFile, start, buffers).run();
  }
}

}  // namespace varko
