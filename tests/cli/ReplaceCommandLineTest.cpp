// varko-search replacing: the program itself runs, copied into the test's own folder so that
// its archive and undo manifests (kept beside the executable) belong to this test alone.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
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
    std::string cmd = prefix + "'" + exe + "' --folder '" + files.path() + "' " + arguments + " 2>&1";
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
  std::string prefix;  // shell words before the program: a time or memory limit
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ReplaceCli, YesChangesExactlyKeepsABackupArchiveChangeLogAndUndoPutsItBack) {
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
  // They hold lines and whole old contents of the files: readable by their owner alone.
  std::vector<std::string> own = {files.path() + names[0], bin.path() + "VarkoSearchReplaceArchive.varc"};
  for (const std::string& name : filesIn(bin.path()))
    if (contains(name, "VarkoSearchReplaceUndo-")) own.push_back(bin.path() + name);
  ASSERT_EQ(own.size(), 3u);
  for (const std::string& name : own) {
    struct stat st {};
    ASSERT_EQ(stat(name.c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
  }

  Outcome undo = run("--undo-last-replace");
  EXPECT_EQ(undo.status, 0) << undo.out;
  EXPECT_EQ(readFileBytes(a), old);
  EXPECT_EQ(run("--undo-last-replace").status, 1);  // nothing left to undo
}

TEST_F(ReplaceCli, UndoRefusesAFileEditedAfterTheRun) {
  std::string a = files.write("a.txt", "cat\n");
  ASSERT_EQ(run("--string cat --replace dog --yes").status, 0);
  files.write("a.txt", "dog and my own edit\n");
  Outcome undo = run("--undo-last-replace");
  EXPECT_EQ(undo.status, 2) << undo.out;
  EXPECT_EQ(readFileBytes(a), "dog and my own edit\n");
}

TEST_F(ReplaceCli, DryRunPrintsAUnifiedDiffAndWritesNothing) {
  std::string a = files.write("a.txt", "one\ncat\nthree\n");
  Outcome r = run("--string cat --replace dog --dry-run");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.out, "--- " + a + "\n+++ " + a + "\n@@ -1,3 +1,3 @@\n one\n-cat\n+dog\n three\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "#  Replaced=1\n"));
  EXPECT_EQ(readFileBytes(a), "one\ncat\nthree\n");
  EXPECT_EQ(filesIn(files.path()).size(), 1u);
  EXPECT_EQ(filesIn(bin.path()).size(), 1u);  // no archive, no manifest
}

// Groups are put in everywhere the change shows: the dry run, the file, its change log. The
// three encodings of one text change alike.
TEST_F(ReplaceCli, PatternGroupsShowInTheDryRunTheFileAndTheChangeLog) {
  std::string u = files.write("u.txt", "caf\xC3\xA9 = 1\r\n");
  std::string w = files.write("w.txt", "caf\xE9 = 1\n");
  std::string x = files.write("x.txt", std::string("\xFF\xFE" "c\0a\0f\0\xE9\0 \0=\0 \0" "1\0\n\0", 20));
  const std::string args = "--regex --string '(caf.) = (\\d)$' --replace '\\2 \\\\ \\1'";
  Outcome dry = run(args + " --dry-run");
  EXPECT_EQ(dry.status, 0) << dry.out;
  EXPECT_TRUE(contains(dry.out, "-caf\xC3\xA9 = 1\n+1 \\ caf\xC3\xA9\n")) << dry.out;
  EXPECT_TRUE(contains(dry.out, "#  Replaced=3\n")) << dry.out;
  ASSERT_EQ(run(args + " --yes").status, 0);
  EXPECT_EQ(readFileBytes(u), "1 \\ caf\xC3\xA9\r\n");
  EXPECT_EQ(readFileBytes(w), "1 \\ caf\xE9\n");
  EXPECT_EQ(readFileBytes(x), std::string("\xFF\xFE" "1\0 \0\\\0 \0c\0a\0f\0\xE9\0\n\0", 20));
  EXPECT_TRUE(contains(readFileBytes(files.path() + "Varko-SearchReplace.log"), "0:1 \\ caf\xC3\xA9\r\n"));
}

TEST_F(ReplaceCli, RefusalsExitTwoAndChangeNothing) {
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

TEST_F(ReplaceCli, PairsFileAppliesPairsInOrderAndIsNeverReplacedInItself) {
  std::string a = files.write("a.txt", "cat\n");
  std::string pairs = files.write("pairs.tsv", "cat\tdog\ndog\tfox\n");
  Outcome r = run("--pairs-file '" + pairs + "' --yes");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(readFileBytes(a), "fox\n");
  EXPECT_EQ(readFileBytes(pairs), "cat\tdog\ndog\tfox\n");
  EXPECT_TRUE(contains(r.out, "#  Replaced=2\n"));
}

TEST_F(ReplaceCli, AFileThatCannotBeSavedIsNamedWithItsReasonAndExitsTwo) {
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
TEST_F(ReplaceCli, QuestionsAreAnsweredOnATerminal) {
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

TEST_F(ReplaceCli, OneFileReachedUnderSeveralNamesOrFoldersIsReplacedOnce) {
  const std::string real = files.write("v2.h", "size_t a;\n");
  files.mkdir("sub");
  ASSERT_EQ(symlink("v2.h", files.file("latest.h").c_str()), 0);
  ASSERT_EQ(symlink("../v2.h", files.file("sub/alias.h").c_str()), 0);
  Outcome r = run("--folder '" + files.path() + "' --folder '" + files.path() + "sub' -r --string size_t "
                  "--replace std::size_t --yes");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(readFileBytes(real), "std::size_t a;\n");
  EXPECT_TRUE(contains(r.out, "same file as")) << r.out;
  EXPECT_TRUE(contains(r.out, "#  Replaced=1\n")) << r.out;
}

TEST_F(ReplaceCli, AChangeLogPlantedAsALinkOrAFifoIsLeftAlone) {
  prefix = "timeout 60 ";  // a FIFO once made the run wait for ever
  const std::string victim = bin.write("victim.txt", "precious\n");
  for (const char* kind : {"link", "fifo"}) {
    const std::string log = files.file("Varko-SearchReplace.log");
    std::filesystem::remove(log);
    ASSERT_EQ(std::string(kind) == "link" ? symlink(victim.c_str(), log.c_str()) : mkfifo(log.c_str(), 0600), 0);
    files.write("a.txt", "cat\n");
    Outcome r = run("--string cat --replace dog --yes");
    EXPECT_EQ(r.status, 0) << kind << r.out;
    EXPECT_EQ(readFileBytes(files.file("a.txt")), "dog\n") << kind;
    EXPECT_TRUE(contains(r.out, "The change log " + log + " is not written in this run: it is ")) << kind << r.out;
    EXPECT_EQ(readFileBytes(victim), "precious\n") << kind;
  }
}

TEST_F(ReplaceCli, AChangeLogOnAFullDiskIsAFailureAndHoldsNoHalfEntry) {
  if (std::system(("mount -t tmpfs -o size=64k tmpfs '" + files.path() + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "mounting a small tmpfs was refused (not root?)";
  std::string a = files.write("a.txt", "cat\n");
  // One free page: enough for the new file, none for the log.
  files.write("spare", std::string(4096, 's'));
  if (FILE* f = std::fopen(files.file("filler").c_str(), "w")) {
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
    }
    std::fclose(f);
  }
  std::filesystem::remove(files.file("spare"));
  Outcome r = run("--string cat --replace dog --yes");
  const std::string log = readFileBytes(files.file("Varko-SearchReplace.log"));
  std::system(("umount '" + files.path() + "'").c_str());
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(contains(r.out, "varko-search: saved, but: " + a + ": Could not write the change log ")) << r.out;
  EXPECT_TRUE(contains(r.out, "No space left on device")) << r.out;
  EXPECT_EQ(log, "");
}

TEST_F(ReplaceCli, UnderAnyMemoryLimitAFileIsReplacedWholeOrTheRunFailsAndLeavesIt) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer's shadow memory does not start under a memory limit";
#endif
  std::string line = "a line with cat in it, long enough to look like text in a source file\n";
  std::string content;
  while (content.size() < (8u << 20)) content += line;
  const std::string a = files.write("big.txt", content);
  std::string replaced = content;
  for (size_t at = 0; (at = replaced.find("cat", at)) != std::string::npos; at += 3) replaced.replace(at, 3, "dog");
  bool failedForMemory = false;
  for (int megabytes : {1024, 48, 40, 32, 24, 16}) {
    files.write("big.txt", content);
    prefix = "ulimit -v " + std::to_string(megabytes * 1024) + "; ";
    Outcome r = run("--string cat --replace dog --yes");
    const std::string now = readFileBytes(a);
    const std::string name = std::to_string(megabytes) + " MB: ";
    EXPECT_TRUE(r.status == 0 || r.status == 2) << name << r.out;
    EXPECT_EQ(now == replaced, r.status == 0) << name << r.out;
    if (r.status != 0) {
      EXPECT_TRUE(now == content) << name;
      failedForMemory |= contains(r.out, "memory");
    }
    for (const std::string& n : filesIn(files.path())) EXPECT_FALSE(contains(n, "-temp")) << name << n;
  }
  EXPECT_TRUE(failedForMemory);
}

TEST_F(ReplaceCli, AnEmptyStringAndFilesLeftByAStoppedRunAreNamed) {
  Outcome empty = run("--string '' --replace x --yes");
  EXPECT_EQ(empty.status, 2);
  EXPECT_TRUE(contains(empty.out, "varko-search: the string to search for is empty")) << empty.out;

  files.write("a.txt", "cat\n");
  const std::string left = files.write("a-VarkoSearchReplace-20200101-000000-temp.txt", "half a new file");
  Outcome r = run("--string cat --replace dog --yes");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(contains(r.out, "Left by an earlier replace run that was stopped (not deleted): " + left)) << r.out;
  EXPECT_EQ(readFileBytes(left), "half a new file");
}

}  // namespace
