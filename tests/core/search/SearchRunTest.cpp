#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "lib/DateTime.h"
#include "search/SearchSession.h"
#include "setup/SearchSetup.h"
#include "support/FakeRunHost.h"
#include "support/TestSupport.h"
#include "support/DeepTree.h"

using namespace varko;
using namespace varko::test;
using namespace std::literals;

namespace {

struct Row {
  std::string line, text, path, pos;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "[" << r.line << "|" << r.text << "|" << r.path << "|" << r.pos << "]";
}

class SearchRun : public ::testing::Test {
protected:
  SearchRun() : session(host) {
    request.folder = dir.text();
    request.fileSpec = u"*.*";
  }

  void run(const std::string& text) {
    request.searchText = T(text);
    session.btnGoClick(request);
  }

  std::vector<Row> rows() const {
    std::vector<Row> out;
    const auto& g = session.grdFound();
    for (int r = 0; r < g.rowCount(); ++r)
      out.push_back({U8(g.cell(0, r)), U8(g.cell(1, r)), U8(g.cell(2, r)), U8(g.cell(3, r))});
    return out;
  }

  // The rows after the run's preamble ("_____" row), without the final summary rows.
  std::vector<Row> resultRows() const {
    auto all = rows();
    size_t i = 0;
    while (i < all.size() && all[i].text != "_________________________________") ++i;
    return std::vector<Row>(all.begin() + static_cast<long>(std::min(i + 1, all.size())), all.end());
  }

  std::vector<Row> matchRows() const {
    std::vector<Row> out;
    for (const auto& r : rows())
      if (!r.line.empty() && r.line != "-1") out.push_back(r);
    return out;
  }

  bool hasRow(const std::string& text) const {
    for (const auto& r : rows())
      if (r.text == text) return true;
    return false;
  }

  TempDir dir;
  FakeRunHost host;
  SearchSession session;
  SearchRequest request;
};

TEST_F(SearchRun, SimpleSearchWritesRequestRowsThenFileAndMatchRowsThenSummary) {
  std::string a = dir.write("a.txt", "one mutex\r\ntwo\r\nMUTEX three\r\n");
  dir.write("b.txt", "nothing here\n");
  run("mutex");
  auto all = rows();
  ASSERT_GE(all.size(), 6u);
  EXPECT_EQ(all[0].text, "Folders=" + dir.path() + " Filespec=*.*  String=mutex");
  EXPECT_EQ(all[1].text, "Path0 = " + dir.path());
  EXPECT_EQ(all[2].text, "Filemask0 = *.*");
  EXPECT_EQ(all[3].text, "String1 = mutex");
  EXPECT_EQ(all[4].text.rfind("ZEQPaths=1 ZEQFileSpec=1  Strings=1 - Files=2 - folder scan time=", 0), 0u);
  EXPECT_EQ(all[5].text.rfind("Searching 2 files/folders starts 12:00:", 0), 0u);
  std::vector<Row> expected = {
      {"", a, a, ""},
      {"1", "one mutex", a, "5"},
      {"3", "MUTEX three", a, "1"},
  };
  EXPECT_EQ(resultRows(), expected);
  EXPECT_EQ(U8(host.statusText).rfind("Matched Lines=2 of 4 - Files=1 of 2 - time=", 0), 0u);
  EXPECT_EQ(session.grdFound().currentRow(), session.grdFound().rowCount() - 1);
  EXPECT_EQ(host.focus, u"grdFound");
  EXPECT_EQ(host.runState, kRunFinished);
  EXPECT_FALSE(session.running());
  EXPECT_EQ(host.progressText, u"");
}

TEST_F(SearchRun, EmptyStringStartsNothingAndShowsNoMessage) {
  dir.write("a.txt", "text\n");
  session.AddFoundMessage(u"left from before");
  run("");
  EXPECT_EQ(session.grdFound().rowCount(), 1);
  EXPECT_EQ(session.grdFound().cell(1, 0), u"");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.focus, u"edtString");
  EXPECT_EQ(session.lastOutcome(), RunOutcome::Refused);
  EXPECT_TRUE(host.stateHistory.empty());
}

