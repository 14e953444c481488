#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "find/FileFinders.h"
#include "find/GitIgnore.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

std::string shellQuoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A shell command's standard output and exit status.
std::pair<std::string, int> run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {out, -1};
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::set<std::string> lines(const std::string& text) {
  std::set<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) out.insert(line);
  return out;
}

// Every test has a home of its own and no system configuration, so the user's own git settings
// play no part, in git or here.
class GitIgnoreTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (run("git --version >/dev/null 2>&1").second != 0) GTEST_SKIP() << "git is not installed";
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "GIT_CONFIG_NOSYSTEM", "GIT_CONFIG_GLOBAL", "GIT_DIR",
                             "GIT_WORK_TREE"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "config").c_str(), 1);
    setenv("GIT_CONFIG_NOSYSTEM", "1", 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_)
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
  }
  void gitInit(const TempDir& dir) { ASSERT_EQ(run("git init -q " + shellQuoted(dir.path())).second, 0); }
  // The repository stays, for speed: a new one costs more than what git is asked.
  void clear(const TempDir& repo) {
    for (const auto& entry : std::filesystem::directory_iterator(repo.path()))
      if (entry.path().filename() != ".git") std::filesystem::remove_all(entry.path());
    repo.write(".git/info/exclude", "");
    repo.write(".git/config", "[core]\n\trepositoryformatversion = 0\n");
    std::filesystem::remove_all(home.path());
    std::filesystem::create_directories(home.path());
  }
  // "~/x" is below the home folder, anything else below dir; a name ending in '/' is a folder.
  void write(const TempDir& dir, const std::string& name, const std::string& content) {
    const bool atHome = name.rfind("~/", 0) == 0;
    const TempDir& base = atHome ? home : dir;
    const std::string relative = atHome ? name.substr(2) : name;
    if (!relative.empty() && relative.back() == '/')
      base.mkdir(relative);
    else
      base.write(relative, content);
  }

  TempDir home;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct PatternCase {
  std::vector<std::pair<const char*, const char*>> files;  // ignore files and their lines
  const char* path;                                        // a folder ends with '/'
  bool ignored;
};

const std::vector<PatternCase> kPatternCases = {
    {{{".gitignore", "*.o\n"}}, "x.o", true},
    {{{".gitignore", "*.o\n"}}, "a/b/x.o", true},
    {{{".gitignore", "*.o\n"}}, "x.oo", false},
    {{{".gitignore", "*.O\n"}}, "x.o", false},
    {{{".gitignore", "foo\n"}}, "a/foo", true},
    {{{".gitignore", "foo\n"}}, "foo/x", true},
    {{{".gitignore", "/foo\n"}}, "a/foo", false},
    {{{".gitignore", "/foo\n"}}, "foo", true},
    {{{".gitignore", "a/foo\n"}}, "a/foo", true},
    {{{".gitignore", "a/foo\n"}}, "b/a/foo", false},
    {{{".gitignore", "foo/\n"}}, "foo", false},
    {{{".gitignore", "foo/\n"}}, "a/foo/", true},
    {{{".gitignore", "b*/\n"}}, "bx/", true},
    {{{".gitignore", "*.log\n!keep.log\n"}}, "keep.log", false},
    {{{".gitignore", "!keep.log\n*.log\n"}}, "keep.log", true},
    {{{".gitignore", "build/\n!build/keep\n"}}, "build/keep", true},
    {{{".gitignore", "build/*\n!build/keep\n"}}, "build/keep", false},
    {{{".gitignore", "build/*\n!build/keep\n"}}, "build/x", true},
    {{{".gitignore", "a?c\n"}}, "abc", true},
    {{{".gitignore", "a?c\n"}}, "ac", false},
    {{{".gitignore", "x/a?c\n"}}, "x/a/c", false},
    {{{".gitignore", "[a-c]x\n"}}, "bx", true},
    {{{".gitignore", "[!a]x\n"}}, "ax", false},
    {{{".gitignore", "[!a]x\n"}}, "bx", true},
    {{{".gitignore", "[^a]x\n"}}, "bx", true},
    {{{".gitignore", "[]a]x\n"}}, "]x", true},
    {{{".gitignore", "[[:digit:]]*\n"}}, "1a", true},
    {{{".gitignore", "[[:digit:]]*\n"}}, "a1", false},
    {{{".gitignore", "**/foo\n"}}, "a/b/foo", true},
    {{{".gitignore", "**/foo\n"}}, "foo", true},
    {{{".gitignore", "a/**\n"}}, "a/b/c", true},
    {{{".gitignore", "a/**\n"}}, "a/", false},
    {{{".gitignore", "a/**/b\n"}}, "a/b", true},
    {{{".gitignore", "a/**/b\n"}}, "a/x/y/b", true},
    {{{".gitignore", "a/**/b\n"}}, "xa/b", false},
    {{{".gitignore", "a**/b\n"}}, "a/x/b", true},  // as git: "**" after plain text still takes folders
    {{{".gitignore", "*/x\n"}}, "a/b/x", false},
    {{{".gitignore", "*/x\n"}}, "a/x", true},
    {{{".gitignore", "/*.c\n"}}, "a/x.c", false},
    {{{".gitignore", "\\!imp\n"}}, "!imp", true},
    {{{".gitignore", "\\#hash\n"}}, "#hash", true},
    {{{".gitignore", "#hash\n"}}, "#hash", false},
    {{{".gitignore", "foo   \n"}}, "foo", true},
    {{{".gitignore", "foo\\ \n"}}, "foo ", true},
    {{{".gitignore", "foo\\ \n"}}, "foo", false},
    {{{".gitignore", "*.o\r\n"}}, "x.o", true},
    {{{".gitignore", "\xEF\xBB\xBF*.o"}}, "x.o", true},
    {{{"sub/.gitignore", "*.txt\n"}}, "x.txt", false},
    {{{"sub/.gitignore", "/a\n"}}, "sub/b/a", false},
    {{{"sub/.gitignore", "/a\n"}}, "sub/a", true},
    {{{".gitignore", "*.txt\n"}, {"sub/.gitignore", "!keep.txt\n"}}, "sub/keep.txt", false},
    {{{".gitignore", "!x.txt\n"}, {"sub/.gitignore", "x.txt\n"}}, "sub/x.txt", true},
    {{{".gitignore", "sub/x/\n"}, {"sub/.gitignore", "!x/\n"}}, "sub/x/y", false},
    {{{".git/info/exclude", "*.tmp\n"}}, "a/x.tmp", true},
    {{{".git/info/exclude", "*.tmp\n"}, {".gitignore", "!x.tmp\n"}}, "x.tmp", false},
    {{{"~/config/git/ignore", "*.bak\n"}}, "x.bak", true},
    {{{"~/config/git/ignore", "*.bak\n"}, {".git/info/exclude", "!x.bak\n"}}, "x.bak", false},
    {{{"~/.gitconfig", "[core]\n\texcludesFile = ~/my ignore # mine\n"}, {"~/my ignore", "*.swp\n"}},
     "x.swp",
     true},
    // A configured excludes file takes the place of the XDG one.
    {{{"~/.gitconfig", "[Core]\n  ExcludesFile = \"~/mine\"\n"}, {"~/config/git/ignore", "*.bak\n"}},
     "x.bak",
     false},
    {{{"~/config/git/config", "[core \"x\"]\nexcludesFile = ~/mine\n"}, {"~/mine", "*.swp\n"}}, "x.swp", false},
    {{{"~/config/git/config", "[core]\nexcludesFile = mine\n"}, {"mine", "*.swp\n"}}, "a/x.swp", true},
    {{{".git/config", "[core]\n\texcludesFile = ~/mine\n"}, {"~/mine", "*.swp\n"}}, "x.swp", true},
};

