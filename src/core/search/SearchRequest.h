#pragma once
// Every input of a search run, as read from the main window's controls (or the command line).
// The run reads it as a const value; it is the whole input.
#include <vector>
#include "lib/Text.h"

namespace varko {

// Each input (folders, file specifications, strings) is one typed value or a saved list.
enum InputMode : int { kSimpleMode = 1, kAdvancedMode = 2 };

// A selected list and its comma-joined text.
struct RequestList {
  TextList items;
  Text text;
};

// A find string with the replace string of the same number.
struct SearchPair {
  Text find;
  Text replace;
};

struct DateSelectionFields {
  bool enabled = false;  // cbxEnableDateSelections
  Text startDate;        // edtSelDate1
  Text startTime;        // edtSelTime1
  Text endDate;          // edtSelDate2
  Text endTime;          // edtSelTime2
};

// The replace options window's check boxes, kept from run to run.
struct ReplaceRunOptions {
  bool queryFile = false;          // cbxQueryFile
  bool queryLine = false;          // cbxQueryLine
  bool preserveSpaces = false;     // cbxPreserveSpaces
  bool showLinesNoMatches = false; // cbxShowLinesNoMatches
  bool showFilesWithNoMatches = false;  // cbxShowFilesWithNoMatches
  Text changeLogFilename;
  Text stringSetFilename;  // the file of pairs last loaded: never replaced in
};

struct SearchRequest {
  InputMode folderMode = kSimpleMode;
  InputMode fileSpecMode = kSimpleMode;
  InputMode stringMode = kSimpleMode;

  Text folder;              // edtFolder
  Text fileSpec = u"*.*";   // edtFileSpec
  Text searchText;          // edtString: the string of a simple search

  // Made by PrepareAdvancedFolders/FileSpecs from the saved lists.
  RequestList selectedFolders;
  RequestList selectedFileSpecs;
  // The string table in use, pairs 1..count: the strings of an advanced search, and the
  // replace texts (a simple search replaces with the replace text of pair 1).
  std::vector<SearchPair> strings;

  bool subFolders = false;              // cbxSubFolders
  bool caseInsensitive = true;          // cbxCasefl
  bool wholeWords = false;              // cbxMatchWholeWordsOnly
  bool searchFilename = false;          // cbxSearchFilename
  bool listAllFilenames = false;        // cbxListAllFilenames
  bool omitBinBak = true;               // cbxOmitBinBak
  bool omitVarkoSR = true;              // cbxOmitVarkoSR
  bool googleFind = false;              // cbxGoogleFind
  bool fast = true;                     // cbxFast
  bool alwaysUseAdvancedFolderScan = true;  // cbxAlwaysUseAdvancedFolderScan
  bool testInfo = false;                // cbxTestInfo
  int loadMethod = 1;                   // cbxLoadFromFileMethod
  bool asciiTextTest = false;           // "Only 8-bit text files (ASCII test)"
  bool listSkipped = false;             // "List skipped files"
  bool regex = false;                   // "Regular expressions": find strings are RE2 patterns
  bool respectGitignore = false;        // "Skip files git ignores (.gitignore)"
  TextList excludedFolders;             // "Exclude folders": names, see xcSplitFolderNames

  // Threads that examine files ahead of the run: 0 = none (the run's own thread only),
  // negative = as many as suit the machine.
  int threads = 0;

  DateSelectionFields dates;
  ReplaceRunOptions replace;
};

// The find/replace pairs a run works with: the simple string with pair 1's replace text, or
// the table's pairs.
std::vector<SearchPair> RunPairs(const SearchRequest& request);
// The folder names of a ";"-separated text ("node_modules;build;.venv"), trimmed, blanks left out.
TextList xcSplitFolderNames(TextView text);
// The non-blank find strings of the table joined with ",", as the run shows them.
RequestList JoinedFindStrings(const SearchRequest& request);

}  // namespace varko
