#pragma once
// The search run (DoSearch) with both finders and the result rows. The window and the command
// line build a SearchRequest, the whole input of a run, and implement RunHost; the session
// keeps only the state of the run itself. Nothing here draws.
#include <array>
#include <memory>
#include <utility>
#include <vector>
#include "lib/Clock.h"
#include "results/ResultTable.h"
#include "examine/FileExamination.h"
#include "find/FileFinders.h"
#include "search/FilePrefetcher.h"
#include "search/RunHost.h"
#include "search/SearchRequest.h"

namespace varko {

// One file with matches handed to the replacement, and what came of it.
struct ReplaceJob {
  Text path;
  bool lineQuery = false;  // ask per line
  bool ignoreCase = true;
  bool preserveSpaces = false;
  bool wholeWords = false;
};
struct ReplaceJobResult {
  int replaced = 0;         // the file's count of replacements
  bool replaceOff = false;  // Cancel: no more replacing in this run
  bool stopRun = false;     // "Abort Find/Replace": the run stops before its next file
};

// Where the per-file replacement joins the run.
class ReplaceHandler {
public:
  virtual ~ReplaceHandler() = default;
  virtual ReplaceJobResult VarkoReplaceStrSubFile(const ReplaceJob& job) = 0;
  virtual void ClearReplaceLists() = 0;
  // At the end of the run, before its status: completes what is still pending and returns the
  // change to the count of replacements (less for saves that failed at the last step).
  virtual int finishRun() { return 0; }
  // Why the file just handed over was not replaced (empty: it was, or had nothing to change),
  // for a notice row under it.
  virtual Text takeNotice() { return Text(); }
};

enum class RunOutcome { None, Ignored, Refused, Finished };

enum ScannerChoice : int { kScannerFindFile = 1, kScannerZEQ = 2 };

// SetReplaceOffOrOn's argument, with the values the settings and the old callers used.
enum class ReplaceSwitch : int { Off = 1, On = 2 };

// The finder a request uses: the multi-path one for any advanced list, or when always asked.
int ScannerFor(const SearchRequest& request);

class SearchSession {
public:
  explicit SearchSession(RunHost& host);
  ~SearchSession();

  // The run.
  void btnGoClick(const SearchRequest& request);  // replace off, then DoSearch
  void DoSearch(const SearchRequest& request);
  void btnStopClick();
  // "Abort Find/Replace": clears running without the suffix and without stopping a scan.
  void AbortFindReplace() { running_ = false; }
  void SetReplaceOffOrOn(ReplaceSwitch offOrOn);
  void SetRunState(RunState state);

  // The result rows, for the window and tests.
  Text FileSearchListItem(int index) const;
  void AddFoundRow(int32_t lineNumber, TextView text, const Text& filePath, int32_t position);
  void AddFoundMessage(const Text& text);

  // State the windows read.
  ResultTable& grdFound() { return grdFound_; }
  const ResultTable& grdFound() const { return grdFound_; }
  void setReplaceHandler(ReplaceHandler* handler) { replaceHandler_ = handler; }