TEST_F(SearchRun, MultipleModeRefusesNoStringsAndBlankStrings) {
  request.stringMode = kAdvancedMode;
  request.strings.clear();
  run("");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], u"Nothing to search for");

  request.strings = {{u"abc", u""}, {u"   ", u""}};
  run("");
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1], u"Search array contains blank elements - fix!");
  EXPECT_EQ(session.lastOutcome(), RunOutcome::Refused);
}

TEST_F(SearchRun, MultipleModeFirstStringInTableOrderDecidesThePosition) {
  std::string a = dir.write("a.txt", "xbx abc\nnone\n");
  request.stringMode = kAdvancedMode;
  request.strings = {{u"abc", u""}, {u"b", u""}};
  run("");
  std::vector<Row> expected = {{"1", "xbx abc", a, "5"}};
  EXPECT_EQ(matchRows(), expected);
  EXPECT_TRUE(hasRow("String1 = abc"));
  EXPECT_TRUE(hasRow("String2 = b"));
  EXPECT_EQ(session.stringsText(), u"Search Strings: (Multiple)\r\nabc\r\nb\r\n");

  // edtString after the replace window; with the simple folder scan the export's Text field
  // still holds the run's strings on one line.
  request.alwaysUseAdvancedFolderScan = false;
  request.searchText = u"Replace - Strings to find:\r\nabc,b";
  session.btnGoClick(request);
  EXPECT_EQ(session.requestStringsText(), u"abc,b");
}

TEST_F(SearchRun, OmitRulesTestTheWholePathWithTheirOwnLetterCase) {
  request.subFolders = true;
  dir.write("tools.exe.d/inside.txt", "hit\n");
  std::string dll = dir.write("A.DLL", "hit\n");
  dir.write("A.BAK", "hit\n");
  dir.write("x.dcu", "hit\n");
  dir.write("y.map", "hit\n");
  dir.write("z-VarkoSearchReplace-1-bak.txt", "hit\n");
  dir.write("Varko-SearchReplace.log", "hit\n");
  run("hit");
  std::vector<Row> expected = {{"1", "hit", dll, "1"}};
  EXPECT_EQ(matchRows(), expected);

  request.omitBinBak = false;
  request.omitVarkoSR = false;
  run("hit");
  EXPECT_EQ(matchRows().size(), 7u);
}

// Cancel on a line turns replacing off for the rest of the run: the files saved before count.
class CancellingReplacer : public ReplaceHandler {
public:
  ReplaceJobResult VarkoReplaceStrSubFile(const ReplaceJob&) override {
    ReplaceJobResult result;
    result.replaceOff = ++files == 2;
    result.replaced = files == 1 ? 3 : 0;
    return result;
  }
  void ClearReplaceLists() override {}
  Text takeNotice() override { return files == 2 ? Text(u"Permission denied") : Text(); }
  int files = 0;
};

TEST_F(SearchRun, TheReplacedCountStaysAfterACancelAndAFileNotReplacedGetsANotice) {
  dir.write("a.txt", "hit\n");
  dir.write("b.txt", "hit\n");
  CancellingReplacer replacer;
  session.setReplaceHandler(&replacer);
  session.SetReplaceOffOrOn(ReplaceSwitch::On);
  request.searchText = u"hit";
  session.DoSearch(request);
  EXPECT_EQ(replacer.files, 2);
  EXPECT_FALSE(session.replaceOn());
  EXPECT_EQ(session.replacedText(), u" Replaced=3");
  EXPECT_TRUE(hasRow("Not replaced"));  // what the file that could not be replaced gets below it
  EXPECT_TRUE(hasRow("Permission denied"));
}

