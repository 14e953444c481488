// The search of a file's bytes as it is read or where it is mapped (see StreamMatch.h).
#include "examine/StreamMatch.h"

#include <sys/stat.h>

#include <algorithm>
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

void xcEnsureCapacity(ExamineBuffers& b, size_t wanted, size_t used) {
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
  if (xcCpuHasAvx2()) {
    n = xcCountLineFeedsAvx2(from, to, anyCr, high);
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

}  // namespace

void xcStreamAndMatch(int fd, size_t used, bool endOfFile, bool bom, const LineMatcher& matcher, const Clock& clock,
                      DateTimeValue deadline, ExamineBuffers& buffers, FileOutcome& out, const MappedFile* mapped,
                      KnownEncoding known) {
  Text& line = buffers.line;
  bool anyUndecided = false;
  // Once a part's worth of lines is found and none waits for the encoding, they go to the run.
  auto handOverLines = [&]() -> bool {
    if (!buffers.handOver || anyUndecided || out.lines.size() < kPartLines) return true;
    auto part = std::make_unique<FileOutcome>();
    part->isPart = true;
    part->path = out.path;
    part->pathMatch = out.pathMatch;
    part->textTest = out.textTest;
    part->loadAttempted = true;
    part->load.loaded = true;
    part->lines.swap(out.lines);
    part->lineTexts.swap(out.lineTexts);
    part->wideTexts.swap(out.wideTexts);
    part->matchesInFile = std::exchange(out.matchesInFile, 0);
    // Time spent waiting for the run to take it is not the file's.
    DateTimeValue before = clock.now();
    bool goOn = buffers.handOver(std::move(part));
    deadline += clock.now() - before;
    return goOn;
  };
  bool validSoFar = known != KnownEncoding::Windows1252;
  int64_t lineNumber = 0;  // lines before the next line start
  size_t start = bom ? 3 : 0;

  // The last region is checked for UTF-8 only when a line in it needs the answer.
  const char* lastFrom = nullptr;
  const char* lastTo = nullptr;
  bool restChecked = known != KnownEncoding::Nothing;  // a mapped file checked to its end before its last piece
  auto validUpToLast = [&] {
    if (lastFrom && !bom && validSoFar) validSoFar = xcIsValidUtf8(lastFrom, static_cast<size_t>(lastTo - lastFrom));
    lastFrom = lastTo = nullptr;
    return validSoFar;
  };
  // With the encoding known: valid UTF-8 keeps the bytes as the text; otherwise each waiting line
  // is Windows-1252, its text stored again after the others.
  auto settleUndecided = [&] {
    bool utf8 = validUpToLast();
    for (ReportedLine& reported : out.lines) {
      if (!reported.undecided) continue;
      reported.undecided = false;
      std::string_view raw = out.textBytes(reported);
      if (utf8) {
        reported.position = decodedPosition(raw, reported.position, true, line);
      } else {
        decodeLine(raw.data(), raw.data() + raw.size(), false, line);
        out.storeText(line, reported);
      }
    }
    anyUndecided = false;
  };
  auto keepRaw = [&](int64_t number, int position, std::string_view raw, bool undecided) {
    ReportedLine stored;
    stored.lineNumber = static_cast<int32_t>(number);
    stored.position = position;
    stored.textStart = out.lineTexts.size();
    stored.textLength = raw.size();
    stored.undecided = undecided;
    out.lineTexts.append(raw);
    out.lines.push_back(stored);
  };
  size_t shrunkTo = SIZE_MAX;  // a mapped file's size once it got shorter
  bool anyHigh = false;  // a byte above 127 in the piece searched
  auto matchLine = [&](int64_t number, const char* from, const char* to, bool last) {
    if (mapped && mapped->truncated()) {
      // Past the file's new end the mapping reads zeros, which are not the file's.
      struct stat now {};
      if (shrunkTo == SIZE_MAX) shrunkTo = ::fstat(fd, &now) == 0 ? static_cast<size_t>(now.st_size) : 0;
      const char* end = mapped->data() + std::min(shrunkTo, mapped->size());
      if (from >= end) return;
      to = std::min(to, end);
    }
    std::string_view raw(from, static_cast<size_t>(to - from));
    bool anyWord = false;
    int bytePos = matcher.matchBytes(raw, buffers.folded, buffers.present, anyWord);
    if (anyWord) ++out.matchesInFile;
    if (bytePos == 0) {
      if (mapped && !anyHigh) anyHigh = !isAscii(from, to);
      return;
    }
    ++out.matchesInFile;
    if (isAscii(from, to)) return keepRaw(number, bytePos, raw, false);
    anyHigh = true;
    // A mapped piece is checked after it is searched.
    bool known = mapped ? restChecked : last;
    if (bom || !validSoFar || (known && !validUpToLast())) {
      // The encoding is known: UTF-8 after its mark (ill-formed bytes read as U+FFFD), or
      // Windows-1252, one character a byte.
      decodeLine(from, to, bom, line);
      int position = bom ? decodedPosition(raw, bytePos, true, buffers.prefix) : bytePos;
      out.addLine(static_cast<int32_t>(number), position, line);
      return;
    }
    // Valid UTF-8 to the end of the file: its bytes are its text.
    if (known) return keepRaw(number, decodedPosition(raw, bytePos, true, line), raw, false);
    keepRaw(number, bytePos, raw, true);
    anyUndecided = true;
  };

  // Finds the lines in [from, to) where a string occurs; last: the end of the file is in it.
  auto searchRegion = [&](const char* from, const char* to, bool last) {
    if (mapped) {
    } else if (last) {
      lastFrom = from;
      lastTo = to;
    } else if (!bom && validSoFar) {
      validSoFar = xcIsValidUtf8(from, static_cast<size_t>(to - from));
    }
    const char* p = from;
    while (p < to) {
      const char* hit = matcher.needles.find(p, to, to);
      if (hit == to) break;
      const char* lineStart = hit;
      while (lineStart > p && lineStart[-1] != '\n' && lineStart[-1] != '\r') --lineStart;
      const char* lineEnd = hit;
      while (lineEnd < to && *lineEnd != '\n' && *lineEnd != '\r') ++lineEnd;
      lineNumber += countBreaks(p, lineStart, anyHigh);
      if (clock.now() > deadline) {
        out.tooSlow = true;
        return false;
      }
      ++lineNumber;
      matchLine(lineNumber, lineStart, lineEnd, last);
      p = lineEnd;
      if (p < to) p += (*p == '\r' && p + 1 < to && p[1] == '\n') ? 2 : 1;
    }
    lineNumber += last ? countLines(p, to, anyHigh) : countBreaks(p, to, anyHigh);
    return true;
  };

  if (mapped) {
    // Pieces end after a line break, so no line is cut; the clock is read between them too.
    const char* data = mapped->data();
    size_t size = mapped->size();
    size_t from = start;
    size_t checkedTo = known != KnownEncoding::Nothing ? size : start;
    auto checkUpTo = [&](size_t end) {
      if (!bom && validSoFar && end > checkedTo) validSoFar = xcIsValidUtf8(data + checkedTo, end - checkedTo);
      checkedTo = std::max(checkedTo, end);
    };
    while (from < size) {
      size_t to = std::min(size, from + std::max<size_t>(buffers.mapPiece, 1));
      if (to < size) {
        // After the piece's last LF; lone CRs are looked for only where no LF is.
        size_t cut = to;
        if (const void* lf = ::memrchr(data + from, '\n', to - from))
          cut = static_cast<size_t>(static_cast<const char*>(lf) - data) + 1;
        else
          while (cut > from && !(data[cut - 1] == '\r' && data[cut] != '\n')) --cut;
        if (cut > from) {
          to = cut;
        } else {
          // One line longer than a piece: the piece ends after the next LF.
          const void* lf = std::memchr(data + to, '\n', size - to);
          to = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) + 1 : size;
        }
      }
      anyHigh = false;
      if (!searchRegion(data + from, data + to, to == size)) break;
      // Checked while its bytes are still in the cache; a piece all ASCII needs no check.
      if (!anyHigh && checkedTo == from) checkedTo = to;
      checkUpTo(to);
      if (!validSoFar && anyUndecided) settleUndecided();  // Windows-1252 after all
      from = to;
      if (anyUndecided && out.lines.size() >= kPartLines) {
        // Too many lines wait: the rest of the file is checked now, and later lines know.
        checkUpTo(size);
        restChecked = true;
        settleUndecided();
      }
      if (from < size && !handOverLines()) break;
      if (from < size && clock.now() > deadline) {
        out.load.cutShort = true;
        out.tooSlow = true;
        break;
      }
    }
    out.load.loaded = true;
    out.linesExamined = lineNumber;
    if (anyUndecided) {
      checkUpTo(size);  // also when cut short: the encoding is the whole file's
      settleUndecided();
    }
    return;
  }

  for (;;) {
    char* data = buffers.bytes.get();
    size_t regionEnd = used;
    if (!endOfFile) {
      // Search up to the last line break; the unfinished line waits for the next read.
      regionEnd = start;
      for (size_t i = used; i > start; --i) {
        char c = data[i - 1];
        if (c == '\n' || (c == '\r' && i < used)) {
          regionEnd = i;
          break;
        }
      }
    }
    if (!searchRegion(data + start, data + regionEnd, endOfFile)) break;
    if (endOfFile || !handOverLines()) break;
    // Keep the unfinished line and read on after it.
    size_t carry = used - regionEnd;
    if (carry) std::memmove(data, data + regionEnd, carry);
    used = carry;
    start = 0;
    if (clock.now() > deadline) {
      out.load.cutShort = true;
      out.tooSlow = true;
      break;
    }
    try {
      xcEnsureCapacity(buffers, std::max(used + kReadPiece / 4, kReadPiece / 4), used);
    } catch (const std::bad_alloc&) {
      out.load.cutShort = true;
      out.tooSlow = true;
      break;
    }
    size_t wanted = buffers.capacity - used;
    ssize_t n = xcReadSome(fd, buffers.bytes.get() + used, wanted);
    if (n < 0) {
      out.load.errorText = systemErrorText(errno);
      return;
    }
    used += static_cast<size_t>(n);
    endOfFile = static_cast<size_t>(n) < wanted;
  }
  out.load.loaded = true;
  out.linesExamined = lineNumber;
  if (anyUndecided) settleUndecided();
}

}  // namespace varko
