#include "find/DateOrder.h"

#include <gtest/gtest.h>

using namespace varko;

TEST(date_order_test, end_before_start_becomes_start) {
  Text end = u"28-Feb-24";
  KeepDateOrder(u"01-Mar-24", end);
  EXPECT_EQ(end, u"01-Mar-24");
}

TEST(date_order_test, end_after_or_on_start_is_kept_as_typed) {
  Text end = u"2024-03-31";
  KeepDateOrder(u"01-Mar-24", end);
  EXPECT_EQ(end, u"2024-03-31");
  end = u"1/3/24";
  KeepDateOrder(u"01-Mar-24", end);
  EXPECT_EQ(end, u"1/3/24");
}

TEST(date_order_test, blank_end_takes_start) {
  Text end = u"  ";
  KeepDateOrder(u"05-Mar-24", end);
  EXPECT_EQ(end, u"05-Mar-24");
}

TEST(date_order_test, unreadable_start_keeps_any_end) {
  Text end = u"05-Mar-24";
  KeepDateOrder(u"not a date", end);
  EXPECT_EQ(end, u"05-Mar-24");
}

TEST(date_order_test, unreadable_end_counts_as_zero_and_takes_start) {
  Text end = u"32-Xyz-24";
  KeepDateOrder(u"05-Mar-24", end);
  EXPECT_EQ(end, u"05-Mar-24");
}
