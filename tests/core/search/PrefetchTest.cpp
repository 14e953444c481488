#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "search/FilePrefetcher.h"
#include "search/SearchSession.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

// A clock that never moves, read safely from several threads.
class FixedClockHost : public QuietRunHost {
public:
  FixedClockHost() : QuietRunHost(SystemClock::instance()) {}  // now() below is the clock
  DateTimeValue now() const override { return 45356.5; }
};

std::string randomFile(std::mt19937& rng) {
  static const char* words[] = {"mutex", "Mutex", "lock", "unlock", "MUTEX_T", "x_mutex", "caf\xC3\xA9",
                                "stra\xC3\x9F" "e", "\t", " ", "(mutex)", "lockmutex", "wait", "a"};
  std::uniform_int_distribution<int> lines(0, 40), perLine(0, 8), word(0, 13), ending(0, 3), kind(0, 19);
  std::string out;
  int k = kind(rng);
  if (k == 0) return std::string("\x00\x01\x02\x03\x04\x05\x06mutex", 12);  // not text
  if (k == 1) return "";
  int n = lines(rng);
  for (int i = 0; i < n; ++i) {
    int m = perLine(rng);
    for (int j = 0; j < m; ++j) out += std::string(words[word(rng)]) + (j + 1 < m ? " " : "");
    static const char* ends[] = {"\n", "\r\n", "\r", "\n\r"};
    out += ends[ending(rng)];
  }
  if (k == 2) out += "\xE9t\xE9 mutex\n";  // Windows-1252 bytes
  return out;
}

struct Snapshot {
  std::vector<std::array<Text, 4>> rows;
  Text status, progress;
};

Snapshot runWith(SearchRequest request, int threads) {
  FixedClockHost host;
  SearchSession session(host);
  request.threads = threads;
  session.btnGoClick(request);
  Snapshot s;
  const auto& g = session.grdFound();
  for (int r = 0; r < g.rowCount(); ++r) s.rows.push_back({g.cell(0, r), g.cell(1, r), g.cell(2, r), g.cell(3, r)});
  s.status = host.statusText;
  s.progress = host.progressText;
  return s;
}

int session_rows_with_line_numbers(const Snapshot& s) {
  return static_cast<int>(std::count_if(s.rows.begin(), s.rows.end(), [](const auto& row) {
    return !row[0].empty() && row[0] != u"0";
  }));
}

TEST(Prefetch, WorkerThreadsGiveExactlyTheRowsOfOneThread) {
  TempDir dir;
  std::mt19937 rng(12345);
  for (int i = 0; i < 300; ++i) {
    std::string name = "d" + std::to_string(i % 7) + "/sub" + std::to_string(i % 3) + "/f" + std::to_string(i) +
                       (i % 5 == 0 ? ".h" : ".txt");
    dir.write(name, randomFile(rng));
  }
  SearchRequest base;
  base.folder = dir.text();
  base.subFolders = true;
  base.searchText = u"mutex";

  std::vector<SearchRequest> requests;
  requests.push_back(base);
  auto whole = base;
  whole.wholeWords = true;
  whole.caseInsensitive = false;
  requests.push_back(whole);
  auto google = base;
  google.googleFind = true;
  google.searchText = u"lock mutex";
  requests.push_back(google);
  auto multiple = base;
  multiple.stringMode = kAdvancedMode;
  multiple.strings = {{u"unlock", u""}, {u"mutex", u""}, {u"caf\u00e9", u""}};
  requests.push_back(multiple);
  auto extras = base;
  extras.listAllFilenames = true;
  extras.testInfo = true;  // the file search list itself is listed too
  extras.searchFilename = true;
  extras.searchText = u"sub1";
  extras.replace.showFilesWithNoMatches = true;
  requests.push_back(extras);
  auto simpleScan = base;
  simpleScan.alwaysUseAdvancedFolderScan = false;  // the list is fed to the workers after the scan
  requests.push_back(simpleScan);
  auto inverted = base;
  inverted.replace.showLinesNoMatches = true;
  inverted.fileSpec = u"*.h";
  requests.push_back(inverted);

  for (size_t i = 0; i < requests.size(); ++i) {
    Snapshot one = runWith(requests[i], 0);
    Snapshot many = runWith(requests[i], 3);
    ASSERT_GT(one.rows.size(), 20u) << i;
    EXPECT_EQ(one.rows, many.rows) << "request " << i;
    EXPECT_EQ(one.status, many.status) << "request " << i;
    EXPECT_EQ(one.progress, many.progress) << "request " << i;
  }
}

