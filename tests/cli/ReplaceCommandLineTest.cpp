// varko-search replacing: the program itself runs, copied into the test's own folder so that
// its archive and undo manifests (kept beside the executable) belong to this test alone.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>

#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
};

class ReplaceCli : public ::testing::Test {
protected:
  void SetUp() override {
    exe = bin.path() + "varko-search";
    std::filesystem::copy_file(VARKO_SEARCH_EXE, exe);
  }

  // Standard input is /dev/null unless input is given; standard error joins the output.
  Outcome run(const std::string& arguments, const std::string& input = "") {
    std::string cmd = "'" + exe + "' --folder '" + files.path() + "' " + arguments + " 2>&1";
    cmd += input.empty() ? " </dev/null" : " <<'EOF'\n" + input + "EOF\n";
    Outcome r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, p)) r.out.append(buffer, n);
    r.status = WEXITSTATUS(pclose(p));
    return r;
  }

  std::vector<std::string> filesIn(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir bin, files;
  std::string exe;
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ReplaceCli, yes_changes_exactly_keeps_a_backup_archive_change_log_and_undo_puts_it_back) {
  const std::string old = "the cat sat\r\nno match\r\ncat cat\r\n";
  std::string a = files.write("a.txt", old);
  files.write("b.txt", "dog\n");
  Outcome r = run("--string cat --replace dog --yes");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(readFileBytes(a), "the dog sat\r\nno match\r\ndog dog\r\n");
  EXPECT_TRUE(contains(r.out, "#  Replaced=3\n")) << r.out;

  std::vector<std::string> names = filesIn(files.path());
  ASSERT_EQ(names.size(), 4u);  // a.txt, its backup, b.txt, the change log
  EXPECT_EQ(names[0], "Varko-SearchReplace.log");
  EXPECT_EQ(readFileBytes(files.path() + names[1]), old);  // a-VarkoSearchReplace-<stamp>-bak.txt
  EXPECT_TRUE(contains(names[1], "-VarkoSearchReplace-") && contains(names[1], "-bak.txt"));
  EXPECT_TRUE(contains(readFileBytes(files.path() + names[0]), "0:the cat sat\r\n0:the dog sat\r\n"));
  EXPECT_TRUE(contains(readFileBytes(bin.path() + "VarkoSearchReplaceArchive.varc"), "Changes=3"));

  Outcome undo = run("--undo-last-replace");
  EXPECT_EQ(undo.status, 0) << undo.out;
  EXPECT_EQ(readFileBytes(a), old);
  EXPECT_EQ(run("--undo-last-replace").status, 1);  // nothing left to undo
}

TEST_F(ReplaceCli, undo_refuses_a_file_edited_after_the_run) {
  std::string a = files.write("a.txt", "cat\n");
  ASSERT_EQ(run("--string cat --replace dog --yes").status, 0);
  files.write("a.txt", "dog and my own edit\n");
  Outcome undo = run("--undo-last-replace");
  EXPECT_EQ(undo.status, 2) << undo.out;
  EXPECT_EQ(readFileBytes(a), "dog and my own edit\n");
}

TEST_F(ReplaceCli, dry_run_prints_a_unified_diff_and_writes_nothing) {
  std::string a = files.write("a.txt", "one\ncat\nthree\n");
  Outcome r = run("--string cat --replace dog --dry-run");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.out, "--- " + a + "\n+++ " + a + "\n@@ -1,3 +1,3 @@\n one\n-cat\n+dog\n three\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "#  Replaced=1\n"));
  EXPECT_EQ(readFileBytes(a), "one\ncat\nthree\n");
  EXPECT_EQ(filesIn(files.path()).size(), 1u);
  EXPECT_EQ(filesIn(bin.path()).size(), 1u);  // no archive, no manifest
}