  // A run is going, or still unwinding after it was told to stop: no other may start.
  bool running() const { return running_ || inRun_; }
  bool replaceOn() const { return replaceOn_; }
  RunOutcome lastOutcome() const { return lastOutcome_; }
  // The last run was ended by an error it could not handle (shown through the host).
  bool runFailed() const { return runFailed_; }
  int scannerChoice() const { return scanner_; }
  const Text& searchString() const { return searchString_; }
  // The strings and rules the last run matched lines with (the windows mark the matches).
  const LineMatcher& lineMatcher() const { return matcher_; }
  // The run's regular expressions; null when its strings are plain.
  const std::shared_ptr<const Patterns>& patterns() const { return patterns_; }
  const Text& abortedSuffix() const { return abortedSuffix_; }
  int32_t matchedLines() const { return matchedLines_; }
  int64_t linesSearched() const { return linesSearched_; }
  int32_t filesWithMatches() const { return filesWithMatches_; }
  int32_t fileSearchListCount() const { return fileCount_; }
  int32_t replacedTotal() const { return replacedTotal_; }
  // With "List skipped files": the entries not searched, by reason, and their summary row.
  int64_t skippedCount(SkipReason reason) const { return skippedCounts_[static_cast<size_t>(reason)]; }
  Text skippedSummary() const;
  // Run texts, kept for the report.
  const Text& stringsText() const { return runStringsText_; }
  const Text& foldersText() const { return runFoldersText_; }
  const Text& elapsedText() const { return elapsedText_; }
  const Text& replacedText() const { return replacedText_; }
  const Text& requestFoldersText() const { return foldersText_; }
  const Text& requestFileSpecsText() const { return fileSpecsText_; }
  const Text& requestStringsText() const { return stringsText_; }

private:
  void CheckFilesToSearch(const SearchRequest& request);
  void BuildFileSearchList(const SearchRequest& request);
  void AddFoundNotice(const Text& filePath, const Text& text1, const Text& text2);
  void ShowScanProgress(int64_t folders, int64_t files, int64_t searchFiles);
  // Works out the run's date window. Returns false (after a message naming the field) when a
  // date or time cannot be read.
  bool PrepareDateSelection(const SearchRequest& request);
  // The multi-path finder of this run, with all its settings: folders, masks, dates, and
  // whether it feeds the workers as it lists.
  std::unique_ptr<TZEQFindFiles> makeMultiPathFinder(const SearchRequest& request);
  // The run's strings from the request; false (after saying why) when there is none to use.
  bool takeStrings(const SearchRequest& request);
  bool takePatterns(const SearchRequest& request);
  // Google words, counts and the run's texts, at the start of a run.
  void startCounts(const SearchRequest& request);
  // The folder scan, then every file of the list.
  void listAndSearch(const SearchRequest& request);
  void prepareExamination(const SearchRequest& request);
  void finishFeed();
  void runEntries(const SearchRequest& request);
  void applyOutcome(const SearchRequest& request, FileOutcome& outcome);
  void showProgress(const SearchRequest& request, const Text& path);
  void endOfRun(const SearchRequest& request);
  void noteSkipped(const Text& path, SkipReason reason, const Text& detail = Text());

  RunHost& host_;
  ResultTable grdFound_{4, 0};
  TFindFile findFile1_;  // kept from run to run: a folder that is not there keeps the last one
  std::unique_ptr<TZEQFindFiles> zeqFindFiles1_;  // made for each run
  ReplaceHandler* replaceHandler_ = nullptr;

  // Run state: what the run works out from its request and what it counts. Nothing here is a
  // copy of a request field.
  bool running_ = false;
  bool replaceOn_ = false;
  bool replaceRun_ = false;  // the run started with replacing on
  bool inRun_ = false;       // DoSearch is on the stack (the window's events run inside it)
  RunOutcome lastOutcome_ = RunOutcome::None;
  bool runFailed_ = false;
  Text abortedSuffix_;
  Text searchString_;       // the simple string, or the last of the table's strings
  bool googleOn_ = false;   // the request asked for it and the string has two words or more
  int requiredWords_ = 0;
  TextList googleWords_;
  Text currentFile_;
  int64_t entriesTaken_ = 0;
  int32_t filesWithMatches_ = 0;
  int32_t matchedLines_ = 0;
  int64_t linesSearched_ = 0;
  int32_t replacedTotal_ = 0;
  DateTimeValue nextDisplayTime_ = 0;
  DateTimeValue runStamp_ = 0;
  int32_t rowCounter_ = -1;
  TextList noMatchFiles_;
  int32_t fileCount_ = 0;
  int scanner_ = kScannerZEQ;
  int loadMethod_ = 1;      // the load method in use; a failed special method falls back
  std::array<int64_t, kSkipReasonCount> skippedCounts_{};
  struct FinderSkip {
    Text path;
    SkipReason reason;
    Text detail;  // the system's text for a folder that could not be listed
  };
  std::vector<FinderSkip> finderSkips_;  // listed after the scan's summary
  struct DateWindow {
    bool on = false;
    DateTimeValue start = 0, end = 0;
  } dateWindow_;

  // Request texts and run texts.
  Text foldersText_, fileSpecsText_, stringsText_;
  Text runStringsText_, runFoldersText_, elapsedText_, replacedText_;


  ExamineBuffers buffers_;  // one buffer serves every file of a run
  FileOutcome ownOutcome_;  // and, without workers, one outcome
  LineMatcher matcher_;
  std::shared_ptr<const Patterns> patterns_;
  bool gitignoreRun_ = false;  // the run skips what git ignores
  ExamineOptions options_;
  std::unique_ptr<PathFeed> feed_;
  std::unique_ptr<FilePrefetcher> prefetcher_;
  bool feedLive_ = false;  // the scan feeds the workers as it goes
  // A large file's lines come in parts before its last outcome: what its parts have done.
  struct FileParts {
    bool inFile = false;  // a part of the current file was applied
    bool headerWritten = false;
    int32_t matches = 0;
  } parts_;
};

}  // namespace varko
