#include "results/RunLog.h"

#include <gtest/gtest.h>

#include <string>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/FileChannels.h"
#include "lib/Library.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;

class RunLogTest : public ::testing::Test {
protected:
  void SetUp() override {
    librarySettings().logFolder.clear();
    setExePathForTesting(dir_.text() + u"Varko64");
  }
  void TearDown() override {
    setExePathForTesting(u"");
    librarySettings().logFolder.clear();
  }
  std::string log() const { return readFileBytes(dir_.file("NORVrun.log")); }

  test::TempDir dir_;
  FakeClock clock_{xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9)};
};

TEST_F(RunLogTest, FirstEntryCreatesTheLogAndLaterOnesOfTheDayAppend) {
  xcLog(u"Printfile /tmp/Report.txt Text Notepad.exe", clock_);
  clock_.advanceSeconds(61);
  xcLog(u"mailto:me@example.com\r\n", clock_);  // already ends in a line end
  EXPECT_EQ(log(),
            "05-Mar-24 14:07:09 Varko64 Printfile /tmp/Report.txt Text Notepad.exe\r\n"
            "05-Mar-24 14:08:10 Varko64 mailto:me@example.com\r\n");
}

TEST_F(RunLogTest, AFirstLineNotStartingWithTodayStartsTheLogAfresh) {
  for (const char* first : {"04-Mar-24 10:00:00 Varko64 old\r\nmore\r\n", "05-MAR-24 x\r\n", "05-Mar\r\n",
                            " 05-Mar-24\r\n", "\r\n05-Mar-24\r\n"}) {
    dir_.write("NORVrun.log", first);
    xcLog(u"entry", clock_);
    EXPECT_EQ(log(), "05-Mar-24 14:07:09 Varko64 entry\r\n") << first;
  }
}

TEST_F(RunLogTest, ADayChangeWhileRunningStartsTheLogAfresh) {
  clock_.set(xcEncodeDate(2024, 3, 5) + xcEncodeTime(23, 59, 59));
  xcLog(u"before", clock_);
  clock_.advanceSeconds(2);
  xcLog(u"after", clock_);
  EXPECT_EQ(log(), "06-Mar-24 00:00:01 Varko64 after\r\n");
}

// Fault: characters above U+00FF were written as their low byte, so such paths were lost.
TEST_F(RunLogTest, RegressionTheLogIsUtf8KeepingCharactersAboveCode255) {
  xcLog(Text{u'\u00E9', u'\u0141', u'\u20AC', u'/', 0xD83D, 0xDE00}, clock_);
  EXPECT_EQ(log(), "05-Mar-24 14:07:09 Varko64 \xC3\xA9\xC5\x81\xE2\x82\xAC/\xF0\x9F\x98\x80\r\n");
  clock_.advanceSeconds(1);
  xcLog(u"next", clock_);  // the first line still starts with today: appended
  EXPECT_EQ(log().substr(log().size() - 33), "05-Mar-24 14:07:10 Varko64 next\r\n");
}

TEST_F(RunLogTest, ProgramNameDropsOnlyAFourCharacterExtension) {
  for (auto [file, name] : {std::pair{u"Varko64.exe", u"Varko64"}, {u"Varko64", u"Varko64"},
                            {u"Varko.sh", u"Varko.sh"}, {u".exe", u".exe"}}) {
    setExePathForTesting(dir_.text() + file);
    EXPECT_EQ(xcProgramName(), name);
  }
}

TEST_F(RunLogTest, LogFolderSettingIsUsedOnlyWhenItExists) {
  const std::string folder = dir_.mkdir("logs");
  librarySettings().logFolder = T(folder);  // no trailing separator
  xcLog(u"x", clock_);
  EXPECT_EQ(readFileBytes(folder + "/NORVrun.log"), "05-Mar-24 14:07:09 Varko64 x\r\n");
  librarySettings().logFolder = dir_.text() + u"missing";
  EXPECT_EQ(xcLogFileName(), dir_.text() + u"NORVrun.log");
}

TEST_F(RunLogTest, LogThatCannotBeOpenedReachesTheCallerWithChannelsClosed) {
  dir_.mkdir("NORVrun.log");
  EXPECT_THROW(xcLog(u"x", clock_), EFileError);
  EXPECT_FALSE(channelIsOpen(21));
}

TEST_F(RunLogTest, FirstLineStopsAtCrOrLf) {
  EXPECT_EQ(xcFirstLine(dir_.text() + u"missing.txt"), u"");
  EXPECT_EQ(xcFirstLine(T(dir_.write("empty.txt", ""))), u"");
  EXPECT_EQ(xcFirstLine(T(dir_.write("one.txt", "only"))), u"only");
  EXPECT_EQ(xcFirstLine(T(dir_.write("cr.txt", "abc\rdef\r\n"))), u"abc");
  EXPECT_FALSE(channelIsOpen(21));
}

TEST_F(RunLogTest, FileLineEmptiesOnlyForOutputAndCreatesWhenMissingOrEmpty) {
  const Text name = T(dir_.write("f.txt", "old\r\n"));
  xcFileLine(u'I', name, u"one");
  xcFileLine(u'z', name, u"two");
  EXPECT_EQ(readFileBytes(dir_.file("f.txt")), "old\r\none\r\ntwo\r\n");
  xcFileLine(u'o', name, u"new");
  EXPECT_EQ(readFileBytes(dir_.file("f.txt")), "new\r\n");
  xcFileLine(u'A', dir_.text() + u"made.txt", u"made");
  EXPECT_EQ(readFileBytes(dir_.file("made.txt")), "made\r\n");
}

}  // namespace
}  // namespace varko
