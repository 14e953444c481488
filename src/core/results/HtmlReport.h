#pragma once
// The results as one HTML page for a browser: the header, one section per file with its line
// numbers and the matched text marked, everything escaped. UTF-8 with CR LF line ends.
#include <string>
#include "lib/Text.h"
#include "results/ResultTable.h"
#include "results/TextReport.h"

namespace varko {

// &, <, >, " and ' as entities.
Text htmlEscape(TextView text);

// How many characters the match at the 1-based position covers: the longest find string found
// there (letter case as searched), else the word from there on (at least one character); 0 for a
// position outside the line.
size_t matchLength(TextView line, int position, const TextList& findStrings, bool caseInsensitive);

// The export set's name with ".html".
Text xcHtmlFileName(const Text& exportFileName);

std::string xcHtmlReport(const ResultTable& grid, const ExportSet& set);
// Throws EFileError.
void xcWriteHtmlReport(const ResultTable& grid, const ExportSet& set, const Text& fileName);

}  // namespace varko
