#include "results/HtmlReport.h"

#include <gtest/gtest.h>

#include "support/FoundGrid.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

using Row = GridRow;

bool holds(const std::string& html, const std::string& part) { return html.find(part) != std::string::npos; }

}  // namespace

TEST(HtmlReport, NamesAndLinesAreEscapedAndTheMatchMarked) {
  ExportSet set;
  set.header = u"Varko results for: <b>&\r\n";
  set.findStrings = {u"<tag>"};
  ResultTable grid = gridOf({{0, "/d/a\"b'<c>&.txt", "/d/a\"b'<c>&.txt"},
                             {4, "x & <TAG> \"q\"", "/d/a\"b'<c>&.txt", 5}});
  const std::string html = xcHtmlReport(grid, set);
  EXPECT_TRUE(holds(html, "<meta charset=\"utf-8\">"));
  EXPECT_TRUE(holds(html, "Varko results for: &lt;b&gt;&amp;</pre>"));
  EXPECT_TRUE(holds(html, "<h2 title=\"/d/a&quot;b&#39;&lt;c&gt;&amp;.txt\">/d/a&quot;b&#39;&lt;c&gt;&amp;.txt"));
  EXPECT_TRUE(holds(html, "<td class=\"ln\">4</td><td class=\"line\">x &amp; <mark>&lt;TAG&gt;</mark> &quot;q&quot;</td>"));
  EXPECT_FALSE(holds(html, "<c>"));
}

TEST(HtmlReport, OneSectionPerFileWithNoticesAndMessagesBetween) {
  ExportSet set;
  ResultTable grid = gridOf({{0, "Searching 2 files/folders starts 14:07:09", ""},
                             {0, "/d/a.txt", "/d/a.txt"},
                             {1, "alpha", "/d/a.txt", 1},
                             {2, "alpha again", "/d/a.txt", 1},
                             {-1, "took too long", "/d/b.txt"},
                             {0, "2 matches", ""}});
  const std::string html = xcHtmlReport(grid, set);
  const size_t message = html.find("<p class=\"message\">Searching 2");
  const size_t first = html.find("<h2 title=\"/d/a.txt\">/d/a.txt<span class=\"count\">2 lines</span>");
  const size_t second = html.find("<h2 title=\"/d/b.txt\">/d/b.txt<span class=\"count\">0 lines</span>");
  const size_t notice = html.find("<tr class=\"notice\"><td class=\"ln\"></td><td class=\"line\">took too long");
  const size_t summary = html.find("<p class=\"message\">2 matches</p>");
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(message, first);
  EXPECT_LT(first, second);
  EXPECT_LT(second, notice);
  EXPECT_LT(notice, summary);
  EXPECT_NE(summary, std::string::npos);
  EXPECT_FALSE(holds(html, "<td class=\"line\">/d/a.txt"));  // the file-name row is the heading
}

TEST(HtmlReport, MatchLengthFromTheFindStringsElseTheWord) {
  struct Case {
    Text line;
    int position;
    TextList finds;
    bool caseInsensitive;
    size_t length;
  };
  for (const Case& c : {Case{u"say Hello world", 5, {u"hello", u"hello w"}, true, 7},
                        Case{u"say Hello world", 5, {u" hello "}, true, 5},
                        Case{u"say Hello world", 5, {u"hello"}, false, 5},
                        Case{u"say Helloworld_2 x", 5, {u"zz"}, false, 12},
                        Case{u"a + b", 3, {}, true, 1},
                        Case{u"abc", 4, {u"abc"}, true, 0},
                        Case{u"abc", 0, {u"abc"}, true, 0}}) {
    SCOPED_TRACE(U8(c.line) + " @" + std::to_string(c.position));
    EXPECT_EQ(matchLength(c.line, c.position, c.finds, c.caseInsensitive), c.length);
  }
}
