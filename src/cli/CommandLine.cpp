#include "cli/CommandLine.h"
#include "cli/TerminalQuestions.h"

#include <unistd.h>
#include <istream>
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "save/Archive.h"
#include "replace/DifferencesViewer.h"
#include "replace/RunReplacer.h"
#include "save/UndoManifest.h"
#include "results/Export.h"
#include "results/HtmlReport.h"
#include "results/TextReport.h"
#include "examine/TextFile.h"
#include "setup/SearchInputs.h"
#include "setup/SearchSetup.h"

namespace varko {

namespace {

// An argument error is one line and this, not the whole usage.
constexpr const char* kTryHelp = "Try 'varko-search --help' for more information.\n";

// The terminal: message boxes on standard error; questions are answered No.
class TerminalHost final : public QuietRunHost {
public:
  explicit TerminalHost(std::ostream& err) : QuietRunHost(SystemClock::instance()), err_(err) {}
  void showMessage(const Text& text) override {
    QuietRunHost::showMessage(text);
    err_ << "varko-search: " << TerminalText(text) << '\n';
  }
  void fileSkipped(const Text& path, const Text& reason) override {
    if (reportSkipped) err_ << "varko-search: skipped (" << TerminalText(reason) << "): " << textToPath(path) << '\n';
  }
  bool reportSkipped = false;  // --list-skipped without --rows: the rows are not printed
private:
  std::ostream& err_;
};

// VARKO_THREADS=n examines files on n threads (1: on the run's own); unset: as suits the machine.
int ThreadsFromEnvironment() {
  if (const char* env = std::getenv("VARKO_THREADS")) {
    int n = std::atoi(env);
    if (n >= 1) return n == 1 ? 0 : n;
  }
  return -1;
}

}  // namespace

bool PrepareCommandLineRequest(CommandLineOptions& o, const Clock& clock, std::string& error) {
  SearchRequest& r = o.request;
  if (o.folders.empty()) {
    std::string cwd(4096, '\0');
    if (getcwd(cwd.data(), cwd.size())) o.folders.push_back(pathToText(cwd.c_str()));
  }
  if (o.fileSpecs.empty()) o.fileSpecs.push_back(u"*.*");
  // A folder that is not there would search nothing and read as "no match".
  for (const Text& folder : o.folders)
    if (!xcFolderExists(folder)) {
      error = "no such folder: " + toUtf8(folder);
      return false;
    }
  if (o.folders.size() > kAdvancedSlots || o.fileSpecs.size() > kAdvancedSlots) {
    error = "at most 11 folders and 11 file specifications";
    return false;
  }
  if (o.strings.size() > kMaxStrings) {
    error = "at most 200 strings";
    return false;
  }
  // The window's date fields start as today, 00:00:00 and 23:59:59.
  if (r.dates.enabled) {
    Text today = xcTodayText(clock);
    if (!o.dateFrom) r.dates.startDate = today, r.dates.startTime = u"00:00:00";
    if (!o.dateTo) r.dates.endDate = today, r.dates.endTime = u"23:59:59";
  }

  r.folderMode = (o.advancedFolders || o.folders.size() > 1) ? kAdvancedMode : kSimpleMode;
  r.fileSpecMode = (o.advancedFileSpecs || o.fileSpecs.size() > 1) ? kAdvancedMode : kSimpleMode;
  r.stringMode = (o.advancedStrings || o.strings.size() > 1) ? kAdvancedMode : kSimpleMode;

  AdvancedList folders;
  for (size_t i = 0; i < o.folders.size(); ++i) {
    folders.texts[i] = o.folders[i];
    folders.checked[i] = true;
  }
  r.folder = o.folders.front();
  r.selectedFolders = PrepareAdvancedFolders(folders, r.folderMode, r.folder);
  if (r.folderMode == kSimpleMode) r.folder = o.folders.front();

  AdvancedList specs;
  for (size_t i = 0; i < o.fileSpecs.size(); ++i) {
    specs.texts[i] = o.fileSpecs[i];
    specs.checked[i] = true;
  }
  if (r.fileSpecMode == kAdvancedMode) {
    r.selectedFileSpecs = PrepareAdvancedFileSpecs(specs);
    r.fileSpec = r.selectedFileSpecs.text;
  } else {
    r.fileSpec = o.fileSpecs.front();
  }

  r.strings.clear();
  for (size_t i = 0; i < o.strings.size(); ++i)
    r.strings.push_back({o.strings[i], i < o.replaces.size() ? o.replaces[i] : Text()});
  if (o.replaceMode) {
    r.replace.preserveSpaces = o.keepSpacing;
    r.replace.queryLine = !o.yes;
    r.replace.queryFile = !o.yes;
    // The change log goes to the first start folder, as the replace options window says.
    if (!o.dryRun) r.replace.changeLogFilename = ChangeLogFileFor(r);
  }
  if (r.stringMode == kAdvancedMode)
    r.searchText = JoinedFindStrings(r).text;
  else
    r.searchText = o.strings.front();
  return true;
}

void WriteCommandLineExports(const CommandLineOptions& o, const SearchSession& session, const Text& statusLine,
                             const Clock& clock) {
  if (o.exportText.empty() && o.exportReport.empty() && o.exportTsv.empty() && o.exportHtml.empty()) return;
  const SearchRequest& r = o.request;
  ReportHeader header;
  header.stringsText = session.stringsText();
  header.foldersText = session.foldersText();
  // lblFolderCount is empty in simple folder mode.
  if (r.folderMode == kAdvancedMode)
    header.folderCount = SetLabelText(static_cast<int32_t>(r.selectedFolders.items.size()), u"Folder");
  header.fileSpec = r.fileSpec;
  header.statusLine = statusLine;
  header.requestStrings = session.requestStringsText();
  for (const SearchPair& pair : RunPairs(r)) header.findStrings.push_back(pair.find);
  header.caseInsensitive = r.caseInsensitive;
  header.matchedLength = patternMatchLength(session.patterns());

  ExportSet set;
  set.fileName = o.exportText.empty() ? o.exportReport : o.exportText;
  set.printTime = xcFormatDateTime(u"yyyy-mm-dd hh:nn:ss", clock.now());
  set.header = xcReportHeaderText(header);
  set.requestStrings = header.requestStrings;
  set.findStrings = header.findStrings;
  set.caseInsensitive = header.caseInsensitive;
  set.matchedLength = header.matchedLength;

  const ResultTable& grid = session.grdFound();
  if (!o.exportText.empty()) xcGridToText(grid, FoundGridColumnWidths(), o.exportText, set.header);
  if (!o.exportReport.empty())
    xcWriteReportLines(o.exportReport,
                       xcPaginate(xcGridTextLines(grid, FoundGridColumnWidths(), set.header), o.exportReport, clock));
  if (!o.exportTsv.empty()) {
    const bool csv = xcSameText(xcExtractFileExt(o.exportTsv), u".csv");
    xcWriteReportLines(o.exportTsv,
                       xcSpreadsheetLines(grid, set.printTime, set.requestStrings, csv, o.columnHeaders));
  }
  if (!o.exportHtml.empty()) xcWriteHtmlReport(grid, set, o.exportHtml);
}

std::string EscapeCell(TextView cell) {
  std::string bytes = textToPath(cell);
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

namespace {

// Writes the results as the run adds them, so the output overlaps the search. A row is final
// once the run has started the next one; the rest is written when the run ends.
class RowPrinter final : public ResultTableObserver {
public:
  RowPrinter(const ResultTable& grid, bool allCells, std::ostream& out) : grid_(grid), allCells_(allCells), out_(out) {}
  void tableReset() override {}
  void rowsAppended(int first, int) override { printUpTo(first); }
  void rowChanged(int) override {}
  void currentRowChanged(int) override {}
  void topRowChanged(int) override {}

  // Rows before `end` that are not written yet.
  void printUpTo(int end) {
    end = std::min(end, grid_.rowCount());
    for (; printed_ < end; ++printed_) printRow(printed_);
    if (buffer_.size() >= (1u << 16)) flush();
    if (releasing_) releasing_->releaseRowsBefore(printed_);
  }
  // Rows written out are then freed: nothing reads them again.
  void releaseWritten(ResultTable& grid) { releasing_ = &grid; }
  void flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

private:
  void printRow(int r) {
    if (allCells_) {
      for (int c = 0; c < 4; ++c) {
        if (c) buffer_.push_back('\t');
        buffer_ += EscapeCell(grid_.cell(c, r));
      }
    } else {
      int32_t number = grid_.lineNumberCell(r);
      if (number <= 0) return;
      const Text& path = grid_.pathCell(r);
      if (&path != lastPath_) {
        lastPath_ = &path;
        pathBytes_ = textToPath(path);
      }
      buffer_ += pathBytes_;
      buffer_ += ':';
      buffer_ += std::to_string(number);
      buffer_ += ':';
      if (int32_t pos = grid_.positionCell(r); pos > 0) buffer_ += std::to_string(pos);
      buffer_ += ':';
      grid_.appendTextCellBytes(r, buffer_);
    }
    buffer_.push_back('\n');
  }

  const ResultTable& grid_;
  ResultTable* releasing_ = nullptr;
  bool allCells_;
  std::ostream& out_;
  int printed_ = 0;
  std::string buffer_;
  const Text* lastPath_ = nullptr;  // rows of one file share their path
  std::string pathBytes_;
};

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  CommandLineOptions options;
  std::string error;
  if (!ParseCommandLine(args, options, error)) {
    err << "varko-search: " << error << "\n" << kTryHelp;
    return 2;
  }
  if (options.help) {
    out << CommandLineUsage();
    return 0;
  }
  if (options.version) {
    out << "varko-search " << toUtf8(VARKO_VERSION_TEXT) << "\n";
    return 0;
  }
  if (options.undoLastReplace) return UndoLastReplaceRun(out, err);
  if (options.replaceMode && !options.yes && !options.dryRun && !isatty(STDIN_FILENO) && &in == &std::cin) {
    err << "varko-search: replacing asks its questions on a terminal; give --yes to accept every change, or "
           "--dry-run to see them: nothing was changed\n";
    return 2;
  }
  TerminalHost host(err);
  host.reportSkipped = options.request.listSkipped && !options.rows;
  setLibraryMessageHandler([&host](const Text& t) { host.showMessage(t); });
  SearchSession session(host);
  options.request.threads = ThreadsFromEnvironment();
  if (!PrepareCommandLineRequest(options, host, error)) {
    err << "varko-search: " << error << "\n" << kTryHelp;
    return 2;
  }

  std::unique_ptr<TerminalQuestions> questions;
  std::unique_ptr<UndoManifest> undoManifest;
  std::unique_ptr<RunReplacer> replacer;
  if (options.replaceMode) {
    ReplaceSettings settings;
    settings.archiveFile = xcArchiveFileName();
    settings.settingsFile = configFolder() + u"Varko64.INI";  // the desktop program's settings
    questions = std::make_unique<TerminalQuestions>(in, err, options.yes, settings.settingsFile);
    if (!options.dryRun) undoManifest = std::make_unique<UndoManifest>(dataFolder(), host);
    replacer = std::make_unique<RunReplacer>(options.request, settings, host, *questions, undoManifest.get(), options.dryRun);
    replacer->onPreview = [&out](const FileChanges& changes) {
      out << textToPath(unifiedDiff(changes));
    };
    session.setReplaceHandler(replacer.get());
  }

  // A refused run adds no rows, so nothing is written before its status. A dry run prints its
  // differences instead of the matching lines.
  RowPrinter printer(session.grdFound(), options.rows, out);
  bool printRows = !options.dryRun || options.rows;
  if (printRows) session.grdFound().setObserver(&printer);
  const bool exporting = !options.exportText.empty() || !options.exportReport.empty() || !options.exportTsv.empty() ||
                         !options.exportHtml.empty();
  if (printRows && !exporting) printer.releaseWritten(session.grdFound());
  if (options.replaceMode) {
    host.processEvents();
    session.SetReplaceOffOrOn(ReplaceSwitch::On);
    session.DoSearch(options.request);
  } else {
    session.btnGoClick(options.request);
  }
  session.grdFound().setObserver(nullptr);
  setLibraryMessageHandler(nullptr);
  if (session.lastOutcome() != RunOutcome::Finished) return 2;
  if (printRows) {
    printer.printUpTo(session.grdFound().rowCount());
    printer.flush();
  }
  if (host.reportSkipped) err << "varko-search: " << textToPath(session.skippedSummary()) << '\n';
  if (options.rows || options.replaceMode) {
    out << "# " << EscapeCell(host.statusText) << '\n';
    out << "# " << EscapeCell(host.progressText) << '\n';
  }
  try {
    WriteCommandLineExports(options, session, host.statusText, host);
  } catch (const VarkoError& e) {
    err << "varko-search: " << TerminalText(e.text()) << '\n';
    return 2;
  }
  if (replacer) replacer->finishRun();
  if (replacer && !replacer->failures().empty()) {
    for (const ReplaceRunFailure& failure : replacer->failures())
      err << "varko-search: " << (failure.saved ? "saved, but: " : "not saved: ") << textToPath(failure.path) << ": "
          << TerminalText(failure.reason) << '\n';
    return 2;
  }
  if (session.runFailed()) return 2;
  return session.matchedLines() >= 1 ? 0 : 1;
}

}  // namespace varko
