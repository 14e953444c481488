#include "examine/FileExamination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "lib/Errors.h"
#include "lib/Library.h"
#include "lib/MappedFile.h"
#include "lib/PosixFile.h"
#include "find/Directory.h"
#include "match/Matching.h"
#include "examine/StreamMatch.h"

namespace varko {

SkipReason omitRule(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFilesAsked) {
  if (omitBinBak) {
    if (xcTextPos(path, u".bak", 1) > 0) return SkipReason::BinaryBackup;
    for (const char16_t* part : {u".~", u".dcu", u".exe", u".dll", u".varc"})
      if (path.find(part) != Text::npos) return SkipReason::BinaryBackup;
    if (!mapFilesAsked && path.find(u".map") != Text::npos) return SkipReason::BinaryBackup;
  }
  if (omitVarkoSR && xcTextPos(path, u"-VarkoSearchReplace-", 1) > 0) return SkipReason::OwnFile;
  // The change log a replace run writes in its first folder is the program's own file too.
  constexpr TextView kChangeLog = u"/Varko-SearchReplace.log";
  if (omitVarkoSR && path.size() >= kChangeLog.size() &&
      xcTextPos(TextView(path).substr(path.size() - kChangeLog.size()), kChangeLog, 1) == 1)
    return SkipReason::OwnFile;
  return SkipReason::None;
}

bool xcOmittedByName(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFilesAsked) {
  return omitRule(path, omitBinBak, omitVarkoSR, mapFilesAsked) != SkipReason::None;
}

namespace {

// An empty path is left out too, with no reason worth listing.
bool omittedByName(const Text& path, const ExamineOptions& options, SkipReason& why) {
  why = path.empty() ? SkipReason::None
                     : omitRule(path, options.omitBinBak, options.omitVarkoSR, options.mapFilesAsked);
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
  if (options.searchFilename) {
    Patterns::Found found;
    out.pathMatch = options.patterns ? options.patterns->firstMatch(toUtf8(path), found) >= 0
                                     : xcWordPos(path, options.searchString, options.ignoreCase, false) > 0;
  }
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

FileOutcome examineFileReference(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
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
constexpr size_t kKeptCapacity = 1024 * 1024;

// A file opened for its examination, and what its first read told.
struct OpenedFile {
  FileDescriptor fd;
  bool inFolder = false;   // opened by its name in the open folder
  bool sizeKnown = true;   // a stat gave its size before it was opened
  size_t size = 0;
  size_t first = 0;        // bytes the first read asked for
  size_t used = 0;         // bytes in the read buffer
  bool endOfFile = false;  // the first read reached the end
};

// Reads the rest of the file into the read buffer. False when it could not be read; reading
// may also stop for time or memory (out.load.cutShort).
bool readRest(OpenedFile& file, const Clock& clock, DateTimeValue deadline, ExamineBuffers& buffers,
              FileOutcome& out) {
  size_t size = file.size;
  size_t& used = file.used;
  bool& endOfFile = file.endOfFile;
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
    ssize_t n = xcReadSome(file.fd.get(), buffers.bytes.get() + used, wanted);
    if (n < 0) {
      out.load.errorText = systemErrorText(errno);
      return false;
    }
    used += static_cast<size_t>(n);
    endOfFile = static_cast<size_t>(n) < wanted;
    if (!endOfFile && clock.now() > deadline) {
      out.load.cutShort = true;
      break;
    }
  }
  return true;
}

// Decodes the read buffer and matches every line: for UTF-16 files, for reporting the lines
// that do not match, and for strings the byte search cannot look for.
void decodeAndMatch(const OpenedFile& file, const ExamineOptions& options, const LineMatcher& matcher,
                    const Clock& clock, DateTimeValue deadline, ExamineBuffers& buffers, FileOutcome& out) {
  out.load.loaded = true;
  std::string_view all(buffers.bytes.get(), file.used);
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

void readAllAndMatch(OpenedFile& file, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                     DateTimeValue deadline, ExamineBuffers& buffers, FileOutcome& out) {
  if (readRest(file, clock, deadline, buffers, out)) decodeAndMatch(file, options, matcher, clock, deadline, buffers, out);
}

// The listing saw a regular file: open it straight away. Its size is not needed, as a short
// read shows the end, so a small file costs an open, one read and a close. The open does not
// wait even if the entry was swapped for a FIFO meanwhile.
bool openListed(const Text& path, const ExamineOptions& options, int at, const std::string& name, FileOutcome& out,
                OpenedFile& file) {
  SkipReason why = SkipReason::None;
  bool omitted = omittedByName(path, options, why);
  // A path past the system's limit is opened in pieces.
  if (!omitted)
    file.fd.reset(file.inFolder ? ::openat(at, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                                : xcOpenPath(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  bool gone = !omitted && file.fd.get() < 0 && (errno == ENOENT || errno == ENOTDIR);
  int openError = errno;
  if (gone) {
    why = SkipReason::Unreadable;
    out.textTest.errorText = systemErrorText(openError);
  }
  if (!examineName(path, options, out, !omitted && !gone, why)) return false;
  if (file.fd.get() < 0) {
    out.textTest.errorText = systemErrorText(openError);
    return false;
  }
  file.sizeKnown = false;
  return true;
}

// The omit test first: an omitted entry needs no look at the file system. Nothing but a regular
// file is opened.
bool statAndOpen(const Text& path, const ExamineOptions& options, const std::string& name, FileOutcome& out,
                 OpenedFile& file) {
  SkipReason why = SkipReason::None;
  struct stat st {};
  bool isFile = false;
  if (!omittedByName(path, options, why)) {
    int statResult = xcStatPath(name, st);
    isFile = statResult == 0 && S_ISREG(st.st_mode);
    if (!isFile) notAFile(statResult, errno, st, why, out);
  }
  if (!examineName(path, options, out, isFile, why)) return false;
  file.fd.reset(xcOpenPath(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.fd.get() < 0) {
    out.textTest.errorText = systemErrorText(errno);
    return false;
  }
  file.size = static_cast<size_t>(st.st_size);
  return true;
}

// One look at the file system tells whether the entry is a file to search; one open serves the
// text test and the load. False when there is nothing to read.
bool openToExamine(const Text& path, const ExamineOptions& options, ExamineBuffers& buffers, FileOutcome& out,
                   int folderFd, OpenedFile& file) {
  size_t slash = path.rfind(u'/');
  file.inFolder = folderFd >= 0 && options.entriesAreFiles && slash != Text::npos && slash + 1 < path.size();
  // In the open folder only the name is looked up, not every folder of the path again.
  textToPathInto(file.inFolder ? TextView(path).substr(slash + 1) : TextView(path), buffers.name);
  bool opened = options.entriesAreFiles
                    ? openListed(path, options, file.inFolder ? folderFd : AT_FDCWD, buffers.name, out, file)
                    : statAndOpen(path, options, buffers.name, out, file);
  return opened && !(file.sizeKnown && file.size == 0);
}

// The first read, and the size when no stat took it. False when the file is empty (or shrank
// to nothing since its size was taken) or could not be read.
bool readHead(OpenedFile& file, bool sizesReliable, ExamineBuffers& buffers, FileOutcome& out) {
  // One byte more than the size: a short read then means the end, without another read. A
  // regular file reads short only at its end.
  file.first = file.sizeKnown ? std::min(file.size + 1, kFirstRead) : kFirstRead;
  ensureCapacity(buffers, file.first, 0);
  while (file.used < file.first) {
    ssize_t n = xcReadSome(file.fd.get(), buffers.bytes.get() + file.used, file.first - file.used);
    if (n < 0) {
      out.textTest.errorText = systemErrorText(errno);
      return false;
    }
    file.used += static_cast<size_t>(n);
    if (n == 0 || !file.sizeKnown) break;
  }
  if (file.used == 0) return false;
  file.endOfFile = file.used < file.first;
  if (file.sizeKnown) return true;
  // procfs and sysfs files read bytes but report size 0: the text test says they are not text,
  // on this path as on the one that looked at the size first.
  if (sizesReliable && file.inFolder && file.endOfFile) {
    file.size = file.used;  // read whole, on a file system whose sizes are true
    return true;
  }
  struct stat st {};
  if (::fstat(file.fd.get(), &st) == 0 && st.st_size == 0) return false;
  file.size = static_cast<size_t>(st.st_size);
  return true;
}

bool testText(const OpenedFile& file, const ExamineOptions& options, const ExamineBuffers& buffers,
              FileOutcome& out) {
  size_t tested = std::min(file.used, kTextTestBytes);
  TextSampleCounts counts =
      countTextSampleFast(buffers.bytes.get(), tested, file.used > tested, options.asciiTextTest);
  out.textTest.textBytes = counts.text;
  out.textTest.otherBytes = counts.other;
  out.textTest.isText = xcIsTextSample(out.textTest.textBytes, out.textTest.otherBytes);
  return out.textTest.isText;
}

bool startsWith(const char* bytes, size_t size, std::string_view mark) {
  return size >= mark.size() && std::memcmp(bytes, mark.data(), mark.size()) == 0;
}

// A large file is searched where it lies rather than copied piece by piece. Strings beyond
// ASCII and patterns are found by the bytes of the file's encoding: the file (mapped, or read
// whole) is checked first and then searched, which decoding it whole could not do in its time;
// one with a UTF-8 mark and ill-formed bytes is decoded whole.
void searchLoaded(OpenedFile& file, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                  ExamineBuffers& buffers, FileOutcome& out) {
  out.loadAttempted = true;
  DateTimeValue deadline = clock.now() + 2 * kOneSecond;
  const char* head = buffers.bytes.get();
  bool bom = startsWith(head, file.used, "\xEF\xBB\xBF");
  bool utf16 = startsWith(head, file.used, "\xFF\xFE") || startsWith(head, file.used, "\xFE\xFF");
  // Reading it whole: the size lets one allocation hold the file.
  if (utf16 || options.noMatchLines || !matcher.needlesUsable)
    return readAllAndMatch(file, options, matcher, clock, deadline, buffers, out);
  MappedFile mapped;
  bool inPlace = !file.endOfFile && file.size >= buffers.mapFrom && mapped.map(file.fd.get(), file.size);
  const LineMatcher* bytesMatcher = &matcher;
  KnownEncoding known = KnownEncoding::Nothing;
  if (!matcher.needlesAscii) {
    // A file that is not mapped is read whole, then checked, then searched in the buffer.
    if (!inPlace) {
      if (!readRest(file, clock, deadline, buffers, out)) return;
      if (out.load.cutShort) return decodeAndMatch(file, options, matcher, clock, deadline, buffers, out);
    }
    const char* bytes = inPlace ? mapped.data() : buffers.bytes.get();
    size_t size = inPlace ? mapped.size() : file.used;
    if (validUtf8(bytes, size)) {
      known = KnownEncoding::Utf8;
    } else if (!bom && matcher.windows1252()) {
      known = KnownEncoding::Windows1252;
      bytesMatcher = matcher.windows1252();
    } else {
      // Decoded whole: a mapped file is read into the buffer first.
      if (inPlace && !readRest(file, clock, deadline, buffers, out)) return;
      return decodeAndMatch(file, options, matcher, clock, deadline, buffers, out);
    }
  }
  streamAndMatch(file.fd.get(), file.used, file.endOfFile, bom, *bytesMatcher, clock, deadline, buffers, out,
                   inPlace ? &mapped : nullptr, known);
  if (inPlace && mapped.truncated()) {
    out.load.cutShort = true;
    out.shrank = true;
  }
}

void examineOpened(const Text& path, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                   ExamineBuffers& buffers, FileOutcome& out, int folderFd, bool sizesReliable) {
  OpenedFile file;
  if (!openToExamine(path, options, buffers, out, folderFd, file)) return;
  if (!readHead(file, sizesReliable, buffers, out)) return;
  if (!testText(file, options, buffers, out)) return;
  searchLoaded(file, options, matcher, clock, buffers, out);
}

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

}  // namespace varko
