#pragma once
// The text listing of a results grid and the paginated report made from it (the "Text/Print"
// button). Files are UTF-8 with CR LF line ends, so every character of a result survives; file
// names keep their own bytes.
#include <cstdint>
#include <functional>
#include <vector>
#include "lib/Clock.h"
#include "lib/Text.h"
#include "results/OpenCommand.h"
#include "results/ResultTable.h"

namespace varko {

// What the main window knows about the run at the "Text/Print" click.
struct ReportHeader {
  Text stringsText;      // the run's strings text for the report ("Search Strings: ...")
  Text foldersText;      // the run's folders text for the report ("Folders Searched:...")
  Text folderCount;      // the caption of lblFolderCount
  Text fileSpec;         // the text of edtFileSpec
  Text statusLine;       // the caption of lblFile at the click
  Text requestStrings;   // the request's strings, the spreadsheet's Text field
  TextList findStrings;  // the strings searched for, to mark the match in the HTML report
  bool caseInsensitive = true;
  // Regular expressions: the length of the match at a row's position (0: none there).
  std::function<size_t(TextView line, size_t at)> matchedLength = nullptr;
};

// "Varko results for: " ... the status line, CR LF.
Text xcReportHeaderText(const ReportHeader& header);

// The export set the "Text Output Options" window works on.
struct ExportSet {
  Text fileName;   // <folder>Varko-yymmdd-hhnnss.txt
  Text printTime;  // "yyyy-mm-dd hh:nn:ss"
  Text header;     // xcReportHeaderText
  Text requestStrings;
  TextList findStrings;
  bool caseInsensitive = true;
  std::function<size_t(TextView line, size_t at)> matchedLength = nullptr;  // as in ReportHeader
};

// The export set of a click: the folder is created when missing (a failure shows later, when a
// file is written); the file name's time and the print time are two readings of the clock.
ExportSet xcPrepareExport(const ReportHeader& header, const Clock& clock, const Text& folder);

// The results grid's design column widths in pixels: only the line number and the text show.
const std::vector<int>& FoundGridColumnWidths();

// The listing's lines: the header's lines, one empty line, one line per grid row. A column
// shows when its pixel width is above 1.
TextList xcGridTextLines(const ResultTable& grid, const std::vector<int>& columnPixelWidths, const Text& header);
// Writes the listing, replacing any file of that name. Throws EFileError.
void xcGridToText(const ResultTable& grid, const std::vector<int>& columnPixelWidths, const Text& fileName,
                  const Text& header);

// The report's lines: pages of 56 listing lines, each after its "NORV ..." header line, the
// header lines from page 2 on starting with a form feed.
TextList xcPaginate(const TextList& listingLines, const Text& listingName, const Clock& clock);
// A listing whose full name holds "Rep" (any case) is a report already and is its own report.
bool xcIsReportName(const Text& listingName);
// The report file of a listing: itself, or "<folder>Report-<listing's file name>".
Text xcReportFileName(const Text& listingName, const Text& reportFolder);

// Key EditFile of [Settings] in NORV.INI beside the executable, "Notepad.exe" by default.
Text xcReportEditor();
// The editor's short name for the message: its base name when it holds "Notepad".
Text xcEditorShortName(const Text& editor);
// Starting the report editor with the report as its only parameter.
LaunchCommand xcReportEditorLaunch(const Text& editor, const Text& reportFile,
                                   const ProgramFinder& findProgram = findProgramOnPath);

struct PrintedFile {
  Text reportFile;
  Text editor;
  Text message;  // "printfile ... is in report folder" ...
  LaunchCommand launch;
};
// xcPrintFile up to the editor's start: the report written (unless the listing is one) and the
// run-log entry made. Throws EFileError when either fails; the caller shows the message and then
// starts the launch.
PrintedFile xcPrintFile(const Text& listingName, const Text& title, const Clock& clock,
                        const Text& reportFolder, const Text& editor,
                        const ProgramFinder& findProgram = findProgramOnPath);

// Text files of the report and export: UTF-8, every line ending in CR LF. Both throw EFileError.
void xcWriteReportLines(const Text& fileName, const TextList& lines);
TextList xcReadReportLines(const Text& fileName);
// Writes bytes as they are, replacing any file of that name. Throws EFileError.
void xcWriteReportBytes(const Text& fileName, const std::string& bytes);

}  // namespace varko
