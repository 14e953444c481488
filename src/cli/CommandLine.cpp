#include "cli/CommandLine.h"
#include "cli/TerminalQuestions.h"

#include <unistd.h>
#include <istream>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

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
#include "setup/StringSets.h"

namespace varko {

namespace {

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


Text argText(const std::string& s) { return pathToText(s); }

// VARKO_THREADS=n examines files on n threads (1: on the run's own); unset: as suits the machine.
int ThreadsFromEnvironment() {
  if (const char* env = std::getenv("VARKO_THREADS")) {
    int n = std::atoi(env);
    if (n >= 1) return n == 1 ? 0 : n;
  }
  return -1;
}

// "DATE [TIME]": the time is what follows the first blank.
void splitDateTime(const std::string& value, Text& date, Text& time, const Text& defaultTime) {
  Text v = xcTrim(argText(value));
  auto blank = v.find(u' ');
  if (blank == Text::npos) {
    date = v;
    time = defaultTime;
  } else {
    date = v.substr(0, blank);
    time = xcTrim(v.substr(blank + 1));
  }
}

bool loadStringsFile(const std::string& name, TextList& strings, std::string& error) {
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    error = "cannot read the strings file " + name + ": " + toUtf8(systemErrorText(errno));
    return false;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  TextList lines;
  xcDecodeLines(ss.str(), lines);
  for (const auto& line : lines) {
    Text field = line.substr(0, line.find(u'\t'));
    if (!xcIsBlank(field)) strings.push_back(field);
  }
  return true;
}

}  // namespace

std::string CommandLineUsage() {
  return R"(Usage: varko-search [options] [--string TEXT]... [TEXT]
Search the text files below one or more folders for one or more strings.

  --folder DIR        folder to search (default: the current folder); repeat for several
  --filespec MASK     file specification (default *.*); repeat for several
  --string TEXT       string to search for; repeat for several (a bare TEXT is one --string)
  --strings-file FILE find strings from a tab-separated string-set file (field 1 of each line)
  --advanced-folders / --advanced-filespecs / --advanced-strings
                      use the advanced (list) mode even with one entry; two or more entries
                      always mean advanced mode
  -r, --subfolders    search subfolders           -s, --case-sensitive   (default: ignore case)
  -w, --whole-words   whole words only            --google   all words, any order
  --search-filename   match the path too          --list-all-filenames
  --keep-binary       do not omit binary/backup/build files or hidden folders
  --keep-own-files    do not omit the program's own search/replace files
  --simple-scan       do not always use the advanced folder scan
  --test-info         show extra test info
  --exclude-dir NAME  do not enter subfolders named NAME (a-z in either case); repeat for several
  --ascii-text-test   only 8-bit text files: more than 5 bytes outside printable ASCII, tab,
                      LF, FF and CR in the first 1000 make a file not text (the default test
                      reads UTF-8 and UTF-16 characters)
  --list-skipped      list every file not searched with its reason (on standard error without
                      --rows), then the counts by reason
  --date-from 'DATE [TIME]'  --date-to 'DATE [TIME]'   select files by last-write time
                      (an advanced option: needs advanced folders or filespecs; a missing
                      date is today, missing times are 00:00:00 and 23:59:59)
  --no-match-lines    report lines that do not match   --no-match-files
  --rows              print every result row instead of matches only
  --help              show this text

Replacing (every changed file keeps a backup beside it, and its old content goes to the archive):
  --replace TEXT      the replace text of the --string just before it; with any --replace every
                      --string needs its own
  --pairs-file FILE   find/replace pairs from a tab-separated string-set file (fields 1 and 2)
  --keep-spacing      preserve spaces: keep the columns after a run of blanks
  --yes               accept every changed line and save every changed file without asking
  --dry-run           write nothing: print the changes as a unified diff, then the summary
  --undo-last-replace put back the files of the last replace run from their backups
Without --yes or --dry-run the questions are asked on the terminal: for each changed line
y (Yes), n (No), c (Cancel), N (No to All), A (Yes to All); for each changed file s (save),
n (do not save), d (show differences), a (abort).

Export (after the run, from its result rows; the normal output still goes to standard output):
  --export-text FILE  the text listing: a header describing the search, an empty line, one
                      line per result row
  --export-report FILE  the same listing paginated for printing, 56 lines a page
  --export-tsv FILE   the matching lines for a spreadsheet, TAB-separated; a FILE ending in
                      .csv starts with a "sep=" line
  --no-column-headers leave the column header line out of --export-tsv
  --export-html FILE  the results as an HTML page, one section per file, matches marked
Export files are UTF-8 with CR LF line ends.

Output: one line per matching line, path:line:position:text. With --rows: every row of the
result table, its four cells joined by a TAB, then "# " and the summary, "# " and the status.
Exit status: 0 when a line matched, 1 when none did, 2 when the request was refused or a file
could not be saved.
)";
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLineOptions& o, std::string& error) {
  SearchRequest& r = o.request;
  r.folder.clear();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = "option " + a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--folder") {
      if (!value(v)) return false;
      o.folders.push_back(argText(v));
    } else if (a == "--filespec") {
      if (!value(v)) return false;
      o.fileSpecs.push_back(argText(v));
    } else if (a == "--string") {
      if (!value(v)) return false;
      o.strings.push_back(argText(v));
    } else if (a == "--replace") {
      if (!value(v)) return false;
      if (o.strings.empty() || o.hasReplace.size() >= o.strings.size()) {
        error = "--replace must follow the --string it belongs to";
        return false;
      }
      o.hasReplace.resize(o.strings.size() - 1, false);
      o.hasReplace.push_back(true);
      o.replaces.resize(o.strings.size() - 1);
      o.replaces.push_back(argText(v));
      o.replaceMode = true;
    } else if (a == "--pairs-file") {
      if (!value(v)) return false;
      StringTable table;
      StringSetLoad load = xcLoadStringSet(kFindAndReplace, argText(v), table);
      if (!load.loaded) {
        error = "cannot read the pairs file " + v + ": " +
                (load.errorText.empty() ? std::string("No such file or directory") : toUtf8(load.errorText));
        return false;
      }
      if (load.ignoredLines > 0) {
        error = "the pairs file " + v + " holds more than 200 pairs";
        return false;
      }
      o.hasReplace.resize(o.strings.size(), false);
      o.replaces.resize(o.strings.size());
      for (int n = 1; n <= table.count; ++n) {
        o.strings.push_back(table.find(n));
        o.replaces.push_back(table.replace(n));
        o.hasReplace.push_back(true);
      }
      o.request.replace.stringSetFilename = argText(v);
      o.replaceMode = true;
    } else if (a == "--keep-spacing") {
      o.keepSpacing = true;
    } else if (a == "--yes") {
      o.yes = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a == "--undo-last-replace") {
      o.undoLastReplace = true;
    } else if (a == "--strings-file") {
      if (!value(v)) return false;
      if (!loadStringsFile(v, o.strings, error)) return false;
    } else if (a == "--advanced-folders") {
      o.advancedFolders = true;
    } else if (a == "--advanced-filespecs") {
      o.advancedFileSpecs = true;
    } else if (a == "--advanced-strings") {
      o.advancedStrings = true;
    } else if (a == "-r" || a == "--subfolders") {
      r.subFolders = true;
    } else if (a == "-s" || a == "--case-sensitive") {
      r.caseInsensitive = false;
    } else if (a == "-w" || a == "--whole-words") {
      r.wholeWords = true;
    } else if (a == "--google") {
      r.googleFind = true;
    } else if (a == "--search-filename") {
      r.searchFilename = true;
    } else if (a == "--list-all-filenames") {
      r.listAllFilenames = true;
    } else if (a == "--keep-binary") {
      r.omitBinBak = false;
    } else if (a == "--keep-own-files") {
      r.omitVarkoSR = false;
    } else if (a == "--simple-scan") {
      r.alwaysUseAdvancedFolderScan = false;
    } else if (a == "--test-info") {
      r.testInfo = true;
    } else if (a == "--exclude-dir") {
      if (!value(v)) return false;
      TextList names = xcSplitFolderNames(argText(v));
      r.excludedFolders.insert(r.excludedFolders.end(), names.begin(), names.end());
    } else if (a == "--ascii-text-test") {
      r.asciiTextTest = true;
    } else if (a == "--list-skipped") {
      r.listSkipped = true;
    } else if (a == "--date-from") {
      if (!value(v)) return false;
      splitDateTime(v, r.dates.startDate, r.dates.startTime, u"00:00:00");
      r.dates.enabled = true;
      o.dateFrom = true;
    } else if (a == "--date-to") {
      if (!value(v)) return false;
      splitDateTime(v, r.dates.endDate, r.dates.endTime, u"23:59:59");
      r.dates.enabled = true;
      o.dateTo = true;
    } else if (a == "--no-match-lines") {
      r.replace.showLinesNoMatches = true;
    } else if (a == "--no-match-files") {
      r.replace.showFilesWithNoMatches = true;
    } else if (a == "--rows") {
      o.rows = true;
    } else if (a == "--export-text") {
      if (!value(v)) return false;
      o.exportText = argText(v);
    } else if (a == "--export-report") {
      if (!value(v)) return false;
      o.exportReport = argText(v);
    } else if (a == "--export-tsv") {
      if (!value(v)) return false;
      o.exportTsv = argText(v);
    } else if (a == "--export-html") {
      if (!value(v)) return false;
      o.exportHtml = argText(v);
    } else if (a == "--no-column-headers") {
      o.columnHeaders = false;
    } else if (a == "--") {
      for (++i; i < args.size(); ++i) o.strings.push_back(argText(args[i]));
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else {
      o.strings.push_back(argText(a));
    }
  }
  if (o.help || o.undoLastReplace) return true;
  if (o.strings.empty()) {
    error = "nothing to search for: give a TEXT, --string or --strings-file";
    return false;
  }
  for (size_t i = 0; i < o.strings.size(); ++i)
    if (o.strings[i].empty()) {
      error = o.strings.size() == 1 ? "the string to search for is empty"
                                    : "string " + std::to_string(i + 1) + " of " + std::to_string(o.strings.size()) +
                                          " is empty: an empty string cannot be searched for or replaced";
      return false;
    }
  if (o.replaceMode) {
    o.hasReplace.resize(o.strings.size(), false);
    o.replaces.resize(o.strings.size());
    for (size_t i = 0; i < o.strings.size(); ++i)
      if (!o.hasReplace[i]) {
        error = "the string \"" + toUtf8(o.strings[i]) + "\" has no --replace: with --replace every --string needs its own";
        return false;
      }
  } else if (o.keepSpacing || o.yes || o.dryRun) {
    error = "--keep-spacing, --yes and --dry-run need --replace or --pairs-file";
    return false;
  }
  if (!o.columnHeaders && o.exportTsv.empty()) {
    error = "--no-column-headers needs --export-tsv";
    return false;
  }
  if (o.yes && o.dryRun) {
    error = "--yes and --dry-run cannot be given together";
    return false;
  }
  return true;
}

