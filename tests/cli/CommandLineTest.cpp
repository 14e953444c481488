#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "RunCli.h"
#include "cli/CommandLine.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

using Result = CliResult;

// Runs cmd through the shell: its exit status, and its output in out.
int shell(const std::string& cmd, std::string& out) {
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
  return WEXITSTATUS(pclose(p));
}

std::vector<std::string> lines(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(CommandLine, PrintsPathLinePositionTextAndExitsZeroOnAMatch) {
  TempDir dir;
  std::string a = dir.write("a.txt", "first\r\nsay Hello\r\n");
  dir.write("b.txt", "nothing\n");
  auto r = runCli({"--folder", dir.path(), "hello"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, a + ":2:5:say Hello\n");
  EXPECT_EQ(r.err, "");
}

TEST(CommandLine, ExitOneWhenNothingMatchedAndTwoForBadArguments) {
  TempDir dir;
  dir.write("a.txt", "first\n");
  EXPECT_EQ(runCli({"--folder", dir.path(), "absent"}).status, 1);
  auto bad = runCli({"--folder", dir.path(), "--bogus", "x"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("varko-search: unknown option --bogus"), std::string::npos);
  EXPECT_NE(bad.err.find("\nTry 'varko-search --help' for more information.\n"), std::string::npos);
  EXPECT_EQ(bad.err.find("Usage:"), std::string::npos);  // one line, not the whole usage
  EXPECT_EQ(runCli({"--folder", dir.path()}).status, 2);  // nothing to search for
  auto missing = runCli({"--folder", dir.path() + "no-such-folder", "first"});
  EXPECT_EQ(missing.status, 2);  // not "no match"
  EXPECT_NE(missing.err.find("varko-search: no such folder: " + dir.path() + "no-such-folder\n"), std::string::npos);
  auto help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: varko-search", 0), 0u);
  auto version = runCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("varko-search ", 0), 0u);
}

TEST(CommandLine, RefusedRequestsExitTwoWithTheMessageOnStandardError) {
  TempDir dir;
  dir.write("a.txt", "x\n");
  auto r = runCli({"--folder", dir.path(), "--string", "a", "--string", " "});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "varko-search: Search array contains blank elements - fix!\n");
}

TEST(CommandLine, RowsPrintsEveryRowEscapedThenTheTwoStatusLines) {
  TempDir dir;
  std::string a = dir.write("tab\\name.txt", "x\tneedle\\y\n");
  auto r = runCli({"--folder", dir.path(), "--rows", "needle"});
  ASSERT_EQ(r.status, 0);
  auto out = lines(r.out);
  ASSERT_GE(out.size(), 4u);
  std::string escapedPath;
  for (char c : a) escapedPath += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_EQ(out[0], "\tFolders=" + dir.path() + " Filespec=*.*  String=needle\t\t");
  bool found = false;
  for (size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == "\t" + escapedPath + "\t" + escapedPath + "\t" && out[i + 1] == "1\tx\\tneedle\\\\y\t" + escapedPath + "\t3")
      found = true;
  EXPECT_TRUE(found) << r.out;
  EXPECT_EQ(out[out.size() - 2].rfind("# Matched Lines=1 of 1 - Files=1 of 1 - time=", 0), 0u);
  EXPECT_EQ(out.back(), "# ");
}

TEST(CommandLine, SeveralFoldersFilespecsAndStringsMeanAdvancedLists) {
  TempDir one, two;
  std::string a = one.write("a.c", "alpha\n");
  std::string b = two.write("b.h", "beta\n");
  two.write("c.txt", "alpha beta\n");
  auto r = runCli({"--folder", one.path(), "--folder", two.path(), "--filespec", "*.c", "--filespec", "*.h",
                   "--string", "alpha", "--string", "beta"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, a + ":1:1:alpha\n" + b + ":1:1:beta\n");
}

TEST(CommandLine, StringsFileTakesTheFirstFieldOfEachLine) {
  TempDir dir;
  std::string a = dir.write("a.txt", "one\ntwo\nthree\n");
  std::string set = dir.write("set.tsv", "one\tuno\n\t\n   \nthree\ttres\textra\n");
  auto r = runCli({"--folder", dir.path(), "--filespec", "a.txt", "--strings-file", set});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, a + ":1:1:one\n" + a + ":3:1:three\n");
}

TEST(CommandLine, DateWindowSelectsByLastWriteTime) {
  TempDir dir;
  std::string in = dir.write("in.txt", "hit\n");
  std::string out = dir.write("out.txt", "hit\n");
  setFileTime(in, 2024, 3, 15, 10, 0, 0);
  setFileTime(out, 2024, 3, 15, 12, 0, 0);
  auto r = runCli({"--folder", dir.path(), "--advanced-folders", "--date-from", "15-Mar-24 09:00",
                   "--date-to", "2024-03-15 11:00", "hit"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, in + ":1:1:hit\n");
  auto simple = runCli({"--folder", dir.path(), "--date-from", "15-Mar-24", "hit"});
  EXPECT_NE(simple.err.find("varko-search: Varko V7 Selecting by Date/Time is an advanced option\n\n"),
            std::string::npos);
}

TEST(CommandLine, TheProgramItselfRunsWithTheseExitStatuses) {
  TempDir dir;
  std::string a = dir.write("name with blanks.txt", "hit\n");
  std::string cmd = std::string(VARKO_SEARCH_EXE) + " --folder '" + dir.path() + "' hit 2>&1";
  std::string out;
  EXPECT_EQ(shell(cmd, out), 0);
  EXPECT_EQ(out, a + ":1:1:hit\n");
  cmd = std::string(VARKO_SEARCH_EXE) + " --nonsense >/dev/null 2>&1";
  EXPECT_EQ(WEXITSTATUS(system(cmd.c_str())), 2);
}

}  // namespace

namespace {

// Root reads every file, so the permission cases run the program as an unprivileged user.
TEST(CommandLine, UnreadableFilesAndFoldersGiveNoticesAndTheRunGoesOn) {
  TempDir dir;
  std::string locked = dir.write("locked.txt", "hit\n");
  std::string open = dir.write("open.txt", "hit\n");
  dir.write("closed/inside.txt", "hit\n");
  chmod(dir.path().c_str(), 0755);
  chmod(locked.c_str(), 0);
  chmod(dir.file("closed").c_str(), 0);
  std::string prefix;
  if (geteuid() == 0) {
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "no setpriv to drop root";
    prefix = "/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (system((prefix + "test -x " VARKO_SEARCH_EXE).c_str()) != 0) GTEST_SKIP() << "program not reachable";
  }
  std::string cmd = prefix + VARKO_SEARCH_EXE + " --folder " + dir.path() + " -r --rows hit 2>/dev/null";
  std::string out;
  EXPECT_EQ(shell(cmd, out), 0);
  EXPECT_NE(out.find("-1\t" + locked + "\t" + locked + "\t\n-1\txcIsTextFileAndLoadable: Error reading in file:- \t" +
                     locked + "\t\n-1\tPermission denied\t" + locked + "\t\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("1\thit\t" + open + "\t1\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("inside.txt"), std::string::npos);
}

// Folders held open for the workers stay within a small descriptor limit: nothing is lost.
TEST(CommandLine, ASmallOpenFileLimitStillFindsEveryFile) {
  if (access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "no prlimit";
  TempDir dir;
  for (int i = 0; i < 300; ++i) dir.write("d" + std::to_string(i) + "/f.txt", "hit\n");
  std::string cmd = std::string("/usr/bin/prlimit --nofile=16:16 ") + VARKO_SEARCH_EXE + " --folder " + dir.path() +
                    " -r hit 2>&1";
  std::string out;
  EXPECT_EQ(shell(cmd, out), 0);
  EXPECT_EQ(lines(out).size(), 300u) << out.substr(0, 2000);
}

TEST(CommandLine, TextTestOptionsAndExcludedFolders) {
  TempDir dir;
  // Four accented letters: eight bytes beyond ASCII.
  std::string u8 = dir.write("u8.txt", "\xC3\xA9t\xC3\xA9 \xC3\xA0 \xC3\xA8 hit\n");
  dir.write("build/b.txt", "hit\n");
  std::string bin = dir.write("bin.dat", "\x01\x02\x03\x04\x05\x06 hit");
  auto r = runCli({"--folder", dir.path(), "-r", "--exclude-dir", "build", "hit"});
  EXPECT_EQ(r.out, u8 + ":1:9:\xC3\xA9t\xC3\xA9 \xC3\xA0 \xC3\xA8 hit\n");
  EXPECT_EQ(r.err, "");
  r = runCli({"--folder", dir.path(), "-r", "--exclude-dir", "build", "--ascii-text-test", "--list-skipped", "hit"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "varko-search: skipped (excluded folder): " + dir.path() + "build/\n"
                   "varko-search: skipped (not text): " + bin + "\n"
                   "varko-search: skipped (not text): " + u8 + "\n"
                   "varko-search: Skipped: not text=2 binary/backup=0 own file=0 date window=0 unreadable=0 "
                   "special file=0 too slow=0 excluded folder=1\n");
  // With --rows the listing is in the rows.
  r = runCli({"--folder", dir.path(), "--list-skipped", "--rows", "hit"});
  EXPECT_NE(r.out.find("-1\tSkipped (not text) " + bin + "\t" + bin + "\t\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
}

}  // namespace

TEST(CommandLine, PatternsAreMatchedPerLineAndABadOneIsRefusedBeforeAnyFileIsRead) {
  TempDir dir;
  std::string a = dir.write("a.txt", "MUTEX_TRYLOCK(m);\r\nmutex_lock\r\nend;\r\n");
  auto r = runCli({"--folder", dir.path(), "--regex", "mutex_\\w+lock", "--string", ";$"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, a + ":1:1:MUTEX_TRYLOCK(m);\n" + a + ":3:4:end;\n");
  struct Refusal {
    std::vector<std::string> args;
    std::string message;
  };
  for (const Refusal& c : {Refusal{{"--regex", "a(b"}, "Regular expression \"a(b\": missing ): a(b"},
                           Refusal{{"--regex", "--google", "a b"}, "\"Google Type Find\" cannot be used with"}}) {
    std::vector<std::string> args = {"--folder", dir.path()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    r = runCli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("varko-search: " + c.message), std::string::npos) << r.err;
  }
}

TEST(CommandLine, GitignoreSkipsWhatGitIgnoresAndListsItWithItsReason) {
  TempDir dir;
  ASSERT_EQ(std::system(("git init -q '" + dir.path() + "'").c_str()), 0);
  dir.write(".gitignore", "*.log\n");
  std::string kept = dir.write("a.txt", "hit\n");
  std::string log = dir.write("b.log", "hit\n");
  auto r = runCli({"--folder", dir.path(), "--gitignore", "--list-skipped", "hit"});
  EXPECT_EQ(r.out, kept + ":1:1:hit\n");
  EXPECT_NE(r.err.find("varko-search: skipped (ignored by git): " + log + "\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" excluded folder=0 ignored by git=1\n"), std::string::npos) << r.err;
  // Without the option the ignore file means nothing.
  EXPECT_EQ(runCli({"--folder", dir.path(), "hit"}).out, kept + ":1:1:hit\n" + log + ":1:1:hit\n");
}
