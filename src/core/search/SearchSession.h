#pragma once
// The search side of the main window: the request lists, both finders, the string table, the
// history, the result rows and the search run itself (DoSearch). The window fills a
// SearchRequest from its controls and implements RunHost; nothing here draws.
#include <memory>
#include "lib/Clock.h"
#include "results/ResultTable.h"
#include "search/FileExamination.h"
#include "search/FileFinders.h"
#include "search/FilePrefetcher.h"
#include "search/RunHost.h"
#include "search/SearchRequest.h"
#include "setup/SearchSetup.h"

namespace varko {

// Where the per-file replacement joins the run.
class ReplaceHandler {
public:
  virtual ~ReplaceHandler() = default;
  // Returns the file's count of replacements. The in/out flags may be changed.
  virtual int VarkoReplaceStrSubFile(const Text& aFilename, bool& aDoReplace, bool& aFileQuery,
                                     bool& aLineQuery, bool aCaseflBool, bool PreserveSpaces,
                                     bool aWordFl, const Text& aLogFilename) = 0;
  virtual void ClearReplaceLists() = 0;
};

enum class RunOutcome { None, Ignored, Refused, Finished };

enum ScannerChoice : int { kScannerFindFile = 1, kScannerZEQ = 2 };

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
  void SetReplaceOffOrOn(int offOrOn);
  void SetRunState(int state);

  // Parts of the run, public for the window and tests.
  void CheckFilesToSearch(const SearchRequest& request);
  void BuildFileSearchList(const SearchRequest& request);
  Text FileSearchListItem(int index) const;
  void AddFoundRow(int32_t lineNumber, TextView text, const Text& filePath, int32_t position);
  void AddFoundMessage(const Text& text);
  void AddFoundNotice(const Text& filePath, const Text& text1, const Text& text2);
  void ShowScanProgress(int64_t folders, int64_t files, int64_t searchFiles);
  // Loads the date window into the multi-path finder. Returns false (after a message naming
  // the field) when a date or time cannot be read.
  bool PrepareDateSelection(const SearchRequest& request);

  // State the windows read.
  ResultTable& grdFound() { return grdFound_; }
  const ResultTable& grdFound() const { return grdFound_; }
  StringTable& strings() { return strings_; }
  SearchHistory& history() { return history_; }
  TFindFile& FindFile1() { return findFile1_; }
  TZEQFindFiles& ZEQFindFiles1() { return zeqFindFiles1_; }
  void setReplaceHandler(ReplaceHandler* handler) { replaceHandler_ = handler; }

  bool running() const { return running_; }
  bool replaceOn() const { return replaceOn_; }
  RunOutcome lastOutcome() const { return lastOutcome_; }
  int scannerChoice() const { return scanner_; }
  const Text& searchString() const { return searchString_; }
  const Text& abortedSuffix() const { return abortedSuffix_; }
  int32_t matchedLines() const { return matchedLines_; }
  int64_t linesSearched() const { return linesSearched_; }
  int32_t filesWithMatches() const { return filesWithMatches_; }
  int32_t fileSearchListCount() const { return fileCount_; }
  int32_t replacedTotal() const { return replacedTotal_; }
  // Run texts, kept for the report.
  const Text& stringsText() const { return runStringsText_; }
  const Text& foldersText() const { return runFoldersText_; }
  const Text& elapsedText() const { return elapsedText_; }
  const Text& replacedText() const { return replacedText_; }
  const Text& requestFoldersText() const { return foldersText_; }
  const Text& requestFileSpecsText() const { return fileSpecsText_; }
  const Text& requestStringsText() const { return stringsText_; }
  // The date window of the last run that selected by date.
  bool dateSelectionOn() const { return dateSwitch_; }
  DateTimeValue dateStart() const { return dateStart_; }
  DateTimeValue dateEnd() const { return dateEnd_; }

  // Worker threads that examine files ahead of the run (0 = none, on the run's thread only).
  void setPrefetchThreads(int threads) { prefetchThreads_ = threads; }

private:
  void prepareExamination(const SearchRequest& request);
  void finishFeed();
  void runEntries(const SearchRequest& request);
  void applyOutcome(const SearchRequest& request, FileOutcome& outcome);
  void showProgress(const SearchRequest& request, const Text& path);
  void endOfRun();

  RunHost& host_;
  ResultTable grdFound_{4, 0};
  StringTable strings_;
  SearchHistory history_;
  TFindFile findFile1_;
  TZEQFindFiles zeqFindFiles1_;
  ReplaceHandler* replaceHandler_ = nullptr;

  // Run data.
  bool running_ = false;
  bool replaceOn_ = false;
  RunOutcome lastOutcome_ = RunOutcome::None;
  Text abortedSuffix_;
  Text searchString_;
  int stringCount_ = 1;
  int stringMode_ = kSimpleMode;
  bool googleOn_ = false;
  int requiredWords_ = 0;
  TextList googleWords_;
  bool caseInsensitive_ = true;
  bool wholeWords_ = false;
  bool showFolder_ = false;
  bool mapFlag_ = false;
  bool exactExtension_ = false;
  Text fileSpecExtension_;
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
  bool showNoMatchFiles_ = false;
  bool queryFile_ = false;  // ask per file / per line; the replacement may switch them off
  bool queryLine_ = false;
  int32_t fileCount_ = 0;
  int scanner_ = kScannerZEQ;
  int loadMethod_ = 1;
  int prefetchThreads_ = 0;

  // Request texts and run texts.
  Text foldersText_, fileSpecsText_, stringsText_;
  Text runStringsText_, runFoldersText_, elapsedText_, replacedText_;

  // Date selection.
  bool dateSwitch_ = false;
  DateTimeValue dateStart_ = 0;
  DateTimeValue dateEnd_ = 0;

  ExamineBuffers buffers_;  // one buffer serves every file of a run
  FileOutcome ownOutcome_;  // and, without workers, one outcome
  LineMatcher matcher_;
  ExamineOptions options_;
  std::unique_ptr<PathFeed> feed_;
  std::unique_ptr<FilePrefetcher> prefetcher_;
  bool feedLive_ = false;  // the scan feeds the workers as it goes
};

}  // namespace varko
