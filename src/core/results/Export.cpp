#include "results/Export.h"

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/Library.h"

namespace varko {

namespace {

const Text kTab = u"\t";

bool isMatchRow(const Text& lineNumber) {
  const Text trimmed = xcTrim(lineNumber);
  return !trimmed.empty() && trimmed != u"0" && trimmed != u"-1";
}

}  // namespace

FileFacts lookUpFileFacts(const Text& path) {
  FileFacts facts;
  facts.dateText = xcFileDateText(path);
  try {
    facts.size = xcFileSize(path);
  } catch (const EFileError&) {
    // A file that exists but cannot be opened still gets its line: one unreadable file must not
    // cost the whole export.
    facts.size = 0;
  }
  return facts;
}

Text xcSpreadsheetFileName(const Text& exportFileName, bool csv) {
  if (csv) return xcChangeFileExt(exportFileName, u".csv");
  const size_t keep = exportFileName.size() > 4 ? exportFileName.size() - 4 : 0;
  return exportFileName.substr(0, keep) + u"-SS-Tab.txt";
}

TextList xcSpreadsheetLines(const ResultTable& grid, const Text& printTime, const Text& requestStrings, bool csv,
                            bool columnHeaders, const FileFactsLookup& lookUp) {
  TextList lines;
  if (csv) lines.push_back(u"sep=" + kTab);
  if (columnHeaders)
    lines.push_back(u"Date\tText\tFilename\tDateTime\tSize\tLine No.\tLine");
  const Text prefix = printTime + kTab + requestStrings + kTab;
  bool havePrevious = false;
  Text previousPath;
  FileFacts facts;
  const int rows = grid.rowCount();
  for (int r = 0; r < rows; ++r) {
    const Text lineNumber = grid.cell(0, r);
    if (!isMatchRow(lineNumber)) continue;
    const Text& path = grid.pathCell(r);
    if (!havePrevious || path != previousPath) {
      facts = lookUp(path);
      previousPath = path;
      havePrevious = true;
    }
    Text text = grid.textCell(r);
    for (char16_t& c : text)
      if (c == u'\t') c = u' ';
    lines.push_back(prefix + path + kTab + facts.dateText + kTab + intToText(facts.size) + kTab + lineNumber + kTab +
                    text);
  }
  return lines;
}

Text xcWriteSpreadsheet(const ResultTable& grid, const ExportSet& set, bool csv, bool columnHeaders,
                        const FileFactsLookup& lookUp) {
  const Text fileName = xcSpreadsheetFileName(set.fileName, csv);
  xcWriteReportLines(fileName, xcSpreadsheetLines(grid, set.printTime, set.requestStrings, csv, columnHeaders, lookUp));
  return fileName;
}

}  // namespace varko
