#pragma once
// varko-search: the search run with a terminal for its host.
#include <iosfwd>
#include <string>
#include <vector>
#include "search/SearchRequest.h"
#include "search/SearchSession.h"

namespace varko {

struct CommandLineOptions {
  SearchRequest request;
  TextList folders;
  TextList fileSpecs;
  TextList strings;
  TextList replaces;            // the replace text of each string, when replacing
  std::vector<bool> hasReplace;  // per string: a --replace followed it
  bool replaceMode = false;     // --replace or --pairs-file given
  bool keepSpacing = false;
  bool yes = false;
  bool dryRun = false;
  bool undoLastReplace = false;
  bool advancedFolders = false;
  bool advancedFileSpecs = false;
  bool advancedStrings = false;
  bool rows = false;
  bool help = false;
  bool version = false;
  bool dateFrom = false;
  bool dateTo = false;
  // Files written after the run from its result rows (empty: not written).
  Text exportText;
  Text exportReport;
  Text exportTsv;
  Text exportHtml;
  bool columnHeaders = true;  // --no-column-headers clears it
};

// Returns false with an error text for arguments that cannot be used.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLineOptions& options, std::string& error);

// Fills the request's lists and strings from the options. Returns false with an error text for
// lists beyond their limits.
bool PrepareCommandLineRequest(CommandLineOptions& options, const Clock& clock, std::string& error);

std::string CommandLineUsage();

// The whole program: returns the exit status (0 matched, 1 none, 2 refused, bad arguments or a
// file that could not be saved). Replace questions are read from in.
int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// Writes the export files the options ask for from a finished run. Throws VarkoError when a
// file cannot be written.
void WriteCommandLineExports(const CommandLineOptions& options, const SearchSession& session,
                             const Text& statusLine, const Clock& clock);

// A cell of --rows output: backslash, TAB, CR and LF escaped.
std::string EscapeCell(TextView cell);

}  // namespace varko
