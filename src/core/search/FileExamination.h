#pragma once
// Examining one file of a run: a function of the path and the run's settings that returns what
// the file gave. The run applies outcomes in list order, so files may be examined ahead on
// other threads without changing a row.
#include <cstdint>
#include <memory>
#include <vector>
#include "lib/Clock.h"
#include "lib/Text.h"
#include "search/ByteSearch.h"
#include "search/TextFile.h"

namespace varko {

// The run's line matching, fixed for the whole run.
struct LineMatcher {
  bool google = false;
  TextList googleWords;
  int requiredWords = 0;
  bool multiple = false;   // multiple strings: the first that occurs decides
  Text searchString;       // simple mode, as typed
  TextList findStrings;    // multiple mode: find strings 1..count, untrimmed
  bool ignoreCase = true;
  bool wholeWords = false;

  // Position of the match, 0 for none. anyWord: in Google mode, at least one word occurs.
  // present, when given, flags the find strings that occur in the line's bytes.
  int match(TextView line, bool& anyWord, const std::vector<uint8_t>* present = nullptr) const;

  // Builds the byte search; call once the fields above are set.
  void prepare();
  // A line without any of these strings cannot match (nor hold a Google word).
  ByteNeedles needles;
  bool needlesUsable = false;  // every string is ASCII
};

struct ExamineOptions {
  bool omitBinBak = true;
  bool omitVarkoSR = true;
  bool mapFlag = false;
  bool searchFilename = false;
  Text searchString;          // for the file-name test
  bool ignoreCase = true;
  bool exactExtension = false;   // simple filespec mode with a 3-letter extension
  Text fileSpecExtension;
  bool noMatchLines = false;     // report lines that do not match
  int loadMethod = 1;
  bool entriesAreFiles = false;  // the listing saw only regular files: open without a stat first
};

struct ReportedLine {
  int32_t lineNumber = 0;
  int32_t position = 0;
  size_t textStart = 0;   // the line's text in its outcome's lineTexts
  size_t textLength = 0;
};

struct FileOutcome {
  Text path;
  bool skipped = false;       // not a file, omitted by name, or another extension
  bool pathMatch = false;     // "Search Filename too" found the string in the path
  TextTestResult textTest;
  bool loadAttempted = false;
  LoadResult load;
  std::vector<ReportedLine> lines;
  Text lineTexts;  // the reported lines' texts one after another: one allocation per file
  int32_t matchesInFile = 0;
  int64_t linesExamined = 0;
  bool tooSlow = false;       // the two-second limit cut the file short

  // Empties the outcome for another file, keeping the storage it has.
  void reset() {
    path.clear();
    skipped = pathMatch = loadAttempted = tooSlow = false;
    textTest = TextTestResult();
    load = LoadResult();
    lines.clear();
    lineTexts.clear();
    matchesInFile = 0;
    linesExamined = 0;
  }
  // Whether keeping the storage for another file is worth its memory.
  bool worthReusing() const { return lineTexts.capacity() <= (1u << 15) && lines.capacity() <= 1024; }

  TextView text(const ReportedLine& line) const { return TextView(lineTexts).substr(line.textStart, line.textLength); }
  void addLine(int32_t lineNumber, int32_t position, TextView text) {
    lines.push_back({lineNumber, position, lineTexts.size(), text.size()});
    lineTexts += text;
  }
};

// True when the omit rules skip the path (substring tests on the whole path).
bool xcOmittedByName(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFlag);

// A line where a string may occur, while the file is being read.
struct LineCandidate {
  int64_t lineNumber;
  std::string bytes;  // the raw line, waiting for the encoding
  int position = 0;   // once matched
  bool anyWord = false;
  size_t textStart = 0;  // in the outcome's lineTexts, once matched
  size_t textLength = 0;
  bool waiting = false;
};

// Read buffer and line lists, reused from file to file by one thread.
struct ExamineBuffers {
  std::unique_ptr<char[]> bytes;
  size_t capacity = 0;
  TextList lines;
  Text line;  // the line being matched
  std::string name;  // the path as the system takes it
  std::vector<LineCandidate> candidates;
};

// Reads each file once and matches on its raw bytes, decoding only the lines where a string
// occurs; gives exactly the outcome of xcExamineFileReference.
FileOutcome xcExamineFile(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
                          const Clock& clock, ExamineBuffers& buffers);
// The same into out, which is reset first and keeps its storage. With entriesAreFiles, folderFd
// (when not -1) is the open folder the file is in, and the file is opened there by its name.
void xcExamineFile(const Text& path, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                   ExamineBuffers& buffers, FileOutcome& out, int folderFd = -1);

// The straightforward way: text test, load every line, match every line.
FileOutcome xcExamineFileReference(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
                                   const Clock& clock, TextList& lineBuffer);

}  // namespace varko
