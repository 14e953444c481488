#include "search/FileExamination.h"

#include "lib/Library.h"
#include "search/Matching.h"

namespace varko {

int LineMatcher::match(TextView line, bool& anyWord) const {
  anyWord = false;
  if (google) {
    int found = 0;
    int pos = xcAllWordsPos(line, googleWords, requiredWords, ignoreCase, wholeWords, found);
    anyWord = found > 0;
    return pos;
  }
  if (!multiple) return xcWordPos(line, searchString, ignoreCase, wholeWords);
  for (const auto& s : findStrings) {
    if (s.empty()) continue;
    int pos = xcWordPos(line, s, ignoreCase, wholeWords);
    if (pos > 0) return pos;
  }
  return 0;
}

bool xcOmittedByName(const Text& path, bool omitBinBak, bool omitVarkoSR, bool mapFlag) {
  if (omitBinBak) {
    if (xcTextPos(path, u".bak", 1) > 0) return true;
    for (const char16_t* part : {u".~", u".dcu", u".exe", u".dll", u".varc"})
      if (path.find(part) != Text::npos) return true;
    if (!mapFlag && path.find(u".map") != Text::npos) return true;
  }
  if (omitVarkoSR && xcTextPos(path, u"-VarkoSearchReplace-", 1) > 0) return true;
  return false;
}

FileOutcome xcExamineFile(const Text& path, const ExamineOptions& options, const LineMatcher& matcher,
                          const Clock& clock, TextList& lines) {
  FileOutcome out;
  out.path = path;
  if (path.empty() || !xcFileExists(path) ||
      xcOmittedByName(path, options.omitBinBak, options.omitVarkoSR, options.mapFlag)) {
    out.skipped = true;
    return out;
  }
  if (options.searchFilename) out.pathMatch = xcWordPos(path, options.searchString, options.ignoreCase, false) > 0;
  if (options.exactExtension && !xcSameText(xcExtractFileExt(path), options.fileSpecExtension)) {
    // The path match above still counts; the file is not searched.
    out.skipped = !out.pathMatch;
    out.textTest.isText = false;
    return out;
  }
  out.textTest = xcIsTextFileAndLoadable(path);
  if (!out.textTest.isText) return out;
  out.loadAttempted = true;
  int method = options.loadMethod;
  DateTimeValue deadline = 0;
  out.load = LoadFileLines(path, lines, method, deadline, clock);
  if (!out.load.loaded) return out;
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
      out.lines.push_back({static_cast<int32_t>(i), pos, line});
    }
  }
  out.linesExamined = i;
  return out;
}

}  // namespace varko
