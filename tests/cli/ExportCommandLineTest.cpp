#include <gtest/gtest.h>

#include <sstream>

#include "RunCli.h"
#include "cli/CommandLine.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

using Result = CliResult;

bool holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Two files with "hello" (one with a TAB, one with a name and line beyond ASCII) and one without.
struct Fixture {
  TempDir dir;
  std::string folder = dir.mkdir("in");
  std::string a = dir.write("in/a.txt", "first\r\nsay Hello\tthere\r\n");
  std::string b = dir.write("in/ü <b>.txt", "naïve <hello> & \"q\"\n");
  std::string c = dir.write("in/c.txt", "nothing\n");
  std::string out(const std::string& name) const { return dir.file(name); }
};

}  // namespace

TEST(ExportCommandLine, EveryExportIsWrittenAndStandardOutputStaysAsItWas) {
  Fixture f;
  const Result plain = runCli({"--folder", f.folder, "hello"});
  const Result r = runCli({"--folder", f.folder, "--export-text", f.out("o.txt"), "--export-report", f.out("r.txt"),
                           "--export-tsv", f.out("s.csv"), "--export-html", f.out("h.html"), "hello"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, plain.out);
  EXPECT_EQ(r.err, "");

  const std::string text = readFileBytes(f.out("o.txt"));
  EXPECT_EQ(text.rfind("Varko results for: Search Strings: (simple)\r\nhello\r\nFolder: Folders Searched:\r\n\r\n"
                       "Number Folders: \r\nFilespec: *.*\r\n\r\nMatched Lines=2 of 4 - Files=2 of 3",
                       0),
            0u);
  EXPECT_TRUE(holds(text, "\r\n  " + f.a + "\r\n2 say Hello\tthere\r\n  " + f.b + "\r\n1 naïve <hello> & \"q\"\r\n"));

  const std::string report = readFileBytes(f.out("r.txt"));
  EXPECT_EQ(report.rfind("NORV " + f.out("r.txt") + " Printed ", 0), 0u);
  EXPECT_EQ(report.substr(report.find("\r\n") + 2), text);

  EXPECT_EQ(readFileBytes(f.out("s.csv")).rfind("sep=\t\r\nDate\tText\tFilename\tDateTime\tSize\tLine No.\tLine\r\n", 0),
            0u);
  EXPECT_TRUE(holds(readFileBytes(f.out("s.csv")), "\thello\t" + f.b + "\t"));
  EXPECT_TRUE(holds(readFileBytes(f.out("h.html")), "naïve &lt;<mark>hello</mark>&gt; &amp; &quot;q&quot;"));
}

TEST(ExportCommandLine, TheHtmlReportMarksWhatAPatternMatched) {
  Fixture f;
  const Result r = runCli({"--folder", f.folder, "--regex", "--export-html", f.out("h.html"), "<h\\w+>"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(holds(readFileBytes(f.out("h.html")), "naïve <mark>&lt;hello&gt;</mark> &amp;"));
}

TEST(ExportCommandLine, TsvFormFollowsTheFileNameAndHeadersCanBeLeftOut) {
  struct Case {
    std::string name;
    std::vector<std::string> extra;
    std::string start;
  };
  const std::string header = "Date\tText\tFilename\tDateTime\tSize\tLine No.\tLine\r\n";
  for (const Case& c : {Case{"x.CSV", {}, "sep=\t\r\n" + header}, Case{"x.tsv", {}, header},
                        Case{"x.csv", {"--no-column-headers"}, "sep=\t\r\n2"}, Case{"x.txt", {"--no-column-headers"}, "2"}}) {
    SCOPED_TRACE(c.name);
    Fixture f;
    std::vector<std::string> args{"--folder", f.folder, "--export-tsv", f.out(c.name), "there"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    ASSERT_EQ(runCli(args).status, 0);
    const std::string tsv = readFileBytes(f.out(c.name));
    EXPECT_EQ(tsv.rfind(c.start, 0), 0u);
    EXPECT_TRUE(holds(tsv, "\t2\tsay Hello there\r\n"));
  }
}

TEST(ExportCommandLine, AFileThatCannotBeWrittenExitsTwoNamingIt) {
  Fixture f;
  const std::string target = f.out("missing/o.txt");
  const Result r = runCli({"--folder", f.folder, "--export-text", target, "hello"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "varko-search: Cannot create file \"" + target + "\". No such file or directory\n");
}

TEST(ExportCommandLine, NoColumnHeadersNeedsATsvExport) {
  Fixture f;
  const Result r = runCli({"--folder", f.folder, "--no-column-headers", "hello"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(holds(r.err, "--no-column-headers needs --export-tsv"));
  EXPECT_TRUE(holds(CommandLineUsage(), "--export-report FILE"));
}
