#include "lib/Programs.h"

#include <sys/stat.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace varko {
namespace {

using test::T;
using test::U8;

TEST(Programs, ParametersSplitAsAShellSplitsThem) {
  const std::pair<const char16_t*, TextList> cases[] = {
      {u" /a/b.txt  \"/my data/c.txt\" ", {u"/a/b.txt", u"/my data/c.txt"}},
      {u"'it''s' x\\ y \"q\\\"z\" a\\b", {u"its", u"x y", u"q\"z", u"a\\b"}},
      {u" -cursor 12:5 \"/a b/c.txt\"", {u"-cursor", u"12:5", u"/a b/c.txt"}},
      {u"run 'x y'z \"\"", {u"run", u"x yz", u""}},
      {u"   ", {}},
  };
  for (const auto& [text, words] : cases) EXPECT_EQ(splitCommandLine(text), words) << U8(text);
}

TEST(Programs, AStartThatFailsGivesTheSystemsReason) {
  test::TempDir dir;
  const std::string script = dir.write("script", "#!/bin/sh\n");
  chmod(script.c_str(), 0644);
  EXPECT_EQ(startDetachedProgram(u"varko-no-such-program", {}), ENOENT);
  EXPECT_EQ(startDetachedProgram(T(dir.file("missing")), {}), ENOENT);
  EXPECT_EQ(startDetachedProgram(T(script), {}), EACCES);
  chmod(script.c_str(), 0755);
  EXPECT_EQ(startDetachedProgram(T(script), {}, T(dir.file("no-folder"))), ENOENT);
  EXPECT_EQ(startDetachedProgram(T(script), {u"it's"}, T(dir.path())), 0);
}

}  // namespace
}  // namespace varko