TEST_F(SearchRun, AMapFilespecInAnyCaseLetsMapFilesThrough) {
  std::string map = dir.write("prog.map", "hit\n");
  request.fileSpec = u"*.MAP";
  run("hit");
  std::vector<Row> expected = {{"1", "hit", map, "1"}};
  EXPECT_EQ(matchRows(), expected);
}

TEST_F(SearchRun, ThreeLetterExtensionsAreMatchedExactlyByTheSimpleScannerToo) {
  std::string htm = dir.write("page.htm", "hit\n");
  std::string html = dir.write("page.html", "hit\n");
  request.alwaysUseAdvancedFolderScan = false;
  request.fileSpec = u"*.htm";
  run("hit");
  ASSERT_EQ(matchRows().size(), 1u);
  EXPECT_EQ(matchRows()[0].path, htm);
  request.fileSpec = u"*.ht*";
  run("hit");
  EXPECT_EQ(matchRows().size(), 2u);
}

TEST_F(SearchRun, FilenameMatchCountsAFileEvenWhenItIsNotText) {
  std::string bin = dir.write("needle.bin", std::string("\x00\x01\x02\x03\x04\x05\x06", 7) + "abc");
  request.searchFilename = true;
  request.wholeWords = true;  // the path test ignores whole words
  run("needle");
  std::vector<Row> expected = {{"", bin, bin, ""}};
  EXPECT_EQ(resultRows(), std::vector<Row>({expected[0], {"", "(No Matches Found)", "", ""}}));
  EXPECT_EQ(U8(host.statusText).rfind("Matched Lines=0 of 0 - Files=1 of 1", 0), 0u);
}

TEST_F(SearchRun, ListAllFilenamesWritesARowForEveryTextFile) {
  std::string a = dir.write("a.txt", "hit\n");
  std::string b = dir.write("b.txt", "miss\n");
  std::string c = dir.write("hit.txt", "miss\n");
  request.listAllFilenames = true;
  request.searchFilename = true;
  run("hit");
  std::vector<Row> expected = {
      {"", a, a, ""}, {"1", "hit", a, "1"}, {"", b, b, ""}, {"", c, c, ""}, {"", c, c, ""},
  };
  EXPECT_EQ(resultRows(), expected);
}

TEST_F(SearchRun, TestInfoWithListAllListsTheFileSearchListOfEitherScanner) {
  std::string a = dir.write("a.txt", "miss\n");
  request.testInfo = true;
  request.listAllFilenames = true;
  run("hit");
  auto all = rows();
  auto at = [&](const std::string& text) {
    for (size_t i = 0; i < all.size(); ++i)
      if (all[i].text == text) return static_cast<long>(i);
    return -1L;
  };
  long start = at("Start of listing ZEQFIndFileSearchList");
  ASSERT_GE(start, 0);
  EXPECT_EQ(all[static_cast<size_t>(start) + 1].text, a);
  EXPECT_EQ(all[static_cast<size_t>(start) + 2].text, "End of listing ZEQFIndFileSearchList");
  EXPECT_EQ(session.FileSearchListItem(0), pathToText(a));
  EXPECT_EQ(session.FileSearchListItem(1), u"");
  EXPECT_EQ(session.FileSearchListItem(-1), u"");

  request.alwaysUseAdvancedFolderScan = false;
  run("hit");
  all = rows();
  start = at("Start of listing FIndFileSearchList");
  ASSERT_GE(start, 0);
  EXPECT_EQ(all[static_cast<size_t>(start) + 1].text, dir.path() + ".");
  EXPECT_EQ(U8(host.progressText), "");
  EXPECT_EQ(session.scannerChoice(), kScannerFindFile);
}

TEST_F(SearchRun, ManyMatchesKeepTheNewestRowsInView) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "hit\n";
  dir.write("a.txt", text);
  run("hit");
  const auto& g = session.grdFound();
  int lastMatchRow = -1;
  for (int r = 0; r < g.rowCount(); ++r)
    if (g.lineNumberCell(r) == 30) lastMatchRow = r;
  ASSERT_GT(lastMatchRow, 0);
  EXPECT_EQ(g.topRow(), lastMatchRow - 20);
}

