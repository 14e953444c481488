#include "results/TextReport.h"

#include <gtest/gtest.h>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "support/FoundGrid.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

using Row = GridRow;

TextList numberedLines(int count) {
  TextList lines;
  for (int i = 1; i <= count; ++i) lines.push_back(u"line " + intToText(i));
  return lines;
}

// 5 March 2024 14:07:09.
DateTimeValue moment() { return xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9); }

// The executable's folder (run log, NORV.INI) is the test's own while it lives.
struct ExeIn {
  explicit ExeIn(const TempDir& dir) { setExePathForTesting(dir.text() + u"Varko64"); }
  ~ExeIn() { setExePathForTesting(Text()); }
};

}  // namespace

TEST(TextListing, HeaderLinesThenAnEmptyLineThenColumnsPaddedToTheirWidths) {
  ResultTable grid = gridOf({{0, "/d/a.txt", "/d/a.txt"},
                             {7, "say\tHello   ", "/d/a.txt", 5},
                             {123, "x", "/d/a.txt", 1},
                             {0, "1 match", ""}});
  TextList lines = xcGridTextLines(grid, FoundGridColumnWidths(), u"Varko results for: a\r\nstatus\r\n");
  // Column 0 is 3 wide, so 4 with its blank; the TAB inside a line stays.
  EXPECT_EQ(lines, (TextList{u"Varko results for: a", u"status", u"", u"    /d/a.txt", u"7   say\tHello",
                             u"123 x", u"    1 match"}));
}

TEST(TextListing, OnlyColumnsWiderThanOnePixelShowAndTheLastUsedOneIsTrimmed) {
  ResultTable grid(4);
  grid.setCell(0, 0, u"ab   ");
  grid.setCell(1, 0, u"  ");
  grid.setCell(2, 0, u"hidden");
  grid.setCell(3, 0, u"one pixel");
  grid.setCell(0, 1, u"abcdef");
  // Column 1 holds only blanks, so column 0 is the last used one.
  EXPECT_EQ(xcGridTextLines(grid, {10, 10, 0, 1}, u""), (TextList{u"", u"ab", u"abcdef"}));
}

TEST(TextListing, ColumnsBeyondTheFiftyFirstAreLeftOut) {
  ResultTable grid(53);
  grid.setCell(49, 0, u"a");
  grid.setCell(50, 0, u"b");
  grid.setCell(51, 0, u"c");
  grid.setCell(52, 0, u"d");
  TextList lines = xcGridTextLines(grid, std::vector<int>(53, 20), u"");
  EXPECT_EQ(lines.back(), Text(49, u' ') + u"a b");
}

TEST(TextListing, NonAsciiCharactersPadAsOneAndSurviveTheFile) {
  TempDir dir;
  ResultTable grid = gridOf({{1, "é", "/d/ü.txt"}, {22, "𝄞 ü €", "/d/ü.txt"}});
  grid.setCell(0, 0, u"é");
  grid.setCell(0, 1, u"𝄞");
  const Text file = dir.text() + u"Varko-ä.txt";
  xcGridToText(grid, FoundGridColumnWidths(), file, u"Ü\r\n");
  EXPECT_EQ(readFileBytes(U8(file)), "Ü\r\n\r\né é\r\n𝄞 𝄞 ü €\r\n");
  EXPECT_EQ(xcReadReportLines(file), (TextList{u"Ü", u"", T("é é"), T("𝄞 𝄞 ü €")}));
}

TEST(ExportSet, NamesTheFileByTheClickAndBuildsTheHeader) {
  TempDir dir;
  FakeClock clock(moment());
  ReportHeader header{u"Search Strings: (simple)\r\nneedle", u"Folders Searched:\r\n", u"2 Folders", u"*.txt",
                      u"3 matches", u"needle", {u"needle"}, true};
  ExportSet set = xcPrepareExport(header, clock, dir.text() + u"new/reports");
  EXPECT_EQ(set.fileName, dir.text() + u"new/reports/Varko-240305-140709.txt");
  EXPECT_TRUE(xcFolderExists(dir.text() + u"new/reports"));
  EXPECT_EQ(set.printTime, u"2024-03-05 14:07:09");
  EXPECT_EQ(set.header,
            u"Varko results for: Search Strings: (simple)\r\nneedle\r\nFolder: Folders Searched:\r\n\r\n"
            u"Number Folders: 2 Folders\r\nFilespec: *.txt\r\n\r\n3 matches\r\n");
  EXPECT_EQ(set.requestStrings, u"needle");
}