// Large files hand their lines to the run in parts, before they are done; small files between
// them still come in order.
TEST(Prefetch, LargeFilesInPartsGiveTheRowsOfOneThread) {
  TempDir dir;
  std::string large;
  int largeMatches = 0;
  for (int i = 0; large.size() < (5u << 20); ++i) {
    large += i % 10 ? "some text\n" : "line with mutex\n";
    largeMatches += i % 10 == 0;
  }
  for (int i = 0; i < 3; ++i) {
    dir.write("f" + std::to_string(i) + "-large.txt", large);
    dir.write("f" + std::to_string(i) + "-small.txt", "mutex\n");
  }
  SearchRequest request;
  request.folder = dir.text();
  request.searchText = u"mutex";
  Snapshot one = runWith(request, 0);
  Snapshot many = runWith(request, 2);
  EXPECT_EQ(one.rows, many.rows);
  EXPECT_EQ(one.status, many.status);
  EXPECT_EQ(session_rows_with_line_numbers(one), 3 * (largeMatches + 1));
}

TEST(Prefetch, StoppingEarlyLeavesNoWorkerBehind) {
  TempDir dir;
  for (int i = 0; i < 400; ++i) dir.write("f" + std::to_string(i) + ".txt", "mutex\n");
  class StoppingHost : public FixedClockHost {
  public:
    SearchSession* session = nullptr;
    int rounds = 0;
    void processEvents() override {
      if (session && session->running() && ++rounds == 3) session->btnStopClick();
    }
  } host;
  SearchSession session(host);
  host.session = &session;
  SearchRequest request;
  request.threads = 2;
  request.folder = dir.text();
  request.fast = false;
  request.searchText = u"mutex";
  session.btnGoClick(request);
  EXPECT_LT(session.matchedLines(), 400);
  EXPECT_EQ(session.abortedSuffix(), u" (aborted)");
}

// Outcomes handed back are refilled for later entries: nothing of an earlier file may show.
// Outcomes handed over in order, each as examining its file alone gives it, whatever the room
// the workers have and however the feed keeps pace; recycled outcomes carry nothing over.
void expectOutcomesInOrder(size_t ahead, size_t heldBytes, bool liveFeed) {
  TempDir dir;
  std::mt19937 rng(777);
  std::vector<Text> paths;
  for (int i = 0; i < 200; ++i) {
    std::string name = "f" + std::to_string(i) + ".txt";
    dir.write(name, randomFile(rng));
    paths.push_back(pathToText(dir.file(name)));
  }
  paths.push_back(pathToText(dir.file("missing.txt")));  // gone: an error outcome between others
  for (int i = 0; i < 10; ++i) paths.push_back(paths[static_cast<size_t>(i * 7)]);
  LineMatcher matcher;
  matcher.searchString = u"mutex";
  matcher.ignoreCase = true;
  matcher.prepare();
  ExamineOptions options;
  options.entriesAreFiles = true;
  FixedClockHost clock;
  PathFeed feed;
  std::thread pusher;
  if (liveFeed) {
    pusher = std::thread([&] {
      for (const auto& p : paths) feed.push(p);
      feed.finish();
    });
  } else {
    for (const auto& p : paths) feed.push(p);
    feed.finish();
  }
  {
    FilePrefetcher prefetcher(feed, options, matcher, clock, 2, ahead, heldBytes);
    ExamineBuffers buffers;
    for (size_t i = 0; i < paths.size(); ++i) {
      std::unique_ptr<FileOutcome> got = prefetcher.take(i);
      FileOutcome fresh = xcExamineFile(paths[i], options, matcher, clock, buffers);
      ASSERT_EQ(got->path, fresh.path) << i;
      EXPECT_EQ(got->skipped, fresh.skipped) << i;
      EXPECT_EQ(got->textTest.isText, fresh.textTest.isText) << i;
      EXPECT_EQ(got->textTest.errorText, fresh.textTest.errorText) << i;
      EXPECT_EQ(got->load.loaded, fresh.load.loaded) << i;
      EXPECT_EQ(got->matchesInFile, fresh.matchesInFile) << i;
      EXPECT_EQ(got->linesExamined, fresh.linesExamined) << i;
      ASSERT_EQ(got->lines.size(), fresh.lines.size()) << i;
      for (size_t k = 0; k < fresh.lines.size(); ++k) {
        EXPECT_EQ(got->lines[k].lineNumber, fresh.lines[k].lineNumber) << i;
        EXPECT_EQ(got->lines[k].position, fresh.lines[k].position) << i;
        EXPECT_EQ(got->text(got->lines[k]), fresh.text(fresh.lines[k])) << i;
      }
      prefetcher.giveBack(i, std::move(got));
    }
  }
  if (pusher.joinable()) pusher.join();
}

