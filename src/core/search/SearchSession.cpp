#include "search/SearchSession.h"

#include <algorithm>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "examine/FileExamination.h"
#include "search/FilePrefetcher.h"
#include "match/Matching.h"
#include "search/Stopwatch.h"
#include "examine/TextFile.h"

namespace varko {

namespace {

const Text kCrLf = u"\r\n";

Text shortPath(const Text& path) {
  if (path.size() <= 80) return path;
  return path.substr(0, 20) + u".." + path.substr(path.size() - 20);
}

}  // namespace

SearchSession::SearchSession(RunHost& host) : host_(host) {}

SearchSession::~SearchSession() = default;

void SearchSession::btnGoClick(const SearchRequest& request) {
  host_.processEvents();
  SetReplaceOffOrOn(ReplaceSwitch::Off);
  DoSearch(request);
}

void SearchSession::btnStopClick() {
  if (running_) abortedSuffix_ = u" (aborted)";
  running_ = false;
  if (scanner_ == kScannerZEQ && zeqFindFiles1_) zeqFindFiles1_->ContinueScan = false;
  host_.processEvents();
}

void SearchSession::SetReplaceOffOrOn(ReplaceSwitch offOrOn) {
  replaceOn_ = offOrOn == ReplaceSwitch::On;
  host_.setReplaceShown(replaceOn_);
}

void SearchSession::SetRunState(RunState state) {
  if (state == kRunRunning) {
    running_ = true;
  } else if (state == kRunFinished) {
    running_ = false;
    host_.setFoundGridShown(true);
    SetReplaceOffOrOn(ReplaceSwitch::Off);
    host_.focusFoundGrid();
    host_.setProgressText(replacedText_ + abortedSuffix_);
  }
  host_.runStateChanged(state);
  host_.processEvents();
}

void SearchSession::AddFoundRow(int32_t lineNumber, TextView text, const Text& filePath, int32_t position) {
  xcGridAddRow(grdFound_, rowCounter_);
  int r = rowCounter_;
  grdFound_.setFoundRow(r, lineNumber, text, filePath, position);
}

void SearchSession::AddFoundMessage(const Text& text) { AddFoundRow(0, text, Text(), 0); }

void SearchSession::AddFoundNotice(const Text& filePath, const Text& text1, const Text& text2) {
  AddFoundRow(-1, filePath, filePath, 0);
  AddFoundRow(-1, text1, filePath, 0);
  AddFoundRow(-1, text2, filePath, 0);
}

void SearchSession::ShowScanProgress(int64_t folders, int64_t files, int64_t searchFiles) {
  host_.setStatusText(xcFormat(u"scanning - Folders=%d Files=%d Files to search=%d",
                               {folders, files, searchFiles}));
}

int ScannerFor(const SearchRequest& request) {
  return (request.folderMode == kAdvancedMode || request.fileSpecMode == kAdvancedMode ||
          request.alwaysUseAdvancedFolderScan || request.respectGitignore)
             ? kScannerZEQ
             : kScannerFindFile;
}

void SearchSession::CheckFilesToSearch(const SearchRequest& request) {
  scanner_ = ScannerFor(request);
  if (request.stringMode == kSimpleMode) {
    searchString_ = request.searchText;
    stringsText_ = request.searchText;
  } else {
    stringsText_ = JoinedFindStrings(request).text;
  }
  if (scanner_ == kScannerFindFile) {
    foldersText_ = request.folder;
    fileSpecsText_ = request.fileSpec;
    findFile1_.SetPath(foldersText_);
    findFile1_.InSubFolders = request.subFolders;
    findFile1_.FileMask = fileSpecsText_;
    findFile1_.ExcludedFolders = request.excludedFolders;
    findFile1_.OnSkipped = nullptr;
    if (request.listSkipped)
      findFile1_.OnSkipped = [this](Text&& path, SkipReason reason, Text&& detail) {
        finderSkips_.push_back({std::move(path), reason, std::move(detail)});
      };
  } else {
    foldersText_ = request.folderMode == kAdvancedMode ? request.selectedFolders.text : request.folder;
    fileSpecsText_ = request.fileSpecMode == kAdvancedMode ? request.selectedFileSpecs.text : request.fileSpec;
    zeqFindFiles1_ = makeMultiPathFinder(request);
  }
  Text row = xcFormat(u"Folders=%s Filespec=%s  String=%s", {foldersText_, fileSpecsText_, stringsText_});
  host_.setProgressText(row);
  AddFoundMessage(row);
  host_.processEvents();
}

std::unique_ptr<TZEQFindFiles> SearchSession::makeMultiPathFinder(const SearchRequest& request) {
  auto zeq = std::make_unique<TZEQFindFiles>(host_, [this] { host_.processEvents(); });
  zeq->Paths = request.folderMode == kAdvancedMode ? request.selectedFolders.items : TextList{request.folder};
  zeq->FileMask = request.fileSpecMode == kAdvancedMode ? request.selectedFileSpecs.items : TextList{request.fileSpec};
  zeq->InSubFolders = request.subFolders;
  zeq->SearchHistory = !request.omitBinBak;
  zeq->ExcludedFolders = request.excludedFolders;
  zeq->RespectGitignore = request.respectGitignore;
  if (request.listSkipped)
    zeq->OnSkipped = [this](Text&& path, SkipReason reason, Text&& detail) {
      finderSkips_.push_back({std::move(path), reason, std::move(detail)});
    };
  zeq->OnProgress = [this](int64_t a, int64_t b, int64_t c) { ShowScanProgress(a, b, c); };
  zeq->SelectOnDates = dateWindow_.on;
  zeq->SelectStartDate = dateWindow_.start;
  zeq->SelectEndDate = dateWindow_.end;
  if (feedLive_) {
    // The feed is the file search list then: the finder keeps no second copy, and lists
    // folders ahead of its scan on threads of its own.
    zeq->KeepList = false;
    zeq->ShareFolders = true;
    zeq->ListAhead = true;
    zeq->OnFound = [feed = feed_.get()](Text&& path, FolderHandle* folder) { feed->push(path, folder); };
  }
  return zeq;
}

void SearchSession::BuildFileSearchList(const SearchRequest& request) {
  CheckFilesToSearch(request);
  DateTimeValue stamp = 0;
  Text elapsed;
  xcElapsedText(ElapsedStep::Start, stamp, elapsed, host_);
  Text summary;
  bool listing = request.testInfo && request.listAllFilenames;
  if (scanner_ == kScannerFindFile) {
    const TextList& list = findFile1_.SearchForFiles();
    fileCount_ = static_cast<int32_t>(list.size());
    xcElapsedText(ElapsedStep::Measure, stamp, elapsed, host_);
    summary = xcFormat(u"%sFiles=%d  time=%s", {Text(), fileCount_, elapsed});
    if (listing) {
      AddFoundMessage(u"Start of listing FIndFileSearchList");
      for (const auto& entry : list) AddFoundMessage(entry);
      AddFoundMessage(u"End of listing FIndFileSearchList");
    }
  } else {
    TZEQFindFiles& zeq = *zeqFindFiles1_;
    try {
      zeq.SearchForFiles();
    } catch (...) {
      fileCount_ = static_cast<int32_t>(zeq.FoundCount());
      throw;
    }
    fileCount_ = static_cast<int32_t>(zeq.FoundCount());
    xcElapsedText(ElapsedStep::Measure, stamp, elapsed, host_);
    int strings = request.stringMode == kAdvancedMode ? static_cast<int>(request.strings.size()) : 1;
    summary = xcFormat(u"%sZEQPaths=%d ZEQFileSpec=%d  Strings=%d - Files=%d - folder scan time=%s",
                       {Text(), static_cast<int>(zeq.Paths.size()), static_cast<int>(zeq.FileMask.size()),
                        strings, fileCount_, elapsed});
    for (size_t i = 0; i < zeq.Paths.size(); ++i)
      AddFoundMessage(xcFormat(u"Path%d = %s", {static_cast<long long>(i), zeq.Paths[i]}));
    for (size_t i = 0; i < zeq.FileMask.size(); ++i)
      AddFoundMessage(xcFormat(u"Filemask%d = %s", {static_cast<long long>(i), zeq.FileMask[i]}));
    if (request.stringMode == kAdvancedMode)
      for (size_t n = 0; n < request.strings.size(); ++n)
        AddFoundMessage(xcFormat(u"String%d = %s", {static_cast<long long>(n + 1), request.strings[n].find}));
    else
      AddFoundMessage(xcFormat(u"String%d = %s", {1, request.searchText}));
    if (listing) {
      AddFoundMessage(u"Start of listing ZEQFIndFileSearchList");
      for (int k = 0; k < fileCount_; ++k) AddFoundMessage(FileSearchListItem(k));
      AddFoundMessage(u"End of listing ZEQFIndFileSearchList");
    }
  }
  if (!request.excludedFolders.empty()) {
    int64_t excluded = scanner_ == kScannerFindFile ? findFile1_.ExcludedCount() : zeqFindFiles1_->ExcludedCount();
    summary += xcFormat(u" - Excluded folders=%d", {static_cast<long long>(excluded)});
  }
  host_.setProgressText(summary);
  AddFoundMessage(summary);
  for (auto& [path, reason, detail] : finderSkips_) noteSkipped(path, reason, detail);
  finderSkips_.clear();
  host_.processEvents();
}

void SearchSession::noteSkipped(const Text& path, SkipReason reason, const Text& detail) {
  ++skippedCounts_[static_cast<size_t>(reason)];
  Text why = skipReasonText(reason);
  if (!detail.empty()) why += u": " + detail;
  host_.fileSkipped(path, why);
  // A slow file already has its notice.
  if (reason != SkipReason::TooSlow) AddFoundRow(-1, u"Skipped (" + why + u") " + path, path, 0);
}

Text SearchSession::skippedSummary() const {
  Text text = u"Skipped:";
  for (size_t r = 1; r < kSkipReasonCount; ++r)
    // A run that does not look at git's rules has no count for them.
    if (gitignoreRun_ || static_cast<SkipReason>(r) != SkipReason::IgnoredByGit)
      text += xcFormat(u" %s=%d", {Text(skipReasonText(static_cast<SkipReason>(r))),
                                 static_cast<long long>(skippedCounts_[r])});
  return text;
}

Text SearchSession::FileSearchListItem(int index) const {
  if (feedLive_ && scanner_ == kScannerZEQ) {
    if (index < 0 || index >= fileCount_ || !feed_) return Text();
    Text entry;
    feed_->at(static_cast<size_t>(index), entry);
    return entry;
  }
  if (scanner_ == kScannerZEQ && !zeqFindFiles1_) return Text();
  const TextList& list = scanner_ == kScannerFindFile ? findFile1_.result() : zeqFindFiles1_->result();
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return Text();
  return list[static_cast<size_t>(index)];
}

void SearchSession::DoSearch(const SearchRequest& request) {
  // A run started from inside another (an event handled while it runs) would mix their rows.
  if (running_ || inRun_) {
    lastOutcome_ = RunOutcome::Ignored;
    return;
  }
  inRun_ = true;
  struct Leave {
    bool& flag;
    ~Leave() { flag = false; }
  } leave{inRun_};
  lastOutcome_ = RunOutcome::Refused;
  host_.fitFoundColumns();
  host_.setSpeedDisplayItem(kSpeedGridHidden);
  host_.setStatusColour(StatusColour::Running);
  loadMethod_ = request.loadMethod;

  xcGridReset(grdFound_, 0);
  rowCounter_ = -1;

  if (!replaceOn_ && request.fast)
    host_.setFoundGridShown(false);
  else
    host_.setFoundGridShown(true);

  if (!takeStrings(request)) {
    running_ = false;
    return;
  }

  abortedSuffix_.clear();
  replacedText_.clear();
  SetRunState(kRunRunning);

  startCounts(request);
  try {
    if (!PrepareDateSelection(request)) {
      running_ = false;
      lastOutcome_ = RunOutcome::Refused;
      SetRunState(kRunFinished);
      return;
    }
    host_.processEvents();
    listAndSearch(request);
  } catch (const VarkoError& e) {
    // A failure the run does not handle itself (an invalid mask) ends it in the finished state.
    runFailed_ = true;
    host_.showMessage(e.text());
  } catch (const std::exception& e) {
    runFailed_ = true;
    host_.showMessage(fromUtf8(e.what()));
  }
  endOfRun(request);
  lastOutcome_ = RunOutcome::Finished;
}

void SearchSession::startCounts(const SearchRequest& request) {
  googleOn_ = request.googleFind;
  if (googleOn_) {
    requiredWords_ = xcGoogleWords(searchString_, googleWords_);
    if (requiredWords_ < 2) googleOn_ = false;
    if (googleOn_ && (replaceOn_ || (request.stringMode == kAdvancedMode && request.strings.size() > 1)))
      host_.showMessage(Text(u"Warning - Google find cannot be used with either") + kCrLf + kCrLf +
                        u"1 - Replace or" + kCrLf + u"2 - Multiple strings find" + kCrLf + kCrLf +
                        u"Replace and Multiple strings will be turned off");
  }
  bool stringsAsSimple = false;
  if (request.googleFind) {
    SetReplaceOffOrOn(ReplaceSwitch::Off);
    stringsAsSimple = !googleOn_;
  }

  matchedLines_ = 0;
  filesWithMatches_ = 0;
  linesSearched_ = 0;
  entriesTaken_ = 0;
  replacedTotal_ = 0;
  replaceRun_ = replaceOn_;
  fileCount_ = 0;
  noMatchFiles_.clear();
  skippedCounts_.fill(0);
  finderSkips_.clear();
  gitignoreRun_ = request.respectGitignore;
  running_ = true;
  runFailed_ = false;
  xcElapsedText(ElapsedStep::Start, runStamp_, elapsedText_, host_);

  runStringsText_ = u"Search Strings: ";
  if (googleOn_) {
    runStringsText_ += u"(Google type find)" + kCrLf;
    for (const auto& w : googleWords_) runStringsText_ += w + kCrLf;
  } else if (request.stringMode == kSimpleMode || stringsAsSimple) {
    runStringsText_ += u"(simple)" + kCrLf + searchString_;
  } else {
    runStringsText_ += u"(Multiple)" + kCrLf;
    for (const SearchPair& pair : request.strings) runStringsText_ += pair.find + kCrLf;
  }
  runFoldersText_ = u"Folders Searched:" + kCrLf;
}

void SearchSession::listAndSearch(const SearchRequest& request) {
  prepareExamination(request);
  try {
    BuildFileSearchList(request);
  } catch (...) {
    finishFeed();
    throw;
  }
  finishFeed();
  host_.widenFoundTextColumn();
  host_.setStatusText(u"searching files in ...");
  host_.processEvents();
  AddFoundMessage(xcFormat(u"Searching %d files/folders starts %s", {fileCount_, xcTimeText(host_)}));
  AddFoundMessage(u"_________________________________");
  host_.setStatusText(u"Searching files..");
  runEntries(request);
}

void SearchSession::prepareExamination(const SearchRequest& request) {
  prefetcher_.reset();
  parts_.inFile = false;
  feed_.reset();
  feedLive_ = false;
  matcher_ = LineMatcher();
  matcher_.google = googleOn_;
  matcher_.googleWords = googleWords_;
  matcher_.requiredWords = requiredWords_;
  matcher_.multiple = request.stringMode == kAdvancedMode;
  matcher_.searchString = searchString_;
  if (matcher_.multiple)
    for (const SearchPair& pair : request.strings) matcher_.findStrings.push_back(pair.find);
  matcher_.ignoreCase = request.caseInsensitive;
  matcher_.wholeWords = request.wholeWords;
  matcher_.patterns = patterns_;
  matcher_.prepare();

  // A simple filespec with a three-letter extension is checked exactly; ".map" files are
  // searched only when asked for.
  Text fileSpecExtension = xcTrim(xcExtractFileExt(request.fileSpec));
  bool exactExtension = fileSpecExtension.size() == 4 && fileSpecExtension.back() != u'*';

  bool multiPath = ScannerFor(request) == kScannerZEQ;
  options_ = ExamineOptions();
  options_.omitBinBak = request.omitBinBak;
  options_.omitVarkoSR = request.omitVarkoSR;
  options_.mapFilesAsked = xcTextPos(request.fileSpec, u".map", 1) > 0;
  options_.searchFilename = request.searchFilename;
  options_.searchString = searchString_;
  options_.patterns = patterns_;
  options_.ignoreCase = request.caseInsensitive;
  options_.exactExtension = request.fileSpecMode == kSimpleMode && exactExtension;
  options_.fileSpecExtension = fileSpecExtension;
  options_.noMatchLines = request.replace.showLinesNoMatches;
  options_.loadMethod = loadMethod_;
  options_.entriesAreFiles = multiPath;
  options_.asciiTextTest = request.asciiTextTest;

  // Workers start on the files while the folders are still being listed. Replace runs change
  // files between entries, so they examine one file at a time.
  int threads = replaceOn_ ? 0 : FilePrefetcher::threadsFor(request.threads);
  if (threads > 0) {
    FolderHandle::reserveDescriptors();
    feed_ = std::make_unique<PathFeed>();
    prefetcher_ = std::make_unique<FilePrefetcher>(*feed_, options_, matcher_, host_, threads);
    feedLive_ = multiPath;  // the multi-path finder feeds the workers as it lists
  }
}

void SearchSession::finishFeed() {
  if (!feed_) return;
  if (!feedLive_)
    for (int k = 0; k < fileCount_; ++k) feed_->push(FileSearchListItem(k));
  feed_->finish();
}

void SearchSession::runEntries(const SearchRequest& request) {
  if (!prefetcher_) {
    // Parts of a large file are applied as they come, so its lines need not all wait.
    buffers_.handOver = [this, &request](std::unique_ptr<FileOutcome> part) {
      applyOutcome(request, *part);
      return running_;
    };
  }
  for (int32_t k = 1; k <= fileCount_ && running_; ++k) {
    entriesTaken_ = k;
    if (prefetcher_) {  // the outcome carries its path
      for (;;) {
        std::unique_ptr<FileOutcome> outcome = prefetcher_->take(static_cast<size_t>(k - 1));
        applyOutcome(request, *outcome);
        if (!outcome->isPart) {
          prefetcher_->giveBack(static_cast<size_t>(k - 1), std::move(outcome));
          break;
        }
        if (!running_) break;  // the file's remaining parts go with the workers
      }
    } else {
      currentFile_ = FileSearchListItem(k - 1);
      xcExamineFile(currentFile_, options_, matcher_, host_, buffers_, ownOutcome_);
      applyOutcome(request, ownOutcome_);
    }
  }
  buffers_.handOver = nullptr;
}

void SearchSession::showProgress(const SearchRequest& request, const Text& path) {
  if (!request.fast) {
    host_.setStatusText(intToText(entriesTaken_) + u" of " + intToText(fileCount_) + u" " + shortPath(path));
    host_.processEvents();
    return;
  }
  DateTimeValue now = host_.now();
  if (now <= nextDisplayTime_) return;
  Text status = u"Searching " + intToText(entriesTaken_) + u" of " + intToText(fileCount_);
  if (matchedLines_ > 0) status += u" Matches=" + intToText(matchedLines_);
  host_.setStatusText(status);
  if (request.folderMode == kAdvancedMode || request.subFolders) host_.setProgressText(xcExtractFilePath(path));
  host_.processEvents();
  nextDisplayTime_ = now + kOneSecond;
}

void SearchSession::applyOutcome(const SearchRequest& request, FileOutcome& outcome) {
  const Text& path = outcome.path;
  if (!parts_.inFile) {
    // The file's first outcome or part.
    if (outcome.skipped) {
      if (request.listSkipped && outcome.skipReason != SkipReason::None)
        noteSkipped(outcome.path, outcome.skipReason, outcome.textTest.errorText);
      return;
    }
    parts_.headerWritten = false;
    parts_.matches = 0;
    if (outcome.pathMatch) {
      ++filesWithMatches_;
      parts_.headerWritten = true;
      AddFoundRow(0, path, path, 0);
    }
    if (!outcome.textTest.errorText.empty())
      AddFoundNotice(path, u"xcIsTextFileAndLoadable: Error reading in file:- ", outcome.textTest.errorText);
    if (!outcome.textTest.isText) {
      if (request.listSkipped) {
        const Text& error = outcome.textTest.errorText;
        noteSkipped(path, error.empty() ? SkipReason::NotText : SkipReason::Unreadable, error);
      }
      return;
    }
    showProgress(request, path);
    if (request.listAllFilenames) AddFoundRow(0, path, path, 0);
    if (outcome.loadAttempted && loadMethod_ > 1) {
      loadMethod_ = 0;
      host_.setLoadMethodItem(kLoadStandard);
    }
  }
  parts_.inFile = outcome.isPart;
  if (!outcome.load.loaded) {
    host_.showMessage(u"Error loading " + path);
    AddFoundMessage(xcFormat(u"Load File %s error: %s", {path, outcome.load.errorText}));
    if (request.listSkipped) noteSkipped(path, SkipReason::Unreadable, outcome.load.errorText);
    return;
  }
  parts_.matches += outcome.matchesInFile;
  grdFound_.beginUpdate();
  for (auto& line : outcome.lines) {
    ++matchedLines_;
    if (!parts_.headerWritten) {
      ++filesWithMatches_;
      if (!request.listAllFilenames) AddFoundRow(0, path, path, 0);
      parts_.headerWritten = true;
    }
    if (line.wide) {
      AddFoundRow(line.lineNumber, outcome.text(line), path, line.position);
    } else {
      xcGridAddRow(grdFound_, rowCounter_);
      grdFound_.setFoundRowBytes(rowCounter_, line.lineNumber, outcome.textBytes(line), path, line.position);
    }
    if (matchedLines_ > 20) grdFound_.setTopRow(rowCounter_ - 20);
  }
  grdFound_.endUpdate();
  if (outcome.isPart) return;
  int32_t matchesInFile = parts_.matches;
  if (outcome.shrank) AddFoundNotice(path, u"File got shorter while searched", u"its end was not searched");
  if (outcome.tooSlow) {
    AddFoundNotice(path, u"Searching File too slow", u"aborted after 2 seconds");
    if (request.listSkipped) noteSkipped(path, SkipReason::TooSlow);
  }
  linesSearched_ += outcome.linesExamined;
  if (request.replace.showFilesWithNoMatches && matchesInFile == 0) noMatchFiles_.push_back(path);
  if (replaceOn_ && matchesInFile >= 1 && replaceHandler_) {
    host_.processEvents();
    const ReplaceJobResult result = replaceHandler_->VarkoReplaceStrSubFile(
        {path, request.replace.queryLine, request.caseInsensitive, request.replace.preserveSpaces, request.wholeWords});
    if (result.replaceOff) SetReplaceOffOrOn(ReplaceSwitch::Off);
    if (result.stopRun) AbortFindReplace();
    if (const Text notice = replaceHandler_->takeNotice(); !notice.empty())
      AddFoundNotice(path, u"Not replaced", notice);
    replacedTotal_ += result.replaced;
    replaceHandler_->ClearReplaceLists();
  }
}

void SearchSession::endOfRun(const SearchRequest& request) {
  prefetcher_.reset();  // the feed stays: it is the file search list of this run
  buffers_ = ExamineBuffers();
  ownOutcome_ = FileOutcome();
  xcElapsedText(ElapsedStep::Measure, runStamp_, elapsedText_, host_);
  if (replaceHandler_) replacedTotal_ += replaceHandler_->finishRun();
  replacedText_.clear();
  // Cancel turns replacing off for the rest of the run; what was saved before still counts.
  if (replaceOn_ || replaceRun_) replacedText_ = u" Replaced=" + intToText(replacedTotal_);
  host_.setStatusText(xcFormat(u"Matched Lines=%d of %d - Files=%d of %d - time=%s",
                               {matchedLines_, static_cast<long long>(linesSearched_), filesWithMatches_,
                                fileCount_, elapsedText_}));
  if (request.listSkipped) AddFoundMessage(skippedSummary());
  if (request.replace.showFilesWithNoMatches) {
    AddFoundMessage(u"No Matches");
    for (const auto& f : noMatchFiles_) AddFoundRow(0, f, f, 0);
    noMatchFiles_.clear();
  }
  int lastRow = rowCounter_;
  SetRunState(kRunFinished);
  if (matchedLines_ >= 1) {
    grdFound_.setCurrentRow(lastRow);
    host_.focusFoundGrid();
  } else {
    AddFoundMessage(u"(No Matches Found)");
  }
}

}  // namespace varko
