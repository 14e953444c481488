#include "setup/PickerTime.h"

#include "lib/DateTime.h"

namespace varko {

namespace {
// The same result as subtracting or adding unit while the value is out of range, without
// looping over a large typed number.
void carry(long long& value, long long& next, long long unit) {
  long long turns = value / unit;
  if (value % unit < 0) --turns;
  value -= turns * unit;
  next += turns;
}
}  // namespace

void NormalisePickerTime(PickerTime& time) {
  long long h = time.hour, m = time.minute, s = time.second;
  carry(s, m, 60);
  carry(m, h, 60);
  long long days = 0;
  carry(h, days, 24);
  time.hour = static_cast<int>(h);
  time.minute = static_cast<int>(m);
  time.second = static_cast<int>(s);
}

PickerTime PickerTimeFromValue(DateTimeValue value) {
  PickerTime t;
  int millisecond = 0;
  xcDecodeTime(value, t.hour, t.minute, t.second, millisecond);
  return t;
}

DateTimeValue PickerTimeToValue(const PickerTime& time) {
  return xcEncodeTime(time.hour, time.minute, time.second, 0);
}

int PickerFieldNumber(TextView text) {
  int32_t value = 0;
  return xcTryStrToInt(text, value) ? value : 0;
}

Text PickerFieldText(int value) {
  Text t = intToText(value);
  if (value >= 0 && t.size() < 2) t.insert(t.begin(), u'0');
  return t;
}

}  // namespace varko
