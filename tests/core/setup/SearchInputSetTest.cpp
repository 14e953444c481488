#include "setup/SearchInputSet.h"

#include <gtest/gtest.h>

using namespace varko;

TEST(SearchInputSetTest, ASimpleSearchBecomesStringOneAndJoinsTheHistory) {
  struct Case {
    const char* name;
    InputMode mode;
    Text text;
    int count;      // the table's count afterwards, from 3
    Text first;     // find string 1 afterwards, from "old"
    size_t history; // history entries afterwards, from one "cat"
  };
  const Case cases[] = {
      {"simple text", kSimpleMode, u"dog", 1, u"dog", 2},
      {"known text, other case", kSimpleMode, u"CAT", 1, u"CAT", 1},
      {"empty text", kSimpleMode, u"", 3, u"old", 1},
      {"advanced strings", kAdvancedMode, u"dog", 3, u"old", 1},
  };
  for (const Case& c : cases) {
    SearchInputSet inputs;
    inputs.strings.find(1) = u"old";
    inputs.strings.find(2) = u"two";
    inputs.strings.count = 3;
    inputs.history.AddStringToHistory(u"cat");
    SearchRequest request;
    request.stringMode = c.mode;
    request.searchText = c.text;
    inputs.TakeSimpleSearch(request);
    EXPECT_EQ(inputs.strings.count, c.count) << c.name;
    EXPECT_EQ(inputs.strings.find(1), c.first) << c.name;
    EXPECT_EQ(inputs.strings.find(2), Text(u"two")) << c.name;
    EXPECT_EQ(inputs.history.items().size(), c.history) << c.name;
  }
}
