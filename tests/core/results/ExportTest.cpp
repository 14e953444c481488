#include "results/Export.h"

#include <gtest/gtest.h>

#include "lib/DateTime.h"
#include "support/FoundGrid.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

using Row = GridRow;

const Text kHeaderLine = u"Date\tText\tFilename\tDateTime\tSize\tLine No.\tLine";

// Counts the lookups and knows every file as 2024-01-02, 99 bytes.
struct CountingLookup {
  TextList asked;
  FileFactsLookup function() {
    return [this](const Text& path) {
      asked.push_back(path);
      return FileFacts{u"2024-01-02 03:04:05", 99};
    };
  }
};

}  // namespace

TEST(Spreadsheet, AGridOfOnlyMessageRowsGivesJustTheSepAndHeaderLines) {
  TempDir dir;
  ResultTable grid = gridOf({{0, "Searching 3 files/folders starts 14:07:09", ""},
                             {0, "_________________________________", ""},
                             {0, "(No Matches Found)", ""}});
  ExportSet set;
  set.fileName = dir.text() + u"Varko-240305-140709.txt";
  const Text written = xcWriteSpreadsheet(grid, set, true, true);
  EXPECT_EQ(written, dir.text() + u"Varko-240305-140709.csv");
  EXPECT_EQ(readFileBytes(U8(written)), "sep=\t\r\n" + U8(kHeaderLine) + "\r\n");
}

TEST(Spreadsheet, MatchRowsOnlyWithSevenFieldsAndTabsInTheLineAsBlanks) {
  CountingLookup lookup;
  ResultTable grid = gridOf({{0, "/d/a.txt", "/d/a.txt"},
                             {3, "one\ttwo", "/d/a.txt", 1},
                             {-1, "Could not read", "/d/b.txt"},
                             {0, "1 match", ""}});
  TextList lines = xcSpreadsheetLines(grid, u"2024-03-05 14:07:09", u"one,two", false, false, lookup.function());
  EXPECT_EQ(lines, TextList{u"2024-03-05 14:07:09\tone,two\t/d/a.txt\t2024-01-02 03:04:05\t99\t3\tone two"});
}

TEST(Spreadsheet, RowsOfOneFileShareOneLookup) {
  CountingLookup lookup;
  ResultTable grid = gridOf({{1, "x", "/d/a.txt"}, {2, "x", "/d/a.txt"}, {0, "/d/b.txt", "/d/b.txt"},
                             {5, "x", "/d/b.txt"}, {6, "x", "/d/a.txt"}});
  xcSpreadsheetLines(grid, u"", u"", true, true, lookup.function());
  EXPECT_EQ(lookup.asked, (TextList{u"/d/a.txt", u"/d/b.txt", u"/d/a.txt"}));
}

TEST(Spreadsheet, TheRealLookupGivesDateAndSizeAndNothingForADeletedFile) {
  TempDir dir;
  const std::string kept = dir.write("kept.txt", "12345");
  setFileTime(kept, 2023, 7, 8, 9, 10, 12);
  FileFacts facts = lookUpFileFacts(T(kept));
  EXPECT_EQ(facts.dateText, u"2023-07-08 09:10:12");
  EXPECT_EQ(facts.size, 5);
  ResultTable grid = gridOf({{4, "gone", dir.path() + "deleted.txt"}});
  TextList lines = xcSpreadsheetLines(grid, u"P", u"S", false, false);
  EXPECT_EQ(lines, TextList{u"P\tS\t" + dir.text() + u"deleted.txt\t\t0\t4\tgone"});
}

TEST(Spreadsheet, UncheckedCsvGivesTheSsTabNameWithoutTheSepLine) {
  TempDir dir;
  ExportSet set;
  set.fileName = dir.text() + u"Varko-240305-140709.txt";
  set.printTime = u"2024-03-05 14:07:09";
  set.requestStrings = u"needle";
  ResultTable grid = gridOf({{2, "a needle", dir.path() + "x.txt", 3}});
  const Text written = xcWriteSpreadsheet(grid, set, false, false, [](const Text&) { return FileFacts{}; });
  EXPECT_EQ(written, dir.text() + u"Varko-240305-140709-SS-Tab.txt");
  EXPECT_EQ(readFileBytes(U8(written)), "2024-03-05 14:07:09\tneedle\t" + dir.path() + "x.txt\t\t0\t2\ta needle\r\n");
}

TEST(Spreadsheet, NonAsciiLinesAndNamesAreWrittenAsUtf8) {
  TempDir dir;
  ExportSet set;
  set.fileName = dir.text() + u"Varko-é.txt";
  set.requestStrings = u"größe";
  ResultTable grid = gridOf({{9, "Größe € 𝄞", "/d/naïve ü.txt"}});
  const Text written = xcWriteSpreadsheet(grid, set, false, false, [](const Text&) { return FileFacts{}; });
  EXPECT_EQ(readFileBytes(U8(written)), "\tgröße\t/d/naïve ü.txt\t\t0\t9\tGröße € 𝄞\r\n");
}
