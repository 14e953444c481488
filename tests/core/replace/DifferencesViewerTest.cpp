#include "replace/DifferencesViewer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace varko {
namespace {

using test::T;
using test::U8;

TEST(DifferencesViewer, QuoteArgTrimsAndQuotesOnlyTextWithABlank) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"  /data/report.txt ", u"/data/report.txt"},
      {u"/tmp/my data/x.txt", u"\"/tmp/my data/x.txt\""},
      {u"\"a b\"", u"\"\"a b\"\""},
      {u"", u""},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(xcQuoteArg(text), quoted) << U8(text);
}

TEST(DifferencesViewer, OnlyAnExistingFileNamedInTheSettingsIsAViewer) {
  test::TempDir dir;
  const std::string viewer = dir.write("viewer", "");
  const std::string settings = dir.file("Varko64.INI");
  const std::pair<std::string, std::string> cases[] = {
      {"[Settings]\r\nDifferencesViewer=none\r\n", ""},
      {"[Settings]\r\nOther=1\r\n", ""},
      {"[Settings]\r\nDifferencesViewer= " + viewer + " \r\n", viewer},
      {"[Settings]\r\nDifferencesViewer=" + dir.path() + "missing\r\n", ""},
  };
  for (const auto& [content, expected] : cases) {
    dir.write("Varko64.INI", content);
    EXPECT_EQ(U8(xcDifferencesViewer(T(settings))), expected) << content;
  }
}

TEST(DifferencesViewer, AProgramThatCannotStartIsReportedWithTheSystemsText) {
  Text message;
  EXPECT_FALSE(xcCommand(u"/nonexistent/viewer", u"a \"b c\"", u"", [&](const Text& m) { message = m; }));
  EXPECT_EQ(message, u"xcCommand error:/nonexistent/viewer a \"b c\" \r\nNo such file or directory");
}

TEST(DifferencesViewer, TheViewerGetsBothFileNamesAsTwoArguments) {
  test::TempDir dir;
  const std::string fifo = dir.file("arguments");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string viewer = dir.write("viewer", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + fifo + "'\n");
  chmod(viewer.c_str(), 0755);
  dir.write("Varko64.INI", "[Settings]\r\nDifferencesViewer=" + viewer + "\r\n");
  // Opened before the viewer starts, so that its write never waits for a reader.
  const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(fd, 0);

  bool shown = false;
  TextList messages;
  xcShowDifferences(u"/data/it's.txt", u"/my data/a\\b-temp.txt", shown, T(dir.file("Varko64.INI")),
                    [&](const Text& m) { messages.push_back(m); });
  EXPECT_TRUE(shown);
  ASSERT_TRUE(messages.empty()) << U8(messages[0]);

  // The viewer runs on its own; wait (at most 10 s) until it has written and closed.
  std::string received;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0) break;
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) received.append(buffer, static_cast<size_t>(n));
    if (n == 0 || (p.revents & POLLHUP)) break;
  }
  close(fd);
  EXPECT_EQ(received, "/data/it's.txt\n/my data/a\\b-temp.txt\n");

  // A viewer that cannot start does not count as shown.
  chmod(viewer.c_str(), 0644);
  xcShowDifferences(u"/a.txt", u"/b.txt", shown, T(dir.file("Varko64.INI")), [&](const Text& m) { messages.push_back(m); });
  EXPECT_FALSE(shown);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].ends_with(u"Permission denied")) << U8(messages[0]);
}

}  // namespace
}  // namespace varko
