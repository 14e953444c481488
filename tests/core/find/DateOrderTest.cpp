#include "find/DateOrder.h"

#include <gtest/gtest.h>

using namespace varko;

TEST(DateOrderTest, EndBeforeStartBecomesStart) {
  Text end = u"28-Feb-24";
  KeepDateOrder(u"01-Mar-24", end);
  EXPECT_EQ(end, u"01-Mar-24");
}

TEST(DateOrderTest, EndAfterOrOnStartIsKeptAsTyped) {
  Text end = u"2024-03-31";
  KeepDateOrder(u"01-Mar-24", end);
  EXPECT_EQ(end, u"2024-03-31");
  end = u"1/3/24";
  KeepDateOrder(u"01-Mar-24", end);
  EXPECT_EQ(end, u"1/3/24");
}

TEST(DateOrderTest, BlankEndTakesStart) {
  Text end = u"  ";
  KeepDateOrder(u"05-Mar-24", end);
  EXPECT_EQ(end, u"05-Mar-24");
}

TEST(DateOrderTest, UnreadableStartKeepsAnyEnd) {
  Text end = u"05-Mar-24";
  KeepDateOrder(u"not a date", end);
  EXPECT_EQ(end, u"05-Mar-24");
}

TEST(DateOrderTest, UnreadableEndCountsAsZeroAndTakesStart) {
  Text end = u"32-Xyz-24";
  KeepDateOrder(u"05-Mar-24", end);
  EXPECT_EQ(end, u"05-Mar-24");
}
