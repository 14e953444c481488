#include "setup/PickerTime.h"

#include <gtest/gtest.h>
#include "lib/DateTime.h"

using namespace varko;

namespace {
PickerTime normalised(int h, int m, int s) {
  PickerTime t{h, m, s};
  NormalisePickerTime(t);
  return t;
}
void expectTime(const PickerTime& t, int h, int m, int s) {
  EXPECT_EQ(t.hour, h);
  EXPECT_EQ(t.minute, m);
  EXPECT_EQ(t.second, s);
}
}  // namespace

TEST(PickerTimeTest, CarriesWrapWithoutDays) {
  expectTime(normalised(23, 59, 60), 0, 0, 0);
  expectTime(normalised(0, 0, -1), 23, 59, 59);
  expectTime(normalised(28, 30, 0), 4, 30, 0);
  expectTime(normalised(0, 0, -5), 23, 59, 55);
  expectTime(normalised(10, 75, 0), 11, 15, 0);
  expectTime(normalised(99, 0, 0), 3, 0, 0);
  expectTime(normalised(0, -61, 0), 22, 59, 0);
}

TEST(PickerTimeTest, HugeTypedNumbersAreNormalisedQuickly) {
  expectTime(normalised(0, 0, 2147483647), 3, 14, 7);
  expectTime(normalised(-2147483647, 0, 0), 17, 0, 0);
}

TEST(PickerTimeTest, FieldTextReadsWholeNumbersOnly) {
  EXPECT_EQ(PickerFieldNumber(u"75"), 75);
  EXPECT_EQ(PickerFieldNumber(u"abc"), 0);
  EXPECT_EQ(PickerFieldNumber(u""), 0);
  EXPECT_EQ(PickerFieldText(7), u"07");
  EXPECT_EQ(PickerFieldText(23), u"23");
}

TEST(PickerTimeTest, ValueRoundTripDropsMilliseconds) {
  PickerTime t = PickerTimeFromValue(45356.0 + xcEncodeTime(22, 30, 5, 400));
  expectTime(t, 22, 30, 5);
  EXPECT_DOUBLE_EQ(PickerTimeToValue(t), xcEncodeTime(22, 30, 5, 0));
}