bool PrepareCommandLineRequest(CommandLineOptions& o, const Clock& clock, std::string& error) {
  SearchRequest& r = o.request;
  if (o.folders.empty()) {
    std::string cwd(4096, '\0');
    if (getcwd(cwd.data(), cwd.size())) o.folders.push_back(pathToText(cwd.c_str()));
  }
  if (o.fileSpecs.empty()) o.fileSpecs.push_back(u"*.*");
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

  ExportSet set;
  set.fileName = o.exportText.empty() ? o.exportReport : o.exportText;
  set.printTime = xcFormatDateTime(u"yyyy-mm-dd hh:nn:ss", clock.now());
  set.header = xcReportHeaderText(header);
  set.requestStrings = header.requestStrings;
  set.findStrings = header.findStrings;
  set.caseInsensitive = header.caseInsensitive;

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
    err << "varko-search: " << error << "\n\n" << CommandLineUsage();
    return 2;
  }
  if (options.help) {
    out << CommandLineUsage();
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
    err << "varko-search: " << error << "\n\n" << CommandLineUsage();
    return 2;
  }

  std::unique_ptr<TerminalQuestions> questions;
  std::unique_ptr<ReplaceRunLog> runLog;
  std::unique_ptr<RunReplacer> replacer;
  if (options.replaceMode) {
    ReplaceSettings settings;
    settings.archiveFile = xcArchiveFileName();
    settings.settingsFile = xcConfigFolder() + u"Varko64.INI";  // the desktop program's settings
    questions = std::make_unique<TerminalQuestions>(in, err, options.yes, settings.settingsFile);
    if (!options.dryRun) runLog = std::make_unique<ReplaceRunLog>(xcDataFolder(), host);
    replacer = std::make_unique<RunReplacer>(options.request, settings, host, *questions, runLog.get(), options.dryRun);
    replacer->onPreview = [&out](const FileChanges& changes) {
      out << textToPath(xcUnifiedDiff(changes));
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
    session.SetReplaceOffOrOn(2);
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