TEST_F(GitIgnoreTest, PatternsMeanWhatTheyMeanToGit) {
  TempDir repo;
  gitInit(repo);
  for (const auto& c : kPatternCases) {
    clear(repo);
    for (const auto& [name, content] : c.files) write(repo, name, content);
    write(repo, c.path, "x");
    std::string path = c.path;
    if (path.back() == '/') path.pop_back();
    const int git =
        run("git -C " + shellQuoted(repo.path()) + " check-ignore -q --no-index -- " + shellQuoted(path)).second;
    std::string what = "path " + path;
    for (const auto& [name, content] : c.files) what += std::string("; ") + name + ": " + content;
    EXPECT_EQ(git, c.ignored ? 0 : 1) << "git check-ignore, " << what;
    EXPECT_EQ(GitIgnore().ignores(T(repo.path() + path)), c.ignored) << what;
  }
}

// A random tree of short names with random ignore files in it, against what git lists.
class RandomTree {
public:
  explicit RandomTree(unsigned seed) : random_(seed) {}
  std::string name() {
    static const char* const kExtensions[] = {"", "", ".x", ".y"};
    std::string n(1 + pick(2), 'a');
    for (char& c : n) c = static_cast<char>('a' + pick(3));
    return n + kExtensions[pick(4)];
  }
  std::string rule() {
    static const char* const kGlobs[] = {"*.x", "a*", "?",   "[ab]*",   "[!a]*", "*",   "b?",
                                         "c",   "**", "a**", "[a-b]?*", "\\a",  "*/a", "[[:alpha:]].*"};
    std::string base = pick(3) == 0 ? name() : kGlobs[pick(14)];
    std::string r;
    switch (pick(8)) {
      case 0: r = "/" + base; break;
      case 1: r = "**/" + base; break;
      case 2: r = name() + "/" + base; break;
      case 3: r = name() + "/**"; break;
      case 4: r = name() + "/**/" + base; break;
      default: r = base;
    }
    if (pick(4) == 0) r += "/";
    if (pick(3) == 0) r = "!" + r;
    if (pick(10) == 0) r += "  ";
    if (pick(12) == 0) r = "# " + r;
    return r + "\n";
  }
  std::string rules() {
    std::string out;
    for (int i = 1 + static_cast<int>(pick(4)); i > 0; --i) out += rule();
    return out;
  }
  // Files and folders below dir/relative; every file's path goes to files.
  void fill(const TempDir& dir, const std::string& relative, int depth, std::set<std::string>& files) {
    if (pick(5) < 2) dir.write(relative + ".gitignore", rules());
    for (int i = 1 + static_cast<int>(pick(5)); i > 0; --i) {
      const std::string path = relative + name();
      if (depth < 3 && pick(3) == 0) {
        if (files.count(path)) continue;
        dir.mkdir(path);
        fill(dir, path + "/", depth + 1, files);
      } else if (!std::filesystem::is_directory(dir.file(path))) {
        dir.write(path, "x");
        files.insert(path);
      }
    }
  }
  unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(random_); }

