#include "results/HtmlReport.h"

#include "lib/Library.h"

namespace varko {

namespace {

const char kStyle[] =
    "body{font-family:Verdana,sans-serif;color:#000080;background:#fff;margin:1.5em;}\r\n"
    "h1{font-size:1.4em;color:#800080;margin:0 0 .5em 0;}\r\n"
    "pre.header{background:#f5f5fa;border:1px solid #ddd;padding:.6em;white-space:pre-wrap;}\r\n"
    "p.printed{color:#808080;font-size:.85em;}\r\n"
    "p.message{color:#800080;font-size:.9em;margin:.1em 0;white-space:pre-wrap;}\r\n"
    "section{margin:1.2em 0;}\r\n"
    "h2{font-size:1.05em;color:#800000;margin:0;border-bottom:1px solid #ccc;overflow-wrap:anywhere;}\r\n"
    "h2 .count{color:#808080;font-weight:normal;font-size:.85em;margin-left:.6em;}\r\n"
    "table{border-collapse:collapse;font-family:'Courier New',monospace;font-size:.9em;width:100%;}\r\n"
    "td{vertical-align:top;padding:1px 6px;}\r\n"
    "td.ln{color:#808080;text-align:right;width:1%;min-width:2.5em;border-right:1px solid #ddd;white-space:nowrap;}\r\n"
    "td.line{white-space:pre-wrap;tab-size:4;overflow-wrap:anywhere;}\r\n"
    "tr.notice td{color:#ff0000;}\r\n"
    "mark{background:#ffe066;color:inherit;font-weight:bold;}\r\n";

bool sameAt(TextView line, size_t at, TextView find, bool caseInsensitive) {
  if (find.empty() || at + find.size() > line.size()) return false;
  const TextView part = line.substr(at, find.size());
  return caseInsensitive ? xcSameTextNoTrim(part, find) : part == find;
}

void append(std::string& out, TextView text) { out += textToPath(text); }

void appendEscaped(std::string& out, TextView text) { append(out, htmlEscape(text)); }

struct Section {
  Text path;
  std::string rows;
  int matches = 0;
};

void flushSection(std::string& out, Section& section) {
  if (section.path.empty()) return;
  out += "<section>\r\n<h2 title=\"";
  appendEscaped(out, section.path);
  out += "\">";
  appendEscaped(out, section.path);
  out += "<span class=\"count\">";
  out += std::to_string(section.matches) + (section.matches == 1 ? " line" : " lines");
  out += "</span></h2>\r\n<table>\r\n";
  out += section.rows;
  out += "</table>\r\n</section>\r\n";
  section = Section{};
}

}  // namespace

Text htmlEscape(TextView text) {
  Text out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      case u'\'': out += u"&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

size_t matchLength(TextView line, int position, const TextList& findStrings, bool caseInsensitive) {
  if (position < 1 || static_cast<size_t>(position) > line.size()) return 0;
  const size_t at = static_cast<size_t>(position) - 1;
  size_t best = 0;
  for (const Text& find : findStrings)
    for (const Text& candidate : {find, xcTrim(find)})
      if (candidate.size() > best && sameAt(line, at, candidate, caseInsensitive)) best = candidate.size();
  if (best > 0) return best;
  size_t end = at;
  while (end < line.size() && xcIsWordChar(line[end])) ++end;
  return end > at ? end - at : 1;
}

Text xcHtmlFileName(const Text& exportFileName) { return xcChangeFileExt(exportFileName, u".html"); }

std::string xcHtmlReport(const ResultTable& grid, const ExportSet& set) {
  std::string out;
  out += "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>Varko results";
  if (!set.fileName.empty()) {
    out += " - ";
    appendEscaped(out, xcExtractFileName(set.fileName));
  }
  out += "</title>\r\n<style>\r\n";
  out += kStyle;
  out += "</style>\r\n</head>\r\n<body>\r\n<h1>Varko results</h1>\r\n<pre class=\"header\">";
  Text header = set.header;
  while (!header.empty() && (header.back() == u'\n' || header.back() == u'\r')) header.pop_back();
  Text flat;
  for (size_t i = 0; i < header.size(); ++i)
    if (!(header[i] == u'\r' && i + 1 < header.size() && header[i + 1] == u'\n')) flat.push_back(header[i]);
  appendEscaped(out, flat);
  out += "</pre>\r\n";
  if (!set.printTime.empty()) {
    out += "<p class=\"printed\">Printed ";
    appendEscaped(out, set.printTime);
    out += "</p>\r\n";
  }

  Section section;
  const int rows = grid.rowCount();
  for (int r = 0; r < rows; ++r) {
    const Text lineNumber = xcTrim(grid.cell(0, r));
    const Text& path = grid.pathCell(r);
    const Text text = grid.textCell(r);
    if (path.empty()) {
      // Rows of no file (the run's own messages) stand between the sections.
      flushSection(out, section);
      if (xcIsBlank(text)) continue;
      out += "<p class=\"message\">";
      appendEscaped(out, text);
      out += "</p>\r\n";
      continue;
    }
    if (path != section.path) {
      flushSection(out, section);
      section.path = path;
    }
    if (lineNumber.empty()) continue;  // the file-name row: the section's heading says it
    if (lineNumber == u"-1") {
      section.rows += "<tr class=\"notice\"><td class=\"ln\"></td><td class=\"line\">";
      appendEscaped(section.rows, text);
      section.rows += "</td></tr>\r\n";
      continue;
    }
    ++section.matches;
    section.rows += "<tr><td class=\"ln\">";
    appendEscaped(section.rows, lineNumber);
    section.rows += "</td><td class=\"line\">";
    const int position = grid.positionCell(r);
    const size_t length = set.matchedLength && position >= 1
                              ? set.matchedLength(text, static_cast<size_t>(position) - 1)
                              : matchLength(text, position, set.findStrings, set.caseInsensitive);
    if (length == 0) {
      appendEscaped(section.rows, text);
    } else {
      const TextView line(text);
      const size_t at = static_cast<size_t>(position) - 1;
      appendEscaped(section.rows, line.substr(0, at));
      section.rows += "<mark>";
      appendEscaped(section.rows, line.substr(at, length));
      section.rows += "</mark>";
      appendEscaped(section.rows, line.substr(at + length));
    }
    section.rows += "</td></tr>\r\n";
  }
  flushSection(out, section);
  out += "</body>\r\n</html>\r\n";
  return out;
}

void xcWriteHtmlReport(const ResultTable& grid, const ExportSet& set, const Text& fileName) {
  xcWriteReportBytes(fileName, xcHtmlReport(grid, set));
}

}  // namespace varko
