#include <gtest/gtest.h>

#include "search/Stopwatch.h"
#include "setup/SearchSetup.h"
#include "support/TestSupport.h"

using namespace varko;

TEST(Stopwatch, TextsForSecondsMinutesAndHours) {
  struct Case {
    double seconds;
    const char16_t* text;
  } cases[] = {
      {4.056, u"4.056s"}, {0.007, u"0.007s"}, {0, u"0.000s"},     {59.9994, u"59.999s"},
      {303, u"5m3s"},     {3723, u"1h2m3s"},  {25 * 3600, u"1h0m0s"},
  };
  for (const auto& c : cases) EXPECT_EQ(xcIntervalText(c.seconds * kOneSecond), c.text) << c.seconds;
}

TEST(Stopwatch, ModeOneStampsAndModeTwoMeasures) {
  FakeClock clock(45000.25);
  DateTimeValue stamp = 0;
  Text text = u"unchanged";
  xcElapsedText(ElapsedStep::Start, stamp, text, clock);
  EXPECT_EQ(text, u"unchanged");
  clock.advanceSeconds(2.031);
  xcElapsedText(ElapsedStep::Measure, stamp, text, clock);
  EXPECT_EQ(text, u"2.031s");
}

TEST(SearchSetup, RequestListsFromTheAdvancedLists) {
  varko::test::TempDir dir;
  dir.mkdir("one");
  AdvancedList folders;
  folders.texts = {dir.text() + u"one", dir.text() + u"missing", u"  ", dir.text()};
  folders.checked = {true, true, true, false};
  Text edit = u"typed";
  auto list = PrepareAdvancedFolders(folders, kSimpleMode, edit);
  EXPECT_EQ(list.items, TextList{dir.text() + u"one"});
  EXPECT_EQ(edit, dir.text() + u"one");  // simple mode keeps the simple folder in slot 0
  folders.checked[3] = true;
  list = PrepareAdvancedFolders(folders, kAdvancedMode, edit);
  EXPECT_EQ(edit, dir.text() + u"one," + dir.text());

  AdvancedList specs;
  specs.texts = {u"*.pas", u"", u"*.inc"};
  specs.checked = {true, true, false};
  EXPECT_EQ(PrepareAdvancedFileSpecs(specs).text, u"*.pas,");
  specs.texts[2] = u" *.* ";
  specs.checked[2] = true;
  EXPECT_EQ(PrepareAdvancedFileSpecs(specs).items, TextList{u"*.*"});

  StringTable strings;
  strings.find(1) = u"cat";
  strings.find(2) = u" ";
  strings.find(200) = u"dog";
  strings.count = 2;
  EXPECT_EQ(PrepareAdvancedStrings(strings).text, u"cat,dog");
}

TEST(SearchSetup, HistoryIgnoresEmptyTextsAndDuplicatesInAnyLetterCase) {
  SearchHistory history;
  history.AddStringToHistory(u"Mutex");
  history.AddStringToHistory(u"");
  history.AddStringToHistory(u"MUTEX");
  history.AddStringToHistory(u"mutex ");
  history.AddStringToHistory(u"lock");
  EXPECT_EQ(history.items(), (TextList{u"Mutex", u"mutex ", u"lock"}));
}
