#include "results/TextReport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/FileChannels.h"
#include "lib/IniFile.h"
#include "lib/Library.h"
#include "lib/PosixFile.h"
#include "results/RunLog.h"

namespace varko {

namespace {

constexpr int kMostColumns = 51;
constexpr int kLinesPerPage = 56;
const Text kCrLf = u"\r\n";

// Characters as a reader counts them: a surrogate pair is one.
size_t characterCount(TextView text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF)) ++count;
  return count;
}

// The text padded with blanks, or cut, to exactly width characters.
void appendPadded(Text& line, TextView text, size_t width) {
  size_t count = 0;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const bool secondHalf = text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    if (!secondHalf) {
      if (count == width) break;
      ++count;
    }
  }
  line.append(text.substr(0, i));
  line.append(width - count, u' ');
}

TextList headerLines(const Text& header) {
  TextList lines;
  size_t start = 0;
  while (start < header.size()) {
    size_t end = header.find(kCrLf, start);
    if (end == Text::npos) end = header.size();
    lines.push_back(header.substr(start, end - start));
    start = end + kCrLf.size();
  }
  return lines;
}

[[noreturn]] void failCreate(const Text& fileName, int error) {
  throw EFileError(u"Cannot create file \"" + fileName + u"\". " + systemErrorText(error));
}

void createFolders(const Text& folder) {
  const std::string path = textToPath(folder);
  for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0777);
    if (slash == std::string::npos) break;
  }
}

}  // namespace

Text xcReportHeaderText(const ReportHeader& h) {
  return u"Varko results for: " + h.stringsText + kCrLf + u"Folder: " + h.foldersText + kCrLf +
         u"Number Folders: " + h.folderCount + kCrLf + u"Filespec: " + h.fileSpec + kCrLf + kCrLf + h.statusLine +
         kCrLf;
}

ExportSet xcPrepareExport(const ReportHeader& header, const Clock& clock, const Text& folder) {
  const Text dir = xcIncludeTrailingSeparator(folder);
  if (!xcFolderExists(dir)) createFolders(dir);
  ExportSet set;
  set.fileName = dir + u"Varko-" + xcFormatDateTime(u"yymmdd-hhnnss", clock.now()) + u".txt";
  set.printTime = xcFormatDateTime(u"yyyy-mm-dd hh:nn:ss", clock.now());
  set.header = xcReportHeaderText(header);
  set.requestStrings = header.requestStrings;
  set.findStrings = header.findStrings;
  set.caseInsensitive = header.caseInsensitive;
  set.matchedLength = header.matchedLength;
  return set;
}

const std::vector<int>& FoundGridColumnWidths() {
  static const std::vector<int> widths{44, 744, 0, 0};
  return widths;
}

