#include "setup/Feedback.h"

#include <gtest/gtest.h>

#include <vector>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/IniFile.h"
#include "lib/Library.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::T;
using test::TempDir;

class FeedbackTest : public ::testing::Test {
protected:
  void SetUp() override {
    setExePathForTesting(dir.text() + u"Varko64");
    librarySettings().logFolder = dir.text();
  }
  void TearDown() override {
    setExePathForTesting(Text());
    librarySettings().logFolder.clear();
  }
  TempDir dir;
};

TEST_F(FeedbackTest, BlankSettingsNameMeansExecutablePathWithIni) {
  EXPECT_EQ(FeedbackSettingsFile(u""), dir.text() + u"Varko64.ini");
  EXPECT_EQ(FeedbackSettingsFile(u"  "), dir.text() + u"Varko64.ini");
  EXPECT_EQ(FeedbackSettingsFile(u"/x/y.INI"), u"/x/y.INI");
}

TEST_F(FeedbackTest, EachUseIsCountedAndWrittenAtOnce) {
  const Text ini = dir.text() + u"Varko64.INI";
  EXPECT_EQ(CountUse(ini), 1);
  EXPECT_EQ(IniFile(ini).ReadInteger(u"Varko64", kUseCounterKey, -1), 1);
  EXPECT_EQ(CountUse(ini), 2);
  EXPECT_EQ(IniFile(ini).ReadInteger(u"varko64", u"norvpostcardnum1", -1), 2);
}

TEST_F(FeedbackTest, CounterContinuesFromAHandWrittenValue) {
  const Text ini = T(dir.write("Varko64.INI", "[Varko64]\r\nNORVPostcardnum1=99\r\n"));
  const int count = CountUse(ini);
  EXPECT_EQ(count, 100);
  EXPECT_TRUE(IsPostcardDue(count));
}

TEST_F(FeedbackTest, RenamedExecutableCountsAfresh) {
  const Text ini = dir.text() + u"Varko64.INI";
  CountUse(ini);
  CountUse(ini);
  setExePathForTesting(dir.text() + u"Varko64-new");
  EXPECT_EQ(CountUse(ini), 1);
  EXPECT_EQ(IniFile(ini).ReadInteger(u"Varko64", kUseCounterKey, -1), 2);
}

TEST_F(FeedbackTest, RequestIsDueAtTenAndEveryHundredthUseOnly) {
  std::vector<int> due;
  for (int count = -100; count <= 1000; ++count)
    if (IsPostcardDue(count)) due.push_back(count);
  EXPECT_EQ(due, (std::vector<int>{10, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
}

TEST_F(FeedbackTest, FreshFileReachesTheRequestAtTheTenthUse) {
  const Text ini = dir.text() + u"Varko64.INI";
  std::vector<int> due;
  for (int i = 0; i < 12; ++i) {
    const int count = CountUse(ini);
    if (IsPostcardDue(count)) due.push_back(count);
  }
  EXPECT_EQ(due, std::vector<int>{10});
}

TEST_F(FeedbackTest, RefusedCounterWriteRaises) {
  const Text ini = T(dir.mkdir("Varko64.INI"));
  EXPECT_THROW(CountUse(ini), EIniFileException);
}

TEST_F(FeedbackTest, LinkJoinsAddressSubjectAndBodyWithoutEncoding) {
  EXPECT_EQ(xcMailToLink(u"Hi & bye", u"a%0d%0ab"),
            u"mailto:feedback@varko.example.org?Subject=Hi & bye&Body=a%0d%0ab");
}

TEST_F(FeedbackTest, BlankSubjectBecomesTheDefaultWithItsTrailingBlank) {
  EXPECT_EQ(xcMailToLink(u" ", u"b"),
            u"mailto:feedback@varko.example.org?Subject=NORV Postcard &Body=b");
}

TEST_F(FeedbackTest, PostcardMailIsHandedToTheDesktopAndLogged) {
  Text opened;
  const FakeClock clock(xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9));
  const bool ok = xcMailTo(PostcardSubject(u"Varko64 - Tessel"), PostcardBody(), clock,
                           [&](const Text& link) {
                             opened = link;
                             return true;
                           });
  EXPECT_TRUE(ok);
  const Text expected =
      u"mailto:feedback@varko.example.org?Subject=NORV - I have been using Varko64 - Tessel"
      u"&Body=Send feedback - what you like (and what could be improved)."
      u"%0d%0a%0d%0aA nice picture from somewhere around where you live would be wonderful!";
  EXPECT_EQ(opened, expected);
  const std::string log = test::readFileBytes(dir.file("NORVrun.log"));
  EXPECT_EQ(log, "05-Mar-24 14:07:09 Varko64 " + test::U8(expected) + "\r\n");
}

TEST_F(FeedbackTest, FailureOfTheDesktopIsReportedBack) {
  EXPECT_FALSE(xcMailTo(u"s", u"b", FakeClock(), [](const Text&) { return false; }));
}

}  // namespace
}  // namespace varko
