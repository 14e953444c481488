#pragma once
// The spreadsheet file of the "Write Tab Delimited File" button: TAB-separated, no quoting,
// UTF-8 with CR LF line ends, only the match rows.
#include <cstdint>
#include <functional>
#include "lib/Text.h"
#include "results/ResultTable.h"
#include "results/TextReport.h"

namespace varko {

// A file's last-write time ("yyyy-mm-dd hh:nn:ss", empty when unknown) and size (0 when unknown).
struct FileFacts {
  Text dateText;
  int64_t size = 0;
};
using FileFactsLookup = std::function<FileFacts(const Text& path)>;
FileFacts lookUpFileFacts(const Text& path);

// The export set's name with ".csv", or without its last 4 characters and with "-SS-Tab.txt".
Text xcSpreadsheetFileName(const Text& exportFileName, bool csv);

// "sep=" and TAB first in the ".csv" form; then the column headers when asked; then one line per
// match row. A file's facts are looked up again only when the row's file differs from the
// previous exported row's.
TextList xcSpreadsheetLines(const ResultTable& grid, const Text& printTime, const Text& requestStrings, bool csv,
                            bool columnHeaders, const FileFactsLookup& lookUp = lookUpFileFacts);

// btnGridToTabClick's file: written (replacing any file of that name) under the name it returns.
// Throws EFileError.
Text xcWriteSpreadsheet(const ResultTable& grid, const ExportSet& set, bool csv, bool columnHeaders,
                        const FileFactsLookup& lookUp = lookUpFileFacts);

}  // namespace varko
