// Trees that change under a run, and trees the run may not read: the run ends, names each file
// or folder it could not search with the reason, and keeps what it could search.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "search/SearchSession.h"
#include "support/FakeRunHost.h"
#include "support/TestSupport.h"
#include "support/Unprivileged.h"

using namespace varko;
using namespace varko::test;

namespace {

// A host whose clock changes the disk: once the files are being searched, each look at the
// clock runs the test's change first.
class ChangingDiskHost : public FakeRunHost {
public:
  DateTimeValue now() const override {
    if (searching && change) change();
    return FakeRunHost::now();
  }
  void setStatusText(const Text& text) override {
    FakeRunHost::setStatusText(text);
    if (text == u"Searching files..") searching = true;
  }
  bool searching = false;
  std::function<void()> change;
};

std::vector<std::string> rowTexts(const SearchSession& session) {
  std::vector<std::string> texts;
  for (int r = 0; r < session.grdFound().rowCount(); ++r) texts.push_back(U8(session.grdFound().cell(1, r)));
  return texts;
}

bool contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

void append(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

std::string lines(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

struct DiskChange {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;
  std::function<void(const std::string& dir)> change;  // on each look at the clock
  double clockStep;                      // seconds each look at the clock moves it on
  std::vector<std::string> wantedRows;   // "@" stands for the folder
  int minMatched, maxMatched;
};

const std::string kFiller = lines("more text without the string\n", 8000);  // 232,000 bytes

const DiskChange kChanges[] = {
    {"folder_removed_before_its_files_are_read",
     {{"a/1.txt", "hit\n"}, {"a/2.txt", "hit\n"}, {"b.txt", "hit\n"}},
     [](const std::string& dir) { std::filesystem::remove_all(dir + "a"); }, 0,
     {"Skipped (unreadable: No such file or directory) @a/1.txt",
      "Skipped (unreadable: No such file or directory) @a/2.txt",
      "Skipped: not text=0 binary/backup=0 own file=0 date window=0 unreadable=2 special file=0 too slow=0 "
      "excluded folder=0"},
     1, 1},
    // Truncated once its first piece is read: the rest reads as the end, not as an error.
    {"file_truncated_while_read", {{"big.txt", lines("hit\n", 100000)}},
     [](const std::string& dir) { std::filesystem::resize_file(dir + "big.txt", 0); }, 0,
     {"Skipped: not text=0 binary/backup=0 own file=0 date window=0 unreadable=0 special file=0 too slow=0 "
      "excluded folder=0"},
     1, 99999},
    // Two more megabytes at every look at the clock, which moves a quarter second: only the
    // two-second limit ends the reading.
    {"file_growing_while_read", {{"grow.txt", "hit\n" + kFiller}},
     [](const std::string& dir) { append(dir + "grow.txt", lines(kFiller, 9)); }, 0.25,
     {"Searching File too slow", "aborted after 2 seconds",
      "Skipped: not text=0 binary/backup=0 own file=0 date window=0 unreadable=0 special file=0 too slow=1 "
      "excluded folder=0"},
     1, 1},
};

class ChangingTree : public ::testing::TestWithParam<DiskChange> {};

TEST_P(ChangingTree, TheRunEndsAndExplainsEveryFileItCouldNotSearch) {
  const DiskChange& c = GetParam();
  TempDir dir;
  for (const auto& [name, bytes] : c.files) dir.write(name, bytes);
  ChangingDiskHost host;
  host.change = [&] { c.change(dir.path()); };
  host.secondsPerClockRead = c.clockStep;
  SearchSession session(host);
  SearchRequest request;
  request.folder = dir.text();
  request.subFolders = true;
  request.listSkipped = true;
  request.searchText = u"hit";
  session.btnGoClick(request);

  EXPECT_EQ(session.lastOutcome(), RunOutcome::Finished);
  EXPECT_TRUE(host.messages.empty()) << U8(host.messages.front());
  const auto texts = rowTexts(session);
  for (std::string row : c.wantedRows) {
    if (size_t at = row.find('@'); at != std::string::npos) row.replace(at, 1, dir.path());
    EXPECT_TRUE(contains(texts, row)) << row;
  }
  EXPECT_GE(session.matchedLines(), c.minMatched);
  EXPECT_LE(session.matchedLines(), c.maxMatched);
}

INSTANTIATE_TEST_SUITE_P(changes, ChangingTree, ::testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Each scanner's rows, a blank line after each, as the unprivileged user gives them back.
TEST(UnreadableTree, AFolderAndAFileTheUserMayNotReadAreNamedUnreadableByEitherScanner) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  dir.write("open.txt", "hit\n");
  const std::string secret = dir.write("secret.txt", "hit\n");
  dir.write("closed/in.txt", "hit\n");
  const std::string closed = dir.file("closed/");
  ASSERT_EQ(chmod(secret.c_str(), 0), 0);
  ASSERT_EQ(chmod(closed.c_str(), 0), 0);
  const auto received = asUnprivileged([&] {
    std::string out;
    for (bool multiPath : {true, false}) {
      FakeRunHost host;
      SearchSession session(host);
      SearchRequest request;
      request.folder = dir.text();
      request.subFolders = true;
      request.alwaysUseAdvancedFolderScan = multiPath;
      request.listSkipped = true;
      request.threads = 2;  // the folders listed ahead and the files read by workers
      request.searchText = u"hit";
      session.btnGoClick(request);
      for (const std::string& text : rowTexts(session)) out += text + "\n";
      out += "\n";
    }
    return out;
  });
  if (!received) GTEST_SKIP() << "the system refused to drop to user 65534";

  std::vector<std::vector<std::string>> runs(1);
  for (size_t from = 0, end; (end = received->find('\n', from)) != std::string::npos; from = end + 1) {
    if (end == from)
      runs.emplace_back();
    else
      runs.back().push_back(received->substr(from, end - from));
  }
  runs.pop_back();
  ASSERT_EQ(runs.size(), 2u);
  for (const auto& texts : runs) {
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "hit"), 1);  // open.txt only
    EXPECT_TRUE(contains(texts, "Skipped (unreadable: Permission denied) " + secret));
    EXPECT_TRUE(contains(texts, "Skipped (unreadable: Permission denied) " + closed));
    EXPECT_TRUE(contains(texts, "Skipped: not text=0 binary/backup=0 own file=0 date window=0 unreadable=2 "
                                "special file=0 too slow=0 excluded folder=0"));
  }
}

}  // namespace
