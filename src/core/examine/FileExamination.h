#pragma once
// Examining one file of a run: a function of the path and the run's settings that returns what
// the file gave. The run applies outcomes in list order, so files may be examined ahead on
// other threads without changing a row.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "lib/Clock.h"
#include "lib/Text.h"
#include "match/LineMatcher.h"
#include "find/SkipReason.h"
#include "examine/TextFile.h"

namespace varko {

struct ExamineOptions {
  bool omitBinBak = true;
  bool omitVarkoSR = true;
  bool mapFilesAsked = false;  // the filespec names ".map" files: the omit rules let them through
  bool searchFilename = false;
  Text searchString;          // for the file-name test
  std::shared_ptr<const Patterns> patterns;  // regular expressions: they test the name instead
  bool ignoreCase = true;
  bool exactExtension = false;   // simple filespec mode with a 3-letter extension
  Text fileSpecExtension;
  bool noMatchLines = false;     // report lines that do not match
  int loadMethod = 1;
  bool entriesAreFiles = false;  // the listing saw only regular files: open without a stat first
  bool asciiTextTest = false;    // the 8-bit text test instead of the one that knows encodings
};

struct ReportedLine {
  int32_t lineNumber = 0;
  int32_t position = 0;  // while undecided: the 1-based byte position in the raw line
  // The line's text: UTF-8 in its outcome's lineTexts, or, when UTF-8 cannot hold it (a lone
  // surrogate from a UTF-16 file), UTF-16 in wideTexts.
  size_t textStart = 0;
  size_t textLength = 0;
  bool wide = false;
  // Read while the file's encoding is not known yet: the text is the line's raw bytes.
  bool undecided = false;
};

struct FileOutcome {
  Text path;
  bool skipped = false;       // not a file, omitted by name, or another extension
  // Why a skipped entry was not searched (None: not a file, or another extension); an
  // unreadable one has the system's text in textTest.errorText.
  SkipReason skipReason = SkipReason::None;
  bool pathMatch = false;     // "Search Filename too" found the string in the path
  TextTestResult textTest;
  bool loadAttempted = false;
  LoadResult load;
  std::vector<ReportedLine> lines;
  // The reported lines' texts one after another: one allocation per file, and UTF-8, the
  // results' own form, so the run copies them as they are.
  std::string lineTexts;
  Text wideTexts;
  int32_t matchesInFile = 0;
  int64_t linesExamined = 0;
  bool tooSlow = false;       // the two-second limit cut the file short
  bool shrank = false;        // the file got shorter while it was read: its end was not there
  // A part of a large file's lines, handed over before the file is done: it holds only the
  // path, the text test, the lines and their matches; the file's last outcome follows it.
  bool isPart = false;

  // Empties the outcome for another file, keeping the storage it has.
  void reset() {
    path.clear();
    skipped = pathMatch = loadAttempted = tooSlow = shrank = isPart = false;
    skipReason = SkipReason::None;
    textTest = TextTestResult();
    load = LoadResult();
    lines.clear();
    lineTexts.clear();
    wideTexts.clear();
    matchesInFile = 0;
    linesExamined = 0;
  }
  // Whether keeping the storage for another file is worth its memory.
  bool worthReusing() const {
    return lineTexts.capacity() <= (1u << 14) && wideTexts.capacity() <= 64 && lines.capacity() <= 256;
  }

  // Roughly the memory the outcome holds, to bound how much waits for the run.
  size_t bytesHeld() const {
    return sizeof(FileOutcome) + path.capacity() * sizeof(char16_t) + lines.capacity() * sizeof(ReportedLine) +
           lineTexts.capacity() + wideTexts.capacity() * sizeof(char16_t);
  }

  std::string_view textBytes(const ReportedLine& line) const {
    return std::string_view(lineTexts).substr(line.textStart, line.textLength);
  }
  Text text(const ReportedLine& line) const {
    return line.wide ? Text(TextView(wideTexts).substr(line.textStart, line.textLength)) : fromUtf8(textBytes(line));
  }
  // Stores a line's text; where it went is set in line.
  void storeText(TextView text, ReportedLine& line) {
    line.textStart = lineTexts.size();
    line.wide = !appendAsUtf8(text, lineTexts);
    if (line.wide) {
      line.textStart = wideTexts.size();
      wideTexts += text;
    }
    line.textLength = (line.wide ? wideTexts.size() : lineTexts.size()) - line.textStart;
  }
  void addLine(int32_t lineNumber, int32_t position, TextView text) {
    ReportedLine line;
    line.lineNumber = lineNumber;
    line.position = position;
    storeText(text, line);
    lines.push_back(line);
  }
};

// True when the omit rules skip the path (substring tests on the whole path).
bool xcOmittedByName(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFilesAsked);
// The rule that omits the path: BinaryBackup, OwnFile, or None.
SkipReason omitRule(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFilesAsked);

// Read buffer and line lists, reused from file to file by one thread.
struct ExamineBuffers {
  std::unique_ptr<char[]> bytes;
  size_t capacity = 0;
  TextList lines;
  Text line;  // the line being matched
  std::string name;  // the path as the system takes it
  std::string folded;  // the line in upper case, for matching
  Text prefix;  // a line's start, decoded to count its characters
  std::vector<uint8_t> present;  // which strings occur in the line
  // Files of mapFrom bytes or more are mapped and searched mapPiece bytes at a time (tests set
  // these small, or mapFrom to SIZE_MAX to read every file piece by piece).
  size_t mapFrom = size_t{4} << 20;
  // Small enough for a piece to stay in the cache between its search and its UTF-8 check, and
  // for most pieces of a text with a few non-ASCII characters to be ASCII all through.
  size_t mapPiece = size_t{64} << 10;
  // Takes the lines found so far in a large file, so they need not all wait for its end (and
  // memory stays small); false stops reading the file, as the run is stopping.
  std::function<bool(std::unique_ptr<FileOutcome>)> handOver;
};

// Reads each file once and matches on its raw bytes, decoding only the lines where a string
// occurs; gives exactly the outcome of examineFileReference.
FileOutcome xcExamineFile(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
                          const Clock& clock, ExamineBuffers& buffers);
// The same into out, which is reset first and keeps its storage. With entriesAreFiles, folderFd
// (when not -1) is the open folder the file is in, and the file is opened there by its name;
// sizesReliable: that folder's file system gives true sizes, so a file read whole needs no look
// at its size.
void xcExamineFile(const Text& path, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                   ExamineBuffers& buffers, FileOutcome& out, int folderFd = -1, bool sizesReliable = false);

// The straightforward way: text test, load every line, match every line.
FileOutcome examineFileReference(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
                                   const Clock& clock, TextList& lineBuffer);

}  // namespace varko