private:
  std::mt19937 random_;
};

struct Skip {
  std::string path;
  SkipReason reason;
};

std::set<std::string> findFiles(const TempDir& dir, bool listAhead, std::vector<Skip>* skipped = nullptr,
                                TextList paths = {}) {
  FakeClock clock;
  TZEQFindFiles finder(clock, nullptr);
  finder.Paths = paths.empty() ? TextList{dir.text()} : paths;
  finder.FileMask = {u"*"};
  finder.InSubFolders = true;
  finder.RespectGitignore = true;
  finder.ListAhead = listAhead;
  finder.OnSkipped = [&](Text&& path, SkipReason reason) {
    if (skipped) skipped->push_back({U8(path).substr(dir.path().size()), reason});
  };
  std::set<std::string> found;
  for (const Text& path : finder.SearchForFiles()) found.insert(U8(path).substr(dir.path().size()));
  return found;
}

TEST_F(GitIgnoreTest, RandomTreesListWhatGitLists) {
  TempDir repo;
  gitInit(repo);
  for (unsigned seed = 1; seed <= 40; ++seed) {
    RandomTree tree(seed);
    clear(repo);
    std::set<std::string> files;
    tree.fill(repo, "", 0, files);
    if (tree.pick(3) == 0) repo.write(".git/info/exclude", tree.rules());
    if (tree.pick(3) == 0) home.write("config/git/ignore", tree.rules());
    std::set<std::string> git;
    for (const auto& path :
         lines(run("git -C " + shellQuoted(repo.path()) + " ls-files --others --cached --exclude-standard").first))
      if (path.substr(path.rfind('/') + 1)[0] != '.') git.insert(path);  // the finder lists no hidden file
    std::vector<Skip> skipped;
    EXPECT_EQ(findFiles(repo, seed % 2 == 0, &skipped), git) << "seed " << seed;
    // Each file git leaves out is reported, itself or a folder above it.
    for (const auto& file : files) {
      if (git.count(file)) continue;
      bool reported = false;
      for (const auto& skip : skipped)
        reported = reported || (skip.reason == SkipReason::IgnoredByGit &&
                                (skip.path == file || (skip.path.back() == '/' && file.rfind(skip.path, 0) == 0)));
      EXPECT_TRUE(reported) << "seed " << seed << ": " << file;
    }
  }
}

TEST_F(GitIgnoreTest, FinderLeavesOutWhatGitIgnoresOnlyInsideAWorkTree) {
  TempDir dir;
  const std::string repo = "repo/";
  dir.mkdir(repo);
  ASSERT_EQ(run("git init -q " + shellQuoted(dir.path() + repo)).second, 0);
  dir.write(repo + ".gitignore", "*.log\nbuild/\n!keep.log\n");
  for (const char* file : {"a.txt", "x.log", "keep.log", "build/out.txt", "build/y.log", "src/b.txt", "src/gen/g.txt"})
    dir.write(repo + file, "x");
  dir.write(repo + "src/.gitignore", "/gen/\n");
  // A repository inside has its own rules.
  ASSERT_EQ(run("git init -q " + shellQuoted(dir.path() + repo + "inner")).second, 0);
  dir.write(repo + "inner/n.log", "x");
  // Outside a work tree an ignore file means nothing.
  dir.write("plain/.gitignore", "*.txt\n");
  dir.write("plain/t.txt", "x");
  for (bool listAhead : {false, true}) {
    std::vector<Skip> skipped;
    const TextList starts = {dir.text() + u"plain", dir.text() + u"repo", dir.text() + u"repo/build"};
    EXPECT_EQ(findFiles(dir, listAhead, &skipped, starts),
              (std::set<std::string>{"plain/t.txt", "repo/a.txt", "repo/build/out.txt", "repo/inner/n.log",
                                     "repo/keep.log", "repo/src/b.txt"}));
    // repo/build/ is searched as a start folder, though git ignores it as a folder of repo; the
    // work tree's rules hold inside it.
    std::multiset<std::string> ignored;
    for (const auto& skip : skipped)
      if (skip.reason == SkipReason::IgnoredByGit) ignored.insert(skip.path);
    EXPECT_EQ(ignored, (std::multiset<std::string>{"repo/build/", "repo/build/y.log", "repo/.git/", "repo/inner/.git/",
                                                   "repo/x.log", "repo/src/gen/"}));
    EXPECT_EQ(skipped.size(), ignored.size());
  }
}

}  // namespace