TEST(ReportPages, FiftySixListingLinesAPageEachAfterItsHeaderLine) {
  FakeClock clock(moment());
  const Text first = u"NORV /tmp/L.txt Printed 05-Mar-24 14:07:09 Page 1";
  struct Case {
    int lines;
    int pages;
  };
  for (Case c : {Case{56, 1}, Case{57, 2}, Case{112, 2}, Case{113, 3}}) {
    SCOPED_TRACE(c.lines);
    TextList report = xcPaginate(numberedLines(c.lines), u"/tmp/L.txt", clock);
    ASSERT_EQ(report.size(), static_cast<size_t>(c.lines + c.pages));
    EXPECT_EQ(report[0], first);
    for (int page = 2; page <= c.pages; ++page) {
      const size_t at = static_cast<size_t>((page - 1) * 57);
      EXPECT_EQ(report[at], u"\fNORV /tmp/L.txt Printed 05-Mar-24 14:07:09 Page " + intToText(page));
      EXPECT_EQ(report[at - 1], u"line " + intToText((page - 1) * 56));
      EXPECT_EQ(report[at + 1], u"line " + intToText((page - 1) * 56 + 1));
    }
    EXPECT_EQ(report.back(), u"line " + intToText(c.lines));
  }
}

TEST(ReportName, RepAnywhereInTheFileNameMarksAReportAlready) {
  struct Case {
    Text listing, report;
  };
  for (const Case& c : {Case{u"/tmp/Varko-240305-140709.txt", u"/out/Report-Varko-240305-140709.txt"},
                        Case{u"/tmp/Report-Varko.txt", u"/tmp/Report-Varko.txt"},
                        Case{u"/home/u/prepared/a.txt", u"/out/Report-a.txt"},  // a folder's "rep" is not the name's
                        Case{u"/tmp/aREPb.txt", u"/tmp/aREPb.txt"}}) {
    SCOPED_TRACE(U8(c.listing));
    EXPECT_EQ(xcReportFileName(c.listing, u"/out"), c.report);
  }
}

TEST(PrintFile, WritesTheReportLogsItAndWordsTheMessage) {
  TempDir dir;
  ExeIn exe(dir);
  FakeClock clock(moment());
  const Text listing = dir.text() + u"Varko-1.txt";
  xcWriteReportLines(listing, {u"a", u"b"});
  dir.mkdir("out");
  PrintedFile printed = xcPrintFile(listing, u"Text", clock, dir.text() + u"out", u"/usr/bin/gedit",
                                    [](const Text&) { return Text(); });
  EXPECT_EQ(printed.reportFile, dir.text() + u"out/Report-Varko-1.txt");
  EXPECT_EQ(xcReadReportLines(printed.reportFile),
            (TextList{u"NORV " + listing + u" Printed 05-Mar-24 14:07:09 Page 1", u"a", u"b"}));
  EXPECT_EQ(printed.message, u"printfile " + printed.reportFile +
                                 u" is in report folder\r\nYou can use /usr/bin/gedit to view and print this");
  EXPECT_EQ(printed.launch.program, u"/usr/bin/gedit");
  EXPECT_EQ(printed.launch.arguments, TextList{printed.reportFile});
  EXPECT_EQ(readFileBytes(dir.path() + "NORVrun.log"),
            "05-Mar-24 14:07:09 Varko64 Printfile " + U8(printed.reportFile) + " Text /usr/bin/gedit\r\n");
}

TEST(PrintFile, AnExistingReportIsOpenedUnchangedWithoutACopy) {
  TempDir dir;
  ExeIn exe(dir);
  const Text listing = dir.text() + u"MyReport.txt";
  dir.write("MyReport.txt", "as it was\r\n");
  PrintedFile printed = xcPrintFile(listing, u"Text", FakeClock(moment()), dir.text() + u"out", u"Notepad.exe",
                                    [](const Text& name) { return name == u"kate" ? Text(u"/usr/bin/kate") : Text(); });
  EXPECT_EQ(printed.reportFile, listing);
  EXPECT_EQ(readFileBytes(U8(listing)), "as it was\r\n");
  EXPECT_FALSE(xcFolderExists(dir.text() + u"out"));
  EXPECT_EQ(printed.launch.program, u"/usr/bin/kate");
  EXPECT_NE(printed.message.find(u"You can use Notepad to view"), Text::npos);
}

TEST(PrintFile, ARunLogThatCannotBeWrittenStopsAfterTheReport) {
  TempDir dir;
  ExeIn exe(dir);
  dir.mkdir("NORVrun.log");
  const Text listing = dir.text() + u"Varko-2.txt";
  xcWriteReportLines(listing, {u"a"});
  EXPECT_THROW(xcPrintFile(listing, u"Text", FakeClock(moment()), dir.text(), u"Notepad.exe"), EFileError);
  EXPECT_TRUE(xcFileExists(dir.text() + u"Report-Varko-2.txt"));
}

TEST(ReportEditor, EditFileOfNorvIniBesideTheExecutableElseNotepad) {
  TempDir dir;
  ExeIn exe(dir);
  EXPECT_EQ(xcReportEditor(), u"Notepad.exe");
  dir.write("NORV.INI", "[Settings]\r\nEditFile=  /usr/bin/kate  \r\n");
  EXPECT_EQ(xcReportEditor(), u"/usr/bin/kate");
  dir.write("NORV.INI", "[Settings]\r\nEditFile=\r\n");
  EXPECT_EQ(xcReportEditor(), u"Notepad.exe");
}
