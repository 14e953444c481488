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

TEST_F(FeedbackTest, blank_settings_name_means_executable_path_with_ini) {
  EXPECT_EQ(FeedbackSettingsFile(u""), dir.text() + u"Varko64.ini");
  EXPECT_EQ(FeedbackSettingsFile(u"  "), dir.text() + u"Varko64.ini");
  EXPECT_EQ(FeedbackSettingsFile(u"/x/y.INI"), u"/x/y.INI");
}

TEST_F(FeedbackTest, each_use_is_counted_and_written_at_once) {
  const Text ini = dir.text() + u"Varko64.INI";
  EXPECT_EQ(CountUse(ini), 1);
  EXPECT_EQ(IniFile(ini).ReadInteger(u"Varko64", kUseCounterKey, -1), 1);
  EXPECT_EQ(CountUse(ini), 2);
  EXPECT_EQ(IniFile(ini).ReadInteger(u"varko64", u"norvpostcardnum1", -1), 2);
}

TEST_F(FeedbackTest, counter_continues_from_a_hand_written_value) {
  const Text ini = T(dir.write("Varko64.INI", "[Varko64]\r\nNORVPostcardnum1=99\r\n"));
  const int count = CountUse(ini);
  EXPECT_EQ(count, 100);
  EXPECT_TRUE(IsPostcardDue(count));
}

TEST_F(FeedbackTest, renamed_executable_counts_afresh) {
  const Text ini = dir.text() + u"Varko64.INI";
  CountUse(ini);
  CountUse(ini);
  setExePathForTesting(dir.text() + u"Varko64-new");
  EXPECT_EQ(CountUse(ini), 1);
  EXPECT_EQ(IniFile(ini).ReadInteger(u"Varko64", kUseCounterKey, -1), 2);
}

TEST_F(FeedbackTest, request_is_due_at_ten_and_every_hundredth_use_only) {
  std::vector<int> due;
  for (int count = -100; count <= 1000; ++count)
    if (IsPostcardDue(count)) due.push_back(count);
  EXPECT_EQ(due, (std::vector<int>{10, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
}

TEST_F(FeedbackTest, fresh_file_reaches_the_request_at_the_tenth_use) {
  const Text ini = dir.text() + u"Varko64.INI";
  std::vector<int> due;
  for (int i = 0; i < 12; ++i) {
    const int count = CountUse(ini);
    if (IsPostcardDue(count)) due.push_back(count);
  }
  EXPECT_EQ(due, std::vector<int>{10});
}

TEST_F(FeedbackTest, refused_counter_write_raises) {
  const Text ini = T(dir.mkdir("Varko64.INI"));
  EXPECT_THROW(CountUse(ini), EIniFileException);
}

TEST_F(FeedbackTest, link_joins_address_subject_and_body_without_encoding) {
  EXPECT_EQ(xcMailToLink(u"Hi & bye", u"a%0d%0ab"),
            u"mailto:feedback@varko.example.org?Subject=Hi & bye&Body=a%0d%0ab");
}

TEST_F(FeedbackTest, blank_subject_becomes_the_default_with_its_trailing_blank) {
  EXPECT_EQ(xcMailToLink(u" ", u"b"),
            u"mailto:feedback@varko.example.org?Subject=NORV Postcard &Body=b");
}

TEST_F(FeedbackTest, postcard_mail_is_handed_to_the_desktop_and_logged) {
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

TEST_F(FeedbackTest, failure_of_the_desktop_is_reported_back) {
  EXPECT_FALSE(xcMailTo(u"s", u"b", FakeClock(), [](const Text&) { return false; }));
}

}  // namespace
}  // namespace varko
