#pragma once
// The time picker's working time: step, normalise, read and format.
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

struct PickerTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Seconds and minutes carry into the next unit, hours wrap around the day (no carry into days):
// 23:59:59 + 1 s is 00:00:00, 00:00:00 - 1 s is 23:59:59.
void NormalisePickerTime(PickerTime& time);

PickerTime PickerTimeFromValue(DateTimeValue value);  // the time of day of a date-time value
DateTimeValue PickerTimeToValue(const PickerTime& time);

// A field's text as a whole number; anything else counts as 0.
int PickerFieldNumber(TextView text);
// Two digits, zero-padded ("%2.2d").
Text PickerFieldText(int value);

}  // namespace varko