TEST_F(ReplaceCli, refusals_exit_two_and_change_nothing) {
  std::string a = files.write("a.txt", "cat dog\n");
  struct Case {
    std::string arguments, message;
  } cases[] = {
      {"--string cat --replace x --string dog --yes", "has no --replace"},
      {"--replace x --string cat --yes", "--replace must follow"},
      {"--string cat --yes", "need --replace"},
      {"--string cat --replace x", "asks its questions on a terminal"},  // input is not a terminal
      {"--pairs-file /nonexistent/pairs.txt --yes", "cannot read the pairs file"},
  };
  for (const Case& c : cases) {
    Outcome r = run(c.arguments);
    EXPECT_EQ(r.status, 2) << c.arguments;
    EXPECT_TRUE(contains(r.out, c.message)) << c.arguments << "\n" << r.out;
  }
  EXPECT_EQ(readFileBytes(a), "cat dog\n");
  EXPECT_EQ(filesIn(files.path()).size(), 1u);
}

TEST_F(ReplaceCli, pairs_file_applies_pairs_in_order_and_is_never_replaced_in_itself) {
  std::string a = files.write("a.txt", "cat\n");
  std::string pairs = files.write("pairs.tsv", "cat\tdog\ndog\tfox\n");
  Outcome r = run("--pairs-file '" + pairs + "' --yes");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(readFileBytes(a), "fox\n");
  EXPECT_EQ(readFileBytes(pairs), "cat\tdog\ndog\tfox\n");
  EXPECT_TRUE(contains(r.out, "#  Replaced=2\n"));
}

TEST_F(ReplaceCli, a_file_that_cannot_be_saved_is_named_with_its_reason_and_exits_two) {
  std::string latin = files.write("latin.txt", "caf\xE9 cat\n");  // Windows-1252
  std::string utf8 = files.write("utf8.txt", "cat\n");
  Outcome r = run("--string cat --replace '\xE4\xB8\xAD' --yes");
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(contains(r.out, "not saved: " + latin)) << r.out;
  EXPECT_EQ(readFileBytes(latin), "caf\xE9 cat\n");
  EXPECT_EQ(readFileBytes(utf8), "\xE4\xB8\xAD\n");  // the other file is still done
}

// The questions answered on a real pseudo-terminal: No to the first line, Yes to the second,
// then save.
TEST_F(ReplaceCli, questions_are_answered_on_a_terminal) {
  std::string a = files.write("a.txt", "cat one\ncat two\n");
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  // Whatever fails below, the program does not outlive the test.
  struct Reaper {
    pid_t pid;
    ~Reaper() {
      if (waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
      }
    }
  };
  if (pid == 0) {
    execl(exe.c_str(), exe.c_str(), "--folder", files.path().c_str(), "--string", "cat", "--replace", "dog",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  Reaper reaper{pid};
  std::string seen;
  size_t consumed = 0;
  // Reads until text shows after what was already answered.
  auto waitFor = [&](const std::string& text) {
    for (;;) {
      size_t at = seen.find(text, consumed);
      if (at != std::string::npos) {
        consumed = at + text.size();
        return true;
      }
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 20000) <= 0) return false;
      char buffer[4096];
      ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) return false;
      seen.append(buffer, static_cast<size_t>(n));
    }
  };
  auto reply = [&](const std::string& text) {
    std::string line = text + "\n";
    EXPECT_EQ(write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  };
  ASSERT_TRUE(waitFor("This line:1")) << seen;
  ASSERT_TRUE(waitFor("yes to [A]ll? ")) << seen;
  reply("n");
  ASSERT_TRUE(waitFor("This line:2")) << seen;
  ASSERT_TRUE(waitFor("yes to [A]ll? ")) << seen;
  reply("y");
  ASSERT_TRUE(waitFor("[a]bort? ")) << seen;
  reply("s");
  ASSERT_TRUE(waitFor("Are you sure you want to save changes?")) << seen;  // no differences were shown
  ASSERT_TRUE(waitFor("[y]es, [n]o? ")) << seen;
  reply("y");
  waitFor("\x04");  // reads until the program ends
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 2000 && ended == 0; ++i)  // up to 20 s for the program to end after its output
    if ((ended = waitpid(pid, &status, WNOHANG)) == 0) usleep(10000);
  if (ended == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    ADD_FAILURE() << "the program did not end:\n" << seen;
  }
  close(master);
  EXPECT_EQ(WEXITSTATUS(status), 0) << seen;
  EXPECT_EQ(readFileBytes(a), "cat one\ndog two\n");
}

}  // namespace
