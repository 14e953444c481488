#pragma once
// Every input of a search run, as read from the main window's controls (or the command line).
#include "lib/Text.h"
#include "setup/SearchSetup.h"

namespace varko {

struct DateSelectionFields {
  bool enabled = false;  // cbxEnableDateSelections
  Text startDate;        // edtSelDate1
  Text startTime;        // edtSelTime1
  Text endDate;          // edtSelDate2
  Text endTime;          // edtSelTime2
};

// Copies of the replace options window's check boxes, kept from run to run.
struct ReplaceRunOptions {
  bool queryFile = false;          // cbxQueryFile
  bool queryLine = false;          // cbxQueryLine
  bool preserveSpaces = false;     // cbxPreserveSpaces
  bool showLinesNoMatches = false; // cbxShowLinesNoMatches
  bool showFilesWithNoMatches = false;  // cbxShowFilesWithNoMatches
  Text changeLogFilename;
};

struct SearchRequest {
  int folderMode = kSimpleMode;
  int fileSpecMode = kSimpleMode;
  int stringMode = kSimpleMode;

  Text folder;              // edtFolder
  Text fileSpec = u"*.*";   // edtFileSpec
  Text searchText;          // edtString

  // Request lists made by PrepareAdvancedFolders/FileSpecs/Strings.
  RequestList selectedFolders;
  RequestList selectedFileSpecs;
  RequestList selectedStrings;

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

  DateSelectionFields dates;
  ReplaceRunOptions replace;
};

}  // namespace varko