TEST_F(SearchRun, ASlowFileShowsItsMatchesThenTheTooSlowNotice) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "hit line\n";
  std::string a = dir.write("a.txt", text);
  host.secondsPerClockRead = 0.001;  // every look at the clock costs a millisecond
  run("hit");
  auto result = resultRows();
  ASSERT_GT(result.size(), 10u);
  size_t firstNotice = 0;
  while (firstNotice < result.size() && result[firstNotice].line != "-1") ++firstNotice;
  ASSERT_LT(firstNotice + 2, result.size());
  EXPECT_GT(firstNotice, 100u);
  EXPECT_LT(firstNotice, 5000u);
  EXPECT_EQ(result[firstNotice], (Row{"-1", a, a, ""}));
  EXPECT_EQ(result[firstNotice + 1], (Row{"-1", "Searching File too slow", a, ""}));
  EXPECT_EQ(result[firstNotice + 2], (Row{"-1", "aborted after 2 seconds", a, ""}));
  // The lines examined before the cut are counted.
  EXPECT_EQ(session.linesSearched(), static_cast<int64_t>(firstNotice - 1));
}

TEST_F(SearchRun, NoMatchLinesAndNoMatchFiles) {
  std::string a = dir.write("a.txt", "hit\nmiss one\nmiss two\n");
  std::string b = dir.write("b.txt", "nothing\n");
  request.replace.showFilesWithNoMatches = true;
  run("hit");
  auto result = resultRows();
  ASSERT_GE(result.size(), 4u);
  EXPECT_EQ(result[result.size() - 2], (Row{"", "No Matches", "", ""}));
  EXPECT_EQ(result.back(), (Row{"", b, b, ""}));

  request.replace.showFilesWithNoMatches = false;
  request.replace.showLinesNoMatches = true;
  run("hit");
  std::vector<Row> expected = {{"2", "miss one", a, ""}, {"3", "miss two", a, ""}, {"1", "nothing", b, ""}};
  EXPECT_EQ(matchRows(), expected);
  EXPECT_EQ(session.matchedLines(), 3);
}

TEST_F(SearchRun, StopEndsTheRunAtTheNextEntryWithTheAbortedSuffix) {
  for (int i = 0; i < 5; ++i) dir.write("f" + std::to_string(i) + ".txt", "hit\n");
  request.fast = false;  // events run once per file
  int files = 0;
  host.onEvents = [&] {
    if (session.running() && U8(host.statusText).find(" of ") != std::string::npos && ++files == 2)
      session.btnStopClick();
  };
  run("hit");
  EXPECT_EQ(session.matchedLines(), 2);  // the file being examined is finished first
  EXPECT_EQ(host.progressText, u" (aborted)");
  EXPECT_EQ(U8(host.statusText).rfind("Matched Lines=2 of 2 - Files=2 of 5", 0), 0u);
  EXPECT_EQ(host.runState, kRunFinished);
  EXPECT_FALSE(session.running());
}

TEST_F(SearchRun, SummaryCountsFolderEntriesOfTheSimpleScanner) {
  dir.write("a.txt", "hit\n");
  dir.mkdir("sub");
  request.alwaysUseAdvancedFolderScan = false;
  request.fileSpec = u"*";
  run("hit");
  // ".", "..", "a.txt" and "sub" are all list entries.
  EXPECT_EQ(session.fileSearchListCount(), 4);
  EXPECT_EQ(U8(host.statusText).rfind("Matched Lines=1 of 1 - Files=1 of 4", 0), 0u);
}

