#include "search/FileExamination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lib/Errors.h"
#include "lib/Library.h"
#include "lib/MappedFile.h"
#include "lib/PosixFile.h"
#include "search/Directory.h"
#include "search/Matching.h"

namespace varko {

SkipReason xcOmitRule(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFlag) {
  if (omitBinBak) {
    if (xcTextPos(path, u".bak", 1) > 0) return SkipReason::BinaryBackup;
    for (const char16_t* part : {u".~", u".dcu", u".exe", u".dll", u".varc"})
      if (path.find(part) != Text::npos) return SkipReason::BinaryBackup;
    if (!mapFlag && path.find(u".map") != Text::npos) return SkipReason::BinaryBackup;
  }
  if (omitVarkoSR && xcTextPos(path, u"-VarkoSearchReplace-", 1) > 0) return SkipReason::OwnFile;
  return SkipReason::None;
}

bool xcOmittedByName(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFlag) {
  return xcOmitRule(path, omitBinBak, omitVarkoSR, mapFlag) != SkipReason::None;
}

namespace {

// An empty path is left out too, with no reason worth listing.
bool omittedByName(const Text& path, const ExamineOptions& options, SkipReason& why) {
  why = path.empty() ? SkipReason::None
                     : xcOmitRule(path, options.omitBinBak, options.omitVarkoSR, options.mapFlag);
  return path.empty() || why != SkipReason::None;
}

// Sorts out an entry that a stat found not to be a regular file: a folder needs no reason.
void notAFile(int statResult, int error, const struct stat& st, SkipReason& why, FileOutcome& out) {
  if (statResult != 0) {
    why = SkipReason::Unreadable;
    out.textTest.errorText = systemErrorText(error);
  } else if (!S_ISDIR(st.st_mode)) {
    why = SkipReason::SpecialFile;
  }
}

// The tests on the name before any byte is read. False when the file is not to be read.
bool examineName(const Text& path, const ExamineOptions& options, FileOutcome& out, bool isFile, SkipReason why) {
  out.path = path;
  if (!isFile) {
    out.skipped = true;
    out.skipReason = why;
    return false;
  }
  if (options.searchFilename) out.pathMatch = xcWordPos(path, options.searchString, options.ignoreCase, false) > 0;
  if (options.exactExtension && !xcSameText(xcExtractFileExt(path), options.fileSpecExtension)) {
    // The path match above still counts; the file is not searched.
    out.skipped = !out.pathMatch;
    return false;
  }
  return true;
}

void matchLines(const TextList& lines, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                DateTimeValue deadline, FileOutcome& out) {
  int64_t i = 0;
  for (const auto& line : lines) {
    if (clock.now() > deadline) {
      out.tooSlow = true;
      break;
    }
    ++i;
    bool anyWord = false;
    int pos = matcher.match(line, anyWord);
    if (anyWord) ++out.matchesInFile;
    bool reported = options.noMatchLines ? pos == 0 : pos > 0;
    if (reported) {
      ++out.matchesInFile;
      out.addLine(static_cast<int32_t>(i), pos, line);
    }
  }
  out.linesExamined = i;
}

}  // namespace

FileOutcome xcExamineFileReference(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
                                   const Clock& clock, TextList& lines) {
  FileOutcome out;
  SkipReason why = SkipReason::None;
  bool isFile = false;
  if (!omittedByName(path, options, why)) {
    struct stat st {};
    int statResult = ::stat(textToPath(path).c_str(), &st);
    isFile = statResult == 0 && S_ISREG(st.st_mode);
    if (!isFile) notAFile(statResult, errno, st, why, out);
  }
  if (!examineName(path, options, out, isFile, why)) return out;
  out.textTest = xcIsTextFileAndLoadable(path, options.asciiTextTest);
  if (!out.textTest.isText) return out;
  out.loadAttempted = true;
  int method = options.loadMethod;
  DateTimeValue deadline = 0;
  out.load = LoadFileLines(path, lines, method, deadline, clock);
  if (!out.load.loaded) return out;
  matchLines(lines, options, matcher, clock, deadline, out);
  return out;
}


namespace {

constexpr size_t kFirstRead = 128 * 1024;
constexpr size_t kReadPiece = 1024 * 1024;
constexpr size_t kKeptCapacity = 1024 * 1024;
constexpr size_t kPartLines = 4096;

void ensureCapacity(ExamineBuffers& b, size_t wanted, size_t used) {
  if (wanted <= b.capacity) return;
  size_t capacity = std::max(wanted, b.capacity + b.capacity / 2);
  std::unique_ptr<char[]> bigger(new char[capacity]);
  if (used) std::memcpy(bigger.get(), b.bytes.get(), used);
  b.bytes = std::move(bigger);
  b.capacity = capacity;
}

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


// Reads the rest of the file whole and matches every decoded line: for UTF-16 files, for
// reporting the lines that do not match, and for strings the byte search cannot look for.
void readAllAndMatch(int fd, size_t size, size_t used, bool endOfFile, const ExamineOptions& options,
                     const LineMatcher& matcher, const Clock& clock, DateTimeValue deadline,
                     ExamineBuffers& buffers, FileOutcome& out) {
  while (!endOfFile) {
    try {
      // The whole file at once when its size is known (one spare byte shows the end); a file
      // that grows gets room a piece at a time.
      if (buffers.capacity <= used) ensureCapacity(buffers, used < size ? size + 1 : used + kReadPiece, used);
      else if (used < size) ensureCapacity(buffers, size + 1, used);
    } catch (const std::bad_alloc&) {
      out.load.cutShort = true;
      break;
    }
    size_t wanted = std::min(buffers.capacity - used, kReadPiece);
    ssize_t n = xcReadSome(fd, buffers.bytes.get() + used, wanted);
    if (n < 0) {
      out.load.errorText = systemErrorText(errno);
      return;
    }
    used += static_cast<size_t>(n);
    endOfFile = static_cast<size_t>(n) < wanted;
    if (!endOfFile && clock.now() > deadline) {
      out.load.cutShort = true;
      break;
    }
  }
  out.load.loaded = true;
  std::string_view all(buffers.bytes.get(), used);
  if (out.load.cutShort) {
    // Reading stopped somewhere in a line: the complete lines only.
    size_t lastBreak = all.find_last_of("\r\n");
    if (lastBreak != std::string_view::npos) all = all.substr(0, lastBreak + 1);
  }
  xcDecodeLines(all, buffers.lines);
  matchLines(buffers.lines, options, matcher, clock, deadline, out);
  buffers.lines.clear();
  if (buffers.lines.capacity() > (1u << 20)) TextList().swap(buffers.lines);
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

// Reads the file piece by piece, finding the lines where a string occurs with the byte search,
// and matches each such line on its bytes. A reported line's text and position depend on the
// file's encoding: they wait for it only when the line is not ASCII and the bytes so far are
// valid UTF-8 (the rest of the file may still make it Windows-1252).
//
// A mapped file is searched in place, a piece at a time, each piece checked for UTF-8 right
// after its search, while its bytes are in the cache (a second pass over a large file would
// cost a quarter of the search); a piece the line count saw all ASCII needs no check. Its lines
// wait for the encoding like those of a file read; once many wait, the rest of the file is
// checked at once so they can go on. known: the mapped file's encoding, when it was checked
// whole before.
enum class Known { Nothing, Utf8, Windows1252 };
void streamAndMatch(int fd, size_t used, bool endOfFile, bool bom, const LineMatcher& matcher, const Clock& clock,
                    DateTimeValue deadline, ExamineBuffers& buffers, FileOutcome& out,
                    const MappedFile* mapped = nullptr, Known known = Known::Nothing) {
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
  bool validSoFar = known != Known::Windows1252;
  int64_t lineNumber = 0;  // lines before the next line start
  size_t start = bom ? 3 : 0;

  // The last region is checked for UTF-8 only when a line in it needs the answer.
  const char* lastFrom = nullptr;
  const char* lastTo = nullptr;
  bool restChecked = known != Known::Nothing;  // a mapped file checked to its end before its last piece
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
    size_t checkedTo = known != Known::Nothing ? size : start;
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
      ensureCapacity(buffers, std::max(used + kReadPiece / 4, kReadPiece / 4), used);
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

}  // namespace

namespace {
void examineOpened(const Text& path, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                   ExamineBuffers& buffers, FileOutcome& out, int folderFd, bool sizesReliable);
}  // namespace

FileOutcome xcExamineFile(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
                          const Clock& clock, ExamineBuffers& buffers) {
  FileOutcome out;
  xcExamineFile(path, options, matcher, clock, buffers, out);
  return out;
}

void xcExamineFile(const Text& path, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                   ExamineBuffers& buffers, FileOutcome& out, int folderFd, bool sizesReliable) {
  out.reset();
  examineOpened(path, options, matcher, clock, buffers, out, folderFd, sizesReliable);
  if (buffers.capacity > kKeptCapacity) {
    buffers.bytes.reset();
    buffers.capacity = 0;
  }
  if (buffers.line.capacity() > (1u << 20)) Text().swap(buffers.line);
  if (buffers.folded.capacity() > (1u << 20)) std::string().swap(buffers.folded);
  if (buffers.prefix.capacity() > (1u << 20)) Text().swap(buffers.prefix);
}

namespace {

void examineOpened(const Text& path, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                   ExamineBuffers& buffers, FileOutcome& out, int folderFd, bool sizesReliable) {
  // One look at the file system tells whether the entry is a file to search; one open serves the
  // text test and the load. Nothing but a regular file is opened.
  size_t slash = path.rfind(u'/');
  bool inFolder = folderFd >= 0 && options.entriesAreFiles && slash != Text::npos && slash + 1 < path.size();
  // In the open folder only the name is looked up, not every folder of the path again.
  textToPathInto(inFolder ? TextView(path).substr(slash + 1) : TextView(path), buffers.name);
  const std::string& name = buffers.name;
  int at = inFolder ? folderFd : AT_FDCWD;
  struct stat st {};
  FileDescriptor file;
  bool sizeKnown = true;
  if (options.entriesAreFiles) {
    // The listing saw a regular file: open it straight away. Its size is not needed, as a short
    // read shows the end, so a small file costs an open, one read and a close. The open does
    // not wait even if the entry was swapped for a FIFO meanwhile.
    SkipReason why = SkipReason::None;
    bool omitted = omittedByName(path, options, why);
    // A path past the system's limit is opened in pieces.
    if (!omitted)
      file.reset(inFolder ? ::openat(at, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                          : xcOpenPath(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    bool gone = !omitted && file.get() < 0 && (errno == ENOENT || errno == ENOTDIR);
    int openError = errno;
    if (gone) {
      why = SkipReason::Unreadable;
      out.textTest.errorText = systemErrorText(openError);
    }
    if (!examineName(path, options, out, !omitted && !gone, why)) return;
    if (file.get() < 0) {
      out.textTest.errorText = systemErrorText(openError);
      return;
    }
    sizeKnown = false;
  } else {
    SkipReason why = SkipReason::None;
    // The omit test first: an omitted entry needs no look at the file system.
    bool isFile = false;
    if (!omittedByName(path, options, why)) {
      int statResult = xcStatPath(name, st);
      isFile = statResult == 0 && S_ISREG(st.st_mode);
      if (!isFile) notAFile(statResult, errno, st, why, out);
    }
    if (!examineName(path, options, out, isFile, why)) return;
    file.reset(xcOpenPath(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
      out.textTest.errorText = systemErrorText(errno);
      return;
    }
  }
  auto size = static_cast<size_t>(st.st_size);
  if (sizeKnown && size == 0) return;

  // One byte more than the size: a short read then means the end, without another read. A
  // regular file reads short only at its end.
  size_t first = sizeKnown ? std::min(size + 1, kFirstRead) : kFirstRead;
  ensureCapacity(buffers, first, 0);
  size_t used = 0;
  while (used < first) {
    ssize_t n = xcReadSome(file.get(), buffers.bytes.get() + used, first - used);
    if (n < 0) {
      out.textTest.errorText = systemErrorText(errno);
      return;
    }
    used += static_cast<size_t>(n);
    if (n == 0 || !sizeKnown) break;
  }
  if (used == 0) return;  // empty, or it shrank since its size was taken
  // procfs and sysfs files read bytes but report size 0: the text test says they are not text,
  // on this path as on the one that looked at the size first.
  if (!sizeKnown && sizesReliable && inFolder && used < first) {
    size = used;  // read whole, on a file system whose sizes are true
  } else if (!sizeKnown) {
    if (::fstat(file.get(), &st) == 0 && st.st_size == 0) return;
    size = static_cast<size_t>(st.st_size);
  }
  size_t tested = std::min(used, kTextTestBytes);
  TextSampleCounts counts = xcCountTextSampleFast(buffers.bytes.get(), tested, used > tested, options.asciiTextTest);
  out.textTest.textBytes = counts.text;
  out.textTest.otherBytes = counts.other;
  out.textTest.isText = xcIsTextSample(out.textTest.textBytes, out.textTest.otherBytes);
  if (!out.textTest.isText) return;

  out.loadAttempted = true;
  DateTimeValue deadline = clock.now() + 2 * kOneSecond;
  const char* head = buffers.bytes.get();
  bool bom = used >= 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0;
  bool utf16 = used >= 2 && ((static_cast<unsigned char>(head[0]) == 0xFF && static_cast<unsigned char>(head[1]) == 0xFE) ||
                             (static_cast<unsigned char>(head[0]) == 0xFE && static_cast<unsigned char>(head[1]) == 0xFF));
  bool endOfFile = used < first;
  if (utf16 || options.noMatchLines || !matcher.needlesUsable) {
    // Reading it whole: the size lets one allocation hold the file.
    readAllAndMatch(file.get(), size, used, endOfFile, options, matcher, clock, deadline, buffers, out);
    return;
  }
  // A large file is searched where it lies rather than copied piece by piece. Strings beyond
  // ASCII are found by the bytes of the file's encoding: a large file is checked first and
  // searched in place, which decoding it whole could not do in its time; a smaller one, or one
  // with a UTF-8 mark and ill-formed bytes, is decoded whole.
  MappedFile mapped;
  bool inPlace = !endOfFile && size >= buffers.mapFrom && mapped.map(file.get(), size);
  const LineMatcher* bytesMatcher = &matcher;
  Known known = Known::Nothing;
  if (!matcher.needlesAscii) {
    if (inPlace && xcIsValidUtf8(mapped.data(), mapped.size())) {
      known = Known::Utf8;
    } else if (inPlace && !bom && matcher.windows1252()) {
      known = Known::Windows1252;
      bytesMatcher = matcher.windows1252();
    } else {
      return readAllAndMatch(file.get(), size, used, endOfFile, options, matcher, clock, deadline, buffers, out);
    }
  }
  streamAndMatch(file.get(), used, endOfFile, bom, *bytesMatcher, clock, deadline, buffers, out,
                 inPlace ? &mapped : nullptr, known);
  if (inPlace && mapped.truncated()) {
    out.load.cutShort = true;
    out.shrank = true;
  }
}

}  // namespace

}  // namespace varko