TEST(Prefetch, ReusedOutcomesCarryNothingOverFromEarlierFiles) {
  expectOutcomesInOrder(3, size_t{8} << 20, false);
  expectOutcomesInOrder(8192, size_t{8} << 20, true);
}

// With no bytes to spare, workers may examine only the entry the run needs next: the run must
// not wait for a later entry that waits for room.
TEST(Prefetch, OutcomesHeldForTheRunStayWithinTheByteLimitWithoutAStall) {
  expectOutcomesInOrder(64, 0, false);
  expectOutcomesInOrder(1024, 1, true);
  expectOutcomesInOrder(2, 0, true);
}

int openDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// Workers open files inside the folders the scan keeps open; every one is closed by the end of
// a run, also of a stopped one.
TEST(Prefetch, FoldersHeldOpenForTheWorkersAreAllClosed) {
  TempDir dir;
  for (int i = 0; i < 60; ++i)
    dir.write("d" + std::to_string(i % 20) + "/s" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".txt",
              "a mutex\n");
  int before = openDescriptors();
  class StoppingHost : public FixedClockHost {
  public:
    SearchSession* session = nullptr;
    int stopAt = 0;
    int rounds = 0;
    void processEvents() override {
      if (session && stopAt && session->running() && ++rounds == stopAt) session->btnStopClick();
    }
  };
  for (int stopAt : {0, 2, 5}) {
    StoppingHost host;
    host.stopAt = stopAt;
    SearchSession session(host);
    host.session = &session;
    SearchRequest request;
    request.threads = 2;
    request.folder = dir.text();
    request.subFolders = true;
    request.fast = false;
    request.searchText = u"mutex";
    session.btnGoClick(request);
    if (stopAt == 0) {
      EXPECT_EQ(session.matchedLines(), 60);
    }
    EXPECT_EQ(FolderHandle::openCount(), 0) << stopAt;
    EXPECT_EQ(openDescriptors(), before) << stopAt;
  }
}

// The table of descriptors is grown once before the run's threads start, to hold every folder
// the run may keep open: grown later, each doubling stalls all threads.
TEST(Prefetch, TheDescriptorTableIsGrownBeforeTheThreadsStart) {
  TempDir dir;
  dir.write("a.txt", "a mutex\n");
  int before = openDescriptors();
  FixedClockHost host;
  SearchSession session(host);
  SearchRequest request;
  request.threads = 2;
  request.folder = dir.text();
  request.searchText = u"mutex";
  session.btnGoClick(request);
  EXPECT_EQ(session.matchedLines(), 1);
  long slots = 0;
  {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("FDSize:", 0) == 0) slots = std::stol(line.substr(7));
  }
  EXPECT_GE(slots, FolderHandle::limit() + 256);
  EXPECT_EQ(openDescriptors(), before);
}

// A mask that fails in the middle of the scan ends the run the same way with workers, whose
// folder lister is stopped and whose folders are all let go.
TEST(Prefetch, AnInvalidMaskMetDuringTheScanLeavesNothingRunningOrOpen) {
  TempDir dir;
  for (int i = 0; i < 40; ++i) dir.write("d" + std::to_string(i % 8) + "/f" + std::to_string(i) + ".txt", "hit\n");
  int before = openDescriptors();
  std::vector<Snapshot> runs;
  for (int threads : {0, 2}) {
    SearchRequest request;
    request.folder = dir.text();
    request.subFolders = true;
    request.fileSpec = u"[a";
    request.searchText = u"hit";
    runs.push_back(runWith(request, threads));
    EXPECT_EQ(FolderHandle::openCount(), 0) << threads;
    EXPECT_EQ(openDescriptors(), before) << threads;
  }
  EXPECT_EQ(runs[0].rows, runs[1].rows);
  EXPECT_EQ(runs[0].status, runs[1].status);
}

// A UTF-16 line with a lone surrogate cannot be held as UTF-8: its row keeps it exactly, with
// workers as without. (Characters whose bytes are printable ASCII, or the text test takes the
// file for binary.)
TEST(Prefetch, ALineUtf8CannotHoldReachesItsRowExactly) {
  TempDir dir;
  std::string utf16 = "\xFF\xFE";  // little-endian byte-order mark
  for (char16_t c : std::u16string(u"\x6D75\xDC41\x7478")) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  dir.write("wide.txt", utf16);
  SearchRequest request;
  request.folder = dir.text();
  request.searchText = u"\x6D75";
  for (int threads : {0, 2}) {
    Snapshot s = runWith(request, threads);
    std::vector<Text> texts;
    for (const auto& row : s.rows)
      if (row[0] == u"1") texts.push_back(row[1]);
    EXPECT_EQ(texts, (std::vector<Text>{u"\x6D75\xDC41\x7478"})) << threads;
  }
}
}  // namespace