TEST_F(SearchRun, GoogleWordsMatchInAnyOrderAtTheLeftmostWord) {
  std::string a = dir.write("a.txt", "dog and cat\ncat only\n");
  request.googleFind = true;
  run("cat dog");
  std::vector<Row> expected = {{"1", "dog and cat", a, "1"}};
  EXPECT_EQ(matchRows(), expected);
  EXPECT_EQ(session.stringsText(), u"Search Strings: (Google type find)\r\ncat\r\ndog\r\n");
}

TEST_F(SearchRun, GoogleWithSeveralStringsWarnsAndSearchesTheSingleString) {
  std::string a = dir.write("a.txt", "dog and cat\ncat only\n");
  request.googleFind = true;
  request.stringMode = kAdvancedMode;
  request.strings = {{u"zzz", u""}, {u"cat dog", u""}};
  run("");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(U8(host.messages[0]).rfind("Warning - Google find cannot be used with either\r\n\r\n1 - Replace or", 0), 0u);
  EXPECT_EQ(matchRows().size(), 1u);
}

TEST_F(SearchRun, AnInvalidMaskShowsItsMessageAndTheRunFinishes) {
  dir.write("a.txt", "hit\n");
  request.fileSpec = u"[a";
  run("hit");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].find(u"is an invalid mask at"), 5u);
  EXPECT_EQ(host.runState, kRunFinished);
  EXPECT_FALSE(session.running());
  EXPECT_TRUE(hasRow("(No Matches Found)"));
}

