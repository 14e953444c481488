#include "cli/Options.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "lib/Errors.h"
#include "lib/Library.h"
#include "setup/StringSets.h"

namespace varko {

namespace {

using Options = CommandLineOptions;

Text argText(const std::string& s) { return pathToText(s); }

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

bool loadStringsFile(Options& o, const std::string& name, std::string& error) {
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
    if (!xcIsBlank(field)) o.strings.push_back(field);
  }
  return true;
}

bool addReplace(Options& o, const std::string& v, std::string& error) {
  if (o.strings.empty() || o.hasReplace.size() >= o.strings.size()) {
    error = "--replace must follow the --string it belongs to";
    return false;
  }
  o.hasReplace.resize(o.strings.size() - 1, false);
  o.hasReplace.push_back(true);
  o.replaces.resize(o.strings.size() - 1);
  o.replaces.push_back(argText(v));
  o.replaceMode = true;
  return true;
}

bool loadPairsFile(Options& o, const std::string& v, std::string& error) {
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
  return true;
}

bool addExcludedFolders(Options& o, const std::string& v, std::string&) {
  TextList names = xcSplitFolderNames(argText(v));
  o.request.excludedFolders.insert(o.request.excludedFolders.end(), names.begin(), names.end());
  return true;
}

bool takeDateFrom(Options& o, const std::string& v, std::string&) {
  splitDateTime(v, o.request.dates.startDate, o.request.dates.startTime, u"00:00:00");
  o.request.dates.enabled = true;
  o.dateFrom = true;
  return true;
}

bool takeDateTo(Options& o, const std::string& v, std::string&) {
  splitDateTime(v, o.request.dates.endDate, o.request.dates.endTime, u"23:59:59");
  o.request.dates.enabled = true;
  o.dateTo = true;
  return true;
}

// Values taken as they are: a folder, filespec or string added to its list...
template <TextList Options::*List>
bool addTo(Options& o, const std::string& v, std::string&) {
  (o.*List).push_back(argText(v));
  return true;
}

// ...or the name of an export file.
template <Text Options::*Field>
bool keep(Options& o, const std::string& v, std::string&) {
  o.*Field = argText(v);
  return true;
}

constexpr auto S = OptionGroup::Search;
constexpr auto R = OptionGroup::Replace;
constexpr auto E = OptionGroup::Export;

const CommandLineOption kOptions[] = {
    {"", "--folder", "DIR", "folder to search (default: the current folder); repeat for several", S, nullptr,
     addTo<&Options::folders>},
    {"", "--filespec", "MASK", "file specification (default *.*); repeat for several", S, nullptr,
     addTo<&Options::fileSpecs>},
    {"", "--string", "TEXT",
     "string to search for; repeat for several (a bare TEXT is one --string, and so is every argument after --)", S,
     nullptr, addTo<&Options::strings>},
    {"", "--strings-file", "FILE", "strings to find: field 1 of each line of a tab-separated string-set file", S,
     nullptr, loadStringsFile},
    {"", "--advanced-folders", "",
     "use the advanced (list) mode for the folders even with one; two or more always mean advanced mode", S,
     [](Options& o) { o.advancedFolders = true; }},
    {"", "--advanced-filespecs", "", "the same for the file specifications", S,
     [](Options& o) { o.advancedFileSpecs = true; }},
    {"", "--advanced-strings", "", "the same for the strings", S, [](Options& o) { o.advancedStrings = true; }},
    {"-r", "--subfolders", "", "search subfolders", S, [](Options& o) { o.request.subFolders = true; }},
    {"-s", "--case-sensitive", "", "match letter case (default: ignore case)", S,
     [](Options& o) { o.request.caseInsensitive = false; }},
    {"-w", "--whole-words", "", "whole words only", S, [](Options& o) { o.request.wholeWords = true; }},
    {"", "--google", "", "all words, any order", S, [](Options& o) { o.request.googleFind = true; }},
    {"", "--search-filename", "", "match the path too", S, [](Options& o) { o.request.searchFilename = true; }},
    {"", "--list-all-filenames", "", "a row for every text file searched, matched or not (shown with --rows)", S,
     [](Options& o) { o.request.listAllFilenames = true; }},
    {"", "--keep-binary", "", "do not omit binary/backup/build files or hidden folders", S,
     [](Options& o) { o.request.omitBinBak = false; }},
    {"", "--keep-own-files", "", "do not omit the program's own search/replace files", S,
     [](Options& o) { o.request.omitVarkoSR = false; }},
    {"", "--simple-scan", "",
     "with one folder and one filespec, use the simple file search instead of the advanced folder scan",
     S, [](Options& o) { o.request.alwaysUseAdvancedFolderScan = false; }},
    {"", "--test-info", "", "show extra test info (with --list-all-filenames: the scan's list of files)", S,
     [](Options& o) { o.request.testInfo = true; }},
    {"", "--exclude-dir", "NAME",
     "do not enter subfolders named NAME (a-z in either case; several names separated by ;); repeat for several", S,
     nullptr, addExcludedFolders},
    {"", "--ascii-text-test", "",
     "only 8-bit text files: more than 5 bytes outside printable ASCII, tab, LF, FF and CR in the first 1000 make a "
     "file not text (the default test reads UTF-8 and UTF-16 characters)",
     S, [](Options& o) { o.request.asciiTextTest = true; }},
    {"", "--list-skipped", "",
     "list every file not searched with its reason, then the counts by reason (on standard error without --rows)", S,
     [](Options& o) { o.request.listSkipped = true; }},
    {"", "--regex", "",
     "every find string is a regular expression (RE2 syntax, matched per line; no Google type find)", S,
     [](Options& o) { o.request.regex = true; }},
    {"", "--gitignore", "",
     "inside a git work tree, skip the files and folders git ignores (.gitignore, .git/info/exclude, the global "
     "excludes file)",
     S, [](Options& o) { o.request.respectGitignore = true; }},
    {"", "--date-from", "'DATE [TIME]'",
     "select files last written from DATE TIME on (TIME left out: 00:00:00; no --date-from: today); an advanced "
     "option, it needs advanced folders or filespecs",
     S, nullptr, takeDateFrom},
    {"", "--date-to", "'DATE [TIME]'",
     "select files last written up to DATE TIME (TIME left out: 23:59:59; no --date-to: today); it needs advanced "
     "folders or filespecs too",
     S, nullptr, takeDateTo},
    {"", "--no-match-lines", "", "report the lines that do not match, not those that do", S,
     [](Options& o) { o.request.replace.showLinesNoMatches = true; }},
    {"", "--no-match-files", "",
     "after the run, list the files without a match under a \"No Matches\" row (shown with --rows)", S,
     [](Options& o) { o.request.replace.showFilesWithNoMatches = true; }},
    {"", "--rows", "", "print every result row instead of matches only", S, [](Options& o) { o.rows = true; }},
    {"-h", "--help", "", "show this text", S, [](Options& o) { o.help = true; }},
    {"", "--version", "", "show the program's version", S, [](Options& o) { o.version = true; }},

    {"", "--replace", "TEXT",
     "the replace text of the --string just before it; with any --replace every --string needs its own", R, nullptr,
     addReplace},
    {"", "--pairs-file", "FILE", "find/replace pairs from a tab-separated string-set file (fields 1 and 2)", R,
     nullptr, loadPairsFile},
    {"", "--keep-spacing", "", "preserve spaces: keep the columns after a run of blanks", R,
     [](Options& o) { o.keepSpacing = true; }},
    {"", "--yes", "", "accept every changed line and save every changed file without asking", R,
     [](Options& o) { o.yes = true; }},
    {"", "--dry-run", "", "write nothing: print the changes as a unified diff, then the summary", R,
     [](Options& o) { o.dryRun = true; }},
    {"", "--undo-last-replace", "", "put back the last replace run's files from their backups", R,
     [](Options& o) { o.undoLastReplace = true; }},

    {"", "--export-text", "FILE",
     "the text listing: a header describing the search, an empty line, one line per result row", E, nullptr,
     keep<&Options::exportText>},
    {"", "--export-report", "FILE", "the same listing paginated for printing, 56 lines a page", E, nullptr,
     keep<&Options::exportReport>},
    {"", "--export-tsv", "FILE",
     "the matching lines for a spreadsheet, TAB-separated; a FILE ending in .csv starts with a \"sep=\" line", E,
     nullptr, keep<&Options::exportTsv>},
    {"", "--no-column-headers", "", "leave the column header line out of --export-tsv", E,
     [](Options& o) { o.columnHeaders = false; }},
    {"", "--export-html", "FILE", "the results as an HTML page, one section per file, matches marked", E, nullptr,
     keep<&Options::exportHtml>},
};

// The usage text fits an 80-column terminal; the help of each option starts in one column.
constexpr size_t kUsageWidth = 80;
constexpr size_t kHelpColumn = 24;

struct GroupText {
  OptionGroup group;
  std::string_view heading;
  std::string_view footer;
};

constexpr GroupText kGroupTexts[] = {
    {S, "", ""},
    {R,
     "Replacing (every changed file keeps a backup beside it, and its old content goes\n"
     "to the archive):\n",
     "Without --yes or --dry-run the questions are asked on the terminal: for each\n"
     "changed line y (Yes), n (No), c (Cancel), N (No to All), A (Yes to All); for\n"
     "each changed file s (save), n (do not save), d (show differences), a (abort).\n"},
    {E,
     "Export (after the run, from its result rows; the normal output still goes to\n"
     "standard output):\n",
     "Export files are UTF-8 with CR LF line ends.\n"},
};

// The words of text from column indent on (the line is filled up to it), continued at indent.
void appendWrapped(std::string& out, std::string_view text, size_t indent) {
  size_t column = indent;
  bool lineEmpty = true;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view word = text.substr(start, end - start);
    if (!lineEmpty && column + 1 + word.size() > kUsageWidth) {
      out += '\n';
      out.append(indent, ' ');
      column = indent;
      lineEmpty = true;
    }
    if (!lineEmpty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    lineEmpty = false;
    start = end + 1;
  }
  out += '\n';
}

void appendEntry(std::string& out, const CommandLineOption& option) {
  std::string names = "  ";
  if (!option.shortName.empty()) (names += option.shortName) += ", ";
  names += option.longName;
  if (option.takesValue()) (names += ' ') += option.valueName;
  out += names;
  // Two blanks at least between the names and the help, else the help goes below them.
  if (names.size() + 2 <= kHelpColumn) {
    out.append(kHelpColumn - names.size(), ' ');
  } else {
    out += '\n';
    out.append(kHelpColumn, ' ');
  }
  appendWrapped(out, option.help, kHelpColumn);
}

// After the loop over the arguments: what the options say together.
bool checkCombination(CommandLineOptions& o, std::string& error) {
  if (o.help || o.version || o.undoLastReplace) return true;
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
        error = "the string \"" + toUtf8(o.strings[i]) +
                "\" has no --replace: with --replace every --string needs its own";
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

}  // namespace

std::span<const CommandLineOption> CommandLineOptionTable() { return kOptions; }

const CommandLineOption* FindCommandLineOption(std::string_view arg) {
  for (const CommandLineOption& option : kOptions)
    if (arg == option.longName || (!option.shortName.empty() && arg == option.shortName)) return &option;
  return nullptr;
}

std::string CommandLineUsage() {
  std::string out =
      "Usage: varko-search [options] [--string TEXT]... [TEXT]\n"
      "Search the text files below one or more folders for one or more strings.\n";
  for (const GroupText& text : kGroupTexts) {
    out += '\n';
    out += text.heading;
    for (const CommandLineOption& option : kOptions)
      if (option.group == text.group) appendEntry(out, option);
    out += text.footer;
  }
  out +=
      "\nOutput: one line per matching line, path:line:position:text. With --rows: every\n"
      "row of the result table, its four cells joined by a TAB, then \"# \" and the\n"
      "summary, \"# \" and the status.\n"
      "Exit status: 0 when a line matched, 1 when none did, 2 when the arguments are\n"
      "wrong, the request was refused or a file could not be saved.\n";
  return out;
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLineOptions& o, std::string& error) {
  o.request.folder.clear();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      for (++i; i < args.size(); ++i) o.strings.push_back(argText(args[i]));
    } else if (const CommandLineOption* option = FindCommandLineOption(a)) {
      if (!option->takesValue()) {
        option->set(o);
      } else if (i + 1 >= args.size()) {
        error = "option " + a + " needs a value";
        return false;
      } else if (!option->take(o, args[++i], error)) {
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else {
      o.strings.push_back(argText(a));
    }
  }
  return checkCombination(o, error);
}

}  // namespace varko