TextList xcGridTextLines(const ResultTable& grid, const std::vector<int>& columnPixelWidths, const Text& header) {
  TextList lines = headerLines(header);
  lines.emplace_back();

  std::vector<int> visible;
  const int columns = std::min({grid.columnCount(), kMostColumns, static_cast<int>(columnPixelWidths.size())});
  for (int c = 0; c < columns; ++c)
    if (columnPixelWidths[static_cast<size_t>(c)] > 1) visible.push_back(c);

  std::vector<size_t> width(static_cast<size_t>(columns), 0);
  int lastUsed = -1;
  const int rows = grid.rowCount();
  for (int r = 0; r < rows; ++r)
    for (int c : visible) {
      const Text cell = grid.cell(c, r);
      const Text trimmed = xcTrimRight(cell);
      width[static_cast<size_t>(c)] = std::max(width[static_cast<size_t>(c)], characterCount(trimmed));
      if (!trimmed.empty()) lastUsed = std::max(lastUsed, c);
    }

  lines.reserve(lines.size() + static_cast<size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    Text line;
    for (int c : visible) {
      if (c > lastUsed) break;
      const Text cell = grid.cell(c, r);
      if (c == lastUsed)
        line += xcTrimRight(cell);
      else
        appendPadded(line, cell, width[static_cast<size_t>(c)] + 1);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

void xcGridToText(const ResultTable& grid, const std::vector<int>& columnPixelWidths, const Text& fileName,
                  const Text& header) {
  xcWriteReportLines(fileName, xcGridTextLines(grid, columnPixelWidths, header));
}

TextList xcPaginate(const TextList& listingLines, const Text& listingName, const Clock& clock) {
  // One reading of the clock: every page carries the same stamp.
  const DateTimeValue now = clock.now();
  const Text stamp = u" Printed " + xcFormatDateTime(u"dd-mmm-yy", now) + u" " + xcFormatDateTime(u"hh:nn:ss", now);
  TextList out;
  out.reserve(listingLines.size() + listingLines.size() / kLinesPerPage + 1);
  int page = 0;
  int counter = kLinesPerPage + 1;
  for (const Text& line : listingLines) {
    if (++counter >= kLinesPerPage) {
      ++page;
      counter = 0;
      out.push_back((page > 1 ? Text(u"\f") : Text()) + u"NORV " + listingName + stamp + u" Page " + intToText(page));
    }
    out.push_back(line);
  }
  return out;
}

// The file's own name: the folder ($TMPDIR) may hold anything.
bool xcIsReportName(const Text& listingName) { return xcTextPos(xcExtractFileName(listingName), u"REP", 1) > 0; }

Text xcReportFileName(const Text& listingName, const Text& reportFolder) {
  if (xcIsReportName(listingName)) return listingName;
  return xcIncludeTrailingSeparator(reportFolder) + u"Report-" + xcExtractFileName(listingName);
}

Text xcReportEditor() {
  const Text editor = IniFile(configFolder() + u"NORV.INI").ReadString(u"Settings", u"EditFile", u"Notepad.exe");
  return xcIsBlank(editor) ? Text(u"Notepad.exe") : xcTrim(editor);
}

Text xcEditorShortName(const Text& editor) {
  return xcTextPos(editor, u"NOTEPAD", 1) > 0 ? xcFileBaseName(editor) : editor;
}

LaunchCommand xcReportEditorLaunch(const Text& editor, const Text& reportFile, const ProgramFinder& findProgram) {
  if (IsNotepadCommand(editor)) return plainTextEditorLaunch(reportFile, findProgram);
  LaunchCommand launch;
  launch.program = editor;
  launch.arguments = {reportFile};
  return launch;
}

PrintedFile xcPrintFile(const Text& listingName, const Text& title, const Clock& clock, const Text& reportFolder,
                        const Text& editor, const ProgramFinder& findProgram) {
  PrintedFile out;
  out.editor = editor;
  out.reportFile = xcReportFileName(listingName, reportFolder);
  if (out.reportFile != listingName)
    xcWriteReportLines(out.reportFile, xcPaginate(xcReadReportLines(listingName), listingName, clock));
  xcLog(u"Printfile " + out.reportFile + u" " + title + u" " + editor, clock);
  out.message = u"printfile " + out.reportFile + u" is in report folder" + kCrLf + u"You can use " +
                xcEditorShortName(editor) + u" to view and print this";
  out.launch = xcReportEditorLaunch(editor, out.reportFile, findProgram);
  return out;
}

void xcWriteReportBytes(const Text& fileName, const std::string& bytes) {
  FileDescriptor file(::open(textToPath(fileName).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!file.isOpen()) failCreate(fileName, errno);
  if (!writeFull(file.get(), bytes.data(), bytes.size())) throw EFileError(systemErrorText(errno));
  // A full disk may only show when the file is closed.
  if (::close(file.release()) != 0) throw EFileError(systemErrorText(errno));
}

void xcWriteReportLines(const Text& fileName, const TextList& lines) {
  std::string bytes, line8;
  for (const Text& line : lines) {
    textToPathInto(line, line8);
    bytes += line8;
    bytes += "\r\n";
  }
  xcWriteReportBytes(fileName, bytes);
}

TextList xcReadReportLines(const Text& fileName) {
  std::string bytes;
  if (int error = readRegularFile(textToPath(fileName), bytes)) throw EFileError(fileErrorText(error));
  TextList lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(pathToText(std::string_view(bytes).substr(start, end - start)));
    start = end + 2;
  }
  return lines;
}

}  // namespace varko