TEST_F(SearchRun, FifosSocketsAndLoopingLinksDoNotStopTheRun) {
  request.subFolders = true;
  request.fileSpec = u"*";
  std::string a = dir.write("sub/a.txt", "hit\n");
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
  ASSERT_EQ(symlink(dir.path().c_str(), dir.file("sub/loop").c_str()), 0);
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string sockPath = dir.file("sock");
  if (sockPath.size() < sizeof addr.sun_path) {
    std::copy(sockPath.begin(), sockPath.end(), addr.sun_path);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  run("hit");
  close(sock);
  std::vector<Row> expected = {{"1", "hit", a, "1"}};
  EXPECT_EQ(matchRows(), expected);

  request.alwaysUseAdvancedFolderScan = false;  // the simple scanner lists the FIFO but never opens it
  run("hit");
  EXPECT_EQ(matchRows(), expected);
}

TEST_F(SearchRun, NamesThatAreNotUtf8AreFoundAndConvertBackToTheSameBytes) {
  std::string odd = dir.write("caf\xE9 file.txt", "hit\n");
  run("hit");
  auto m = matchRows();
  ASSERT_EQ(m.size(), 1u);
  Text path = session.grdFound().pathCell(session.grdFound().currentRow());
  EXPECT_EQ(textToPath(path), odd);
  EXPECT_EQ(access(textToPath(path).c_str(), R_OK), 0);
}

TEST_F(SearchRun, AMissingFolderGivesAnEmptyList) {
  request.folder = dir.text() + u"missing";
  run("hit");
  EXPECT_EQ(session.fileSearchListCount(), 0);
  EXPECT_TRUE(hasRow("(No Matches Found)"));
  EXPECT_EQ(session.lastOutcome(), RunOutcome::Finished);
}

TEST_F(SearchRun, DateSelectionKeepsFilesInsideTheWindow) {
  std::string in = dir.write("in.txt", "hit\n");
  std::string out = dir.write("out.txt", "hit\n");
  setFileTime(in, 2024, 3, 31, 23, 59, 58);
  setFileTime(out, 2024, 4, 1, 0, 0, 0);
  request.fileSpecMode = kAdvancedMode;
  AdvancedList specs;
  specs.texts[0] = u"*.txt";
  specs.checked[0] = true;
  request.selectedFileSpecs = PrepareAdvancedFileSpecs(specs);
  request.dates = {true, u"01-Mar-24", u"00:00:00", u"31-Mar-24", u"23:59:59"};
  run("hit");
  std::vector<Row> expected = {{"1", "hit", in, "1"}};
  EXPECT_EQ(matchRows(), expected);
}

TEST_F(SearchRun, DateSelectionNeedsAnAdvancedModeAndUnreadableDatesRefuseTheRun) {
  std::string in = dir.write("in.txt", "hit\n");
  setFileTime(in, 2020, 1, 1, 0, 0, 0);
  request.dates = {true, u"01-Mar-24", u"00:00:00", u"31-Mar-24", u"23:59:59"};
  run("hit");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(U8(host.messages[0]).rfind("Varko V7 Selecting by Date/Time is an advanced option\r\n\r\n", 0), 0u);
  EXPECT_EQ(matchRows().size(), 1u);

  request.folderMode = kAdvancedMode;
  AdvancedList folders;
  folders.texts[0] = dir.text();
  folders.checked[0] = true;
  request.selectedFolders = PrepareAdvancedFolders(folders, kAdvancedMode, request.folder);
  request.dates.endDate = u"31-4-24";
  run("hit");
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_NE(host.messages[1].find(u"end date"), Text::npos);
  EXPECT_EQ(session.lastOutcome(), RunOutcome::Refused);
  EXPECT_FALSE(session.running());
  EXPECT_EQ(matchRows().size(), 0u);

  request.dates.endDate = u"31-Mar-24";
  request.dates.startTime = u"10:30:45 pm";
  run("hit");
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_NE(host.messages[2].find(u"start time"), Text::npos);
}

// Fault: a year above 9999 gave "Invalid argument to date encode" and no rows instead of the
// refusal naming the field.
TEST_F(SearchRun, RegressionYearAbove9999RefusesTheRunNamingTheField) {
  dir.write("in.txt", "hit\n");
  request.folderMode = kAdvancedMode;
  AdvancedList folders;
  folders.texts[0] = dir.text();
  folders.checked[0] = true;
  request.selectedFolders = PrepareAdvancedFolders(folders, kAdvancedMode, request.folder);
  const std::pair<DateSelectionFields, const char16_t*> cases[] = {
      {{true, u"5-3-20245", u"00:00:00", u"31-Mar-24", u"23:59:59"}, u"start date"},
      {{true, u"01-Mar-24", u"00:00:00", u"1-1-10000", u"23:59:59"}, u"end date"},
  };
  for (const auto& [dates, field] : cases) {
    host.messages.clear();
    request.dates = dates;
    run("hit");
    ASSERT_EQ(host.messages.size(), 1u) << U8(field);
    EXPECT_NE(host.messages[0].find(field), Text::npos) << U8(host.messages[0]);
    EXPECT_EQ(host.messages[0].find(u"date encode"), Text::npos);
    EXPECT_EQ(session.lastOutcome(), RunOutcome::Refused);
    EXPECT_EQ(matchRows().size(), 0u);
  }
}

TEST_F(SearchRun, FasterHidesTheGridAndShowsProgressAtMostOnceASecond) {
  for (int i = 0; i < 5; ++i) dir.write("f" + std::to_string(i) + ".txt", "hit\n");
  request.subFolders = true;
  host.current = 45356.5;
  run("hit");
  int searching = 0;
  for (const auto& s : host.statusHistory)
    if (U8(s).rfind("Searching ", 0) == 0 && s != u"Searching files..") ++searching;
  EXPECT_EQ(searching, 1);  // the clock did not move: only the first file was shown
  EXPECT_TRUE(host.gridShown);  // shown again at the end
}

TEST_F(SearchRun, ANewRequestWhileRunningIsIgnored) {
  dir.write("a.txt", "hit\n");
  bool nested = false;
  host.onEvents = [&] {
    if (session.running() && !nested) {
      nested = true;
      session.DoSearch(request);
      EXPECT_EQ(session.lastOutcome(), RunOutcome::Ignored);
    }
  };
  run("hit");
  EXPECT_TRUE(nested);
  EXPECT_EQ(session.lastOutcome(), RunOutcome::Finished);
  EXPECT_EQ(session.matchedLines(), 1);
}

std::string utf16(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

TEST_F(SearchRun, Utf8AndUtf16FilesAreSearchedWithCharacterPositionsUnlessThe8BitTestIsOn) {
  std::string le = dir.write("le.txt", utf16(u"first\r\nsecond mutex\r\n", false));
  std::string be = dir.write("be.txt", utf16(u"x\u00e9\U0001F600 mutex", true));
  std::string u8 = dir.write("u8.txt", "\xC3\xA7" "a \xC3\xA9t\xC3\xA9 tr\xC3\xA8s bien\nsix: \xC3\xA9\xC3\xA8\xC3\xAA\xC3\xAB mutex\n");
  request.threads = 2;  // the workers' path as well as the run's own
  run("mutex");
  std::vector<Row> expected = {
      {"1", U8(u"x\u00e9\U0001F600 mutex"), be, "6"},
      {"2", "second mutex", le, "8"},
      {"2", "six: \xC3\xA9\xC3\xA8\xC3\xAA\xC3\xAB mutex", u8, "11"},
  };
  EXPECT_EQ(matchRows(), expected);
  request.asciiTextTest = true;
  run("mutex");
  EXPECT_TRUE(matchRows().empty());
}

TEST_F(SearchRun, ListSkippedGivesARowPerFileNotSearchedAndCountsByReasonWithEitherScanner) {
  std::string bin = dir.write("bin.dat", "\0\0a"s);
  std::string bak = dir.write("old.bak", "hit\n");
  std::string own = dir.write("a-VarkoSearchReplace-20240305-bak.txt", "hit\n");
  std::string special = dir.file("pipe.txt");
  ASSERT_EQ(mkfifo(special.c_str(), 0644), 0);
  dir.write("node_modules/x.txt", "hit\n");
  std::string hit = dir.write("ok.txt", "hit\n");
  request.subFolders = true;
  request.excludedFolders = {u"node_modules"};
  request.listSkipped = true;
  for (bool multiPath : {true, false}) {
    request.alwaysUseAdvancedFolderScan = multiPath;
    run("hit");
    std::vector<std::string> skipRows;
    for (const Row& r : rows())
      if (r.text.rfind("Skipped (", 0) == 0) {
        EXPECT_EQ(r.line, "-1");
        EXPECT_EQ(r.text.substr(r.text.find(") ") + 2), r.path);
        skipRows.push_back(r.text);
      }
    std::sort(skipRows.begin(), skipRows.end());
    std::vector<std::string> expected = {"Skipped (binary/backup) " + bak,
                                         "Skipped (excluded folder) " + dir.path() + "node_modules/",
                                         "Skipped (not text) " + bin, "Skipped (own file) " + own,
                                         "Skipped (special file) " + special};
    EXPECT_EQ(skipRows, expected) << multiPath;
    EXPECT_TRUE(hasRow("Skipped: not text=1 binary/backup=1 own file=1 date window=0 unreadable=0 "
                       "special file=1 too slow=0 excluded folder=1"))
        << multiPath;
    EXPECT_EQ(matchRows(), (std::vector<Row>{{"1", "hit", hit, "1"}}));
  }
  request.listSkipped = false;
  run("hit");
  for (const Row& r : rows()) EXPECT_NE(r.text.rfind("Skipped", 0), 0u) << r;
}

TEST_F(SearchRun, ListSkippedNamesUnreadableEntriesWithTheSystemText) {
  // The simple scanner lists a dangling link; the run cannot open it.
  std::string gone = dir.file("gone.txt");
  ASSERT_EQ(symlink("nowhere", gone.c_str()), 0);
  request.alwaysUseAdvancedFolderScan = false;
  request.listSkipped = true;
  run("hit");
  EXPECT_TRUE(hasRow("Skipped (unreadable: No such file or directory) " + gone));
  EXPECT_EQ(session.skippedCount(SkipReason::Unreadable), 1);
}

TEST_F(SearchRun, ListSkippedNamesFilesOutsideTheDateWindowAfterTheScanSummary) {
  std::string in = dir.write("in.txt", "hit\n");
  std::string out = dir.write("out.txt", "hit\n");
  setFileTime(in, 2024, 3, 10, 0, 0, 0);
  setFileTime(out, 2024, 4, 1, 0, 0, 0);
  request.folderMode = kAdvancedMode;
  request.selectedFolders = {{dir.text()}, dir.text()};
  request.dates = {true, u"01-Mar-24", u"00:00:00", u"31-Mar-24", u"23:59:59"};
  request.listSkipped = true;
  run("hit");
  auto all = rows();
  size_t summary = 0;
  while (summary < all.size() && all[summary].text.rfind("ZEQPaths=", 0) != 0) ++summary;
  ASSERT_LT(summary + 1, all.size());
  EXPECT_EQ(all[summary + 1], (Row{"-1", "Skipped (date window) " + out, out, ""}));
  EXPECT_EQ(session.skippedCount(SkipReason::DateWindow), 1);
}

TEST_F(SearchRun, ListSkippedCountsASlowFileUnderItsExistingNotice) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "hit line\n";
  std::string a = dir.write("a.txt", text);
  host.secondsPerClockRead = 0.001;
  request.listSkipped = true;
  run("hit");
  EXPECT_TRUE(hasRow("Searching File too slow"));
  EXPECT_EQ(session.skippedCount(SkipReason::TooSlow), 1);
  for (const Row& r : rows()) EXPECT_NE(r.text.rfind("Skipped (", 0), 0u) << r;
}

TEST_F(SearchRun, ExcludedFoldersAreCountedInTheScanSummaryOfEitherScanner) {
  dir.write("build/a.txt", "hit\n");
  dir.write("src/build/b.txt", "hit\n");
  std::string c = dir.write("src/c.txt", "hit\n");
  request.subFolders = true;
  request.excludedFolders = xcSplitFolderNames(u" node_modules ;build;;");
  for (bool multiPath : {true, false}) {
    request.alwaysUseAdvancedFolderScan = multiPath;
    run("hit");
    EXPECT_EQ(matchRows(), (std::vector<Row>{{"1", "hit", c, "1"}})) << multiPath;
    bool counted = false;
    for (const Row& r : rows())
      counted |= r.text.rfind(multiPath ? "ZEQPaths=" : "Files=", 0) == 0 && r.text.ends_with(" - Excluded folders=2");
    EXPECT_TRUE(counted) << multiPath;
  }
}

TEST(FolderNames, SplitAtSemicolonsTrimmedWithoutBlanks) {
  EXPECT_EQ(xcSplitFolderNames(u"node_modules;build;.venv"), (TextList{u"node_modules", u"build", u".venv"}));
  EXPECT_EQ(xcSplitFolderNames(u" a b ; ;c;"), (TextList{u"a b", u"c"}));
  EXPECT_TRUE(xcSplitFolderNames(u"").empty());
}

}  // namespace

// Folders nested past PATH_MAX were once listed as empty without a word: now paths the system
// refuses as too long are opened in pieces.
TEST_F(SearchRun, FoldersNestedPastThePathLimitAreSearchedByEitherScanner) {
  const std::string leaf = makeDeepFile(dir.path(), 500);  // 500 x 11 bytes: past the 4096 of PATH_MAX
  request.subFolders = true;
  request.listSkipped = true;
  for (bool multiPath : {true, false})
    for (int threads : {0, 2}) {
      request.alwaysUseAdvancedFolderScan = multiPath;
      request.threads = threads;
      run("needle");
      EXPECT_EQ(matchRows(), (std::vector<Row>{{"1", "needle", leaf, "1"}})) << multiPath << " " << threads;
      EXPECT_EQ(session.skippedCount(SkipReason::Unreadable), 0) << multiPath << " " << threads;
    }
}
