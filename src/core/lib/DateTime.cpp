#include "lib/DateTime.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <limits>

#include "lib/Errors.h"

namespace varko {

namespace {

constexpr long long kMsPerDay = 86400000;
// Days from 0001-01-01 to 1899-12-30 and to 9999-12-31, as date-time values.
constexpr long long kFirstDay = -693593;
constexpr long long kLastDay = 2958465;

constexpr const char16_t* kMonthNames[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                             u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr const char16_t* kMonthKeys[12] = {u"JAN", u"FEB", u"MAR", u"APR", u"MAY", u"JUN",
                                            u"JUL", u"AUG", u"SEP", u"OCT", u"NOV", u"DEC"};

// Proleptic Gregorian day count relative to 1970-01-01 (H. Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const long long kEpochOffset = daysFromCivil(1899, 12, 30);

// Whole days and milliseconds of the day, rounded to the millisecond so that a value a hair
// below midnight reads as midnight. A negative value keeps its time of day in the magnitude
// of its fraction, as the platform's values do. False when outside years 1..9999.
bool splitValue(DateTimeValue v, long long& days, long long& ms) {
  if (!std::isfinite(v) || v < double(kFirstDay) - 1 || v > double(kLastDay) + 1) return false;
  if (v >= 0) {
    const long long total = std::llround(v * double(kMsPerDay));
    days = total / kMsPerDay;
    ms = total % kMsPerDay;
  } else {
    const double whole = std::trunc(v);
    days = static_cast<long long>(whole);
    ms = std::llround((whole - v) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
      ms -= kMsPerDay;
      --days;
    }
  }
  return days >= kFirstDay && days <= kLastDay;
}

Text twoDigits(long long v) {
  Text t = intToText(v);
  return t.size() < 2 ? u"0" + t : t;
}

Text padded(long long v, size_t width) {
  Text t = intToText(v);
  if (t.size() < width) t.insert(0, width - t.size(), u'0');
  return t;
}

bool matchesAt(TextView pattern, size_t i, TextView token) {
  if (pattern.size() - i < token.size()) return false;
  for (size_t k = 0; k < token.size(); ++k)
    if (xcUpCaseChar(pattern[i + k]) != xcUpCaseChar(token[k])) return false;
  return true;
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool isFieldChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// 1-based substring from..to inclusive; empty when the range is empty.
Text part(TextView t, size_t from, size_t to) {
  if (from < 1 || to < from || from > t.size()) return Text();
  if (to > t.size()) to = t.size();
  return Text(t.substr(from - 1, to - from + 1));
}

int32_t wholeOrZero(TextView t) {
  int32_t v = 0;
  return xcTryStrToInt(t, v) ? v : 0;
}

bool statRegular(const Text& fileName, struct stat& st) {
  const std::string path = textToPath(fileName);
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void rejectDate(Text& dateText, int32_t& dateNumber, int32_t& errorFlag) {
  errorFlag = 1;
  dateText.clear();
  dateNumber = 0;
}

}  // namespace

DateTimeValue SystemClock::now() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  // Local time takes a process-wide lock; the search threads read the clock for every file, so
  // each thread converts a given second only once.
  thread_local std::time_t cachedSecond = -1;
  thread_local DateTimeValue cachedValue = 0;
  if (ts.tv_sec != cachedSecond) {
    cachedValue = xcUnixToDateTime(ts.tv_sec);
    cachedSecond = ts.tv_sec;
  }
  return cachedValue + double(ts.tv_nsec / 1000000) / double(kMsPerDay);
}

const SystemClock& SystemClock::instance() {
  static const SystemClock clock;
  return clock;
}

bool xcIsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int xcDaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && xcIsLeapYear(year) ? 29 : kDays[month - 1];
}

DateTimeValue xcEncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > xcDaysInMonth(year, month))
    throw EConvertError(u"Invalid argument to date encode");
  return double(daysFromCivil(year, unsigned(month), unsigned(day)) - kEpochOffset);
}

DateTimeValue xcEncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    throw EConvertError(u"Invalid argument to time encode");
  const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  return double(ms) / double(kMsPerDay);
}

void xcDecodeDate(DateTimeValue v, int& year, int& month, int& day) {
  long long days = 0, ms = 0;
  if (!splitValue(v, days, ms)) {
    year = month = day = 0;
    return;
  }
  civilFromDays(days + kEpochOffset, year, month, day);
}

void xcDecodeTime(DateTimeValue v, int& hour, int& minute, int& second, int& millisecond) {
  long long days = 0, ms = 0;
  if (!splitValue(v, days, ms)) ms = 0;
  hour = static_cast<int>(ms / 3600000);
  minute = static_cast<int>(ms / 60000 % 60);
  second = static_cast<int>(ms / 1000 % 60);
  millisecond = static_cast<int>(ms % 1000);
}

DateTimeValue xcUnixToDateTime(std::time_t t, bool twoSecondSteps) {
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return 0;
  int second = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // a leap second stays in its minute
  if (twoSecondSteps) second &= ~1;
  return xcEncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) +
         xcEncodeTime(tm.tm_hour, tm.tm_min, second);
}

Text xcFormatDateTime(TextView pattern, DateTimeValue v) {
  int year, month, day, hour, minute, second, ms;
  xcDecodeDate(v, year, month, day);
  xcDecodeTime(v, hour, minute, second, ms);
  Text out;
  for (size_t i = 0; i < pattern.size();) {
    if (matchesAt(pattern, i, u"yyyy")) {
      out += padded(year, 4);
      i += 4;
    } else if (matchesAt(pattern, i, u"mmm")) {
      out += month >= 1 && month <= 12 ? kMonthNames[month - 1] : u"";
      i += 3;
    } else if (matchesAt(pattern, i, u"yy")) {
      out += twoDigits(year % 100);
      i += 2;
    } else if (matchesAt(pattern, i, u"dd")) {
      out += twoDigits(day);
      i += 2;
    } else if (matchesAt(pattern, i, u"mm")) {
      out += twoDigits(month);
      i += 2;
    } else if (matchesAt(pattern, i, u"hh")) {
      out += twoDigits(hour);
      i += 2;
    } else if (matchesAt(pattern, i, u"nn")) {
      out += twoDigits(minute);
      i += 2;
    } else if (matchesAt(pattern, i, u"ss")) {
      out += twoDigits(second);
      i += 2;
    } else {
      out.push_back(pattern[i]);
      ++i;
    }
  }
  return out;
}

Text xcTodayText(const Clock& clock) { return xcFormatDateTime(u"dd-mmm-yy", clock.now()); }

Text xcTimeText(const Clock& clock) { return xcFormatDateTime(u"hh:nn:ss", clock.now()); }

void xcDateConvert(int mode, TextView formatCode, TextView separator, Text& dateText,
                   int32_t& dateNumber, DateTimeValue& dateValue, int32_t& errorFlag) {
  errorFlag = 0;
  const bool alphaMonth = !formatCode.empty() && formatCode[0] == u'a';
  const bool twoDigitYear = formatCode.size() >= 2 && formatCode[1] == u's';
  const bool isoMode = xcTextPos(formatCode, u"iso", 1) > 0;
  const bool isosMode = xcSameText(formatCode, u"isos");

  const Text trimmed = mode == 1 ? xcTrim(dateText) : Text();
  const bool blank = (mode == 1 && trimmed.size() < 3) || (mode == 2 && dateNumber <= 0) ||
                     (mode == 3 && dateValue <= 0.1);
  if (blank) {
    dateText.clear();
    dateNumber = 0;
    dateValue = 0;
    errorFlag = 1;
    return;
  }

  long long year = 0, month = 0, day = 0;
  if (mode == 1) {
    const Text& t = trimmed;
    const size_t len = t.size();
    size_t s1 = 0, s2 = 0;
    bool anyLetter = false;
    for (size_t i = 0; i < len; ++i) {
      if (isLetter(t[i])) anyLetter = true;
      if (!isFieldChar(t[i])) {
        if (s1 == 0) s1 = i + 1;
        else if (s2 == 0) s2 = i + 1;
      }
    }
    Text dayText = s1 > 0 ? part(t, 1, s1 - 1) : Text();
    Text monthText = s2 > s1 ? part(t, s1 + 1, s2 - 1) : Text();
    Text yearText = s2 > 0 && s2 < len ? part(t, s2 + 1, len) : Text();
    if (len >= 10 && t[4] == u'-' && t[7] == u'-' && s1 == 5 && s2 == 8) {
      yearText = part(t, 1, 4);
      monthText = part(t, 6, 7);
      dayText = part(t, 9, 10);
    }
    if (isosMode && len >= 11 && t[4] == u' ' && t[8] == u' ' && s1 == 5 && s2 == 9) {
      yearText = part(t, 1, 4);
      monthText = part(t, 6, 8);
      dayText = part(t, 10, 11);
    }
    if (anyLetter) {
      const Text key = xcUpperCase(monthText);
      for (int m = 0; m < 12; ++m)
        if (key == kMonthKeys[m]) monthText = intToText(m + 1);
    }
    day = wholeOrZero(dayText);
    month = wholeOrZero(monthText);
    year = wholeOrZero(yearText);
    // A negative year ("5-3 -1945") is no year: the two-digit rule would make it 55.
    if (year < 0) {
      rejectDate(dateText, dateNumber, errorFlag);
      return;
    }
  } else if (mode == 2) {
    long long n = dateNumber;
    if (n == 999999) n = 99991231;
    else if (n < 999999) n += n < 700101 ? 20000000 : 19000000;
    const Text digits = intToText(n);
    year = wholeOrZero(part(digits, 1, 4));
    month = wholeOrZero(part(digits, 5, 6));
    day = wholeOrZero(part(digits, 7, 8));
  } else if (mode == 3) {
    int y, m, d;
    xcDecodeDate(dateValue, y, m, d);
    year = y;
    month = m;
    day = d;
  }

  if (year < 100) year += year < 70 ? 2000 : 1900;

  if (month < 1 || month > 12 || !((day >= 1 && day <= 31) || day == 99)) {
    rejectDate(dateText, dateNumber, errorFlag);
    return;
  }
  // The leap rule only looks at the year modulo 400, so a wide year is safe to reduce.
  const int leapYear = static_cast<int>(year % 400);
  if (day == 99) day = xcDaysInMonth(leapYear, static_cast<int>(month));
  if (day > xcDaysInMonth(leapYear, static_cast<int>(month))) {
    rejectDate(dateText, dateNumber, errorFlag);
    return;
  }

  // A year far beyond 9999 wraps here exactly as the 32-bit original did; encoding then fails.
  dateNumber = static_cast<int32_t>(year * 10000 + month * 100 + day);
  Text yearDigits = intToText(year);
  if (twoDigitYear) yearDigits = part(yearDigits, 3, 4);
  const Text sep(separator);
  dateText = twoDigits(day) + sep +
             (alphaMonth ? Text(kMonthNames[month - 1]) : twoDigits(month)) + sep + yearDigits;
  if (mode == 1 || mode == 2) {
    if (year < 1 || year > 9999) throw EConvertError(u"Invalid argument to date encode");
    dateValue =
        xcEncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
  }
  if (isoMode) dateText = xcFormatDateTime(u"yyyy-mm-dd hh:nn:ss", dateValue);
  if (isosMode) {
    const TextView pattern =
        separator == u" " ? u"yyyy mmm dd hh:nn:ss" : u"yyyy-mmm-dd hh:nn:ss";
    dateText = xcFormatDateTime(pattern, dateValue);
  }
}

namespace {

// A year above 9999 passes the converter's checks but cannot be encoded; for these callers it is
// just one more text that is not a date.
bool readDateText(TextView dateText, int32_t& number, DateTimeValue& value) {
  Text text(dateText);
  int32_t errorFlag = 0;
  number = 0;
  value = 0;
  try {
    xcDateConvert(1, u"a", u"-", text, number, value, errorFlag);
  } catch (const EConvertError&) {
    return false;
  }
  return errorFlag == 0;
}

}  // namespace

DateTimeValue xcDateTextToValue(TextView dateText) {
  int32_t number = 0;
  DateTimeValue value = 0;
  return readDateText(dateText, number, value) ? value : 0;
}

int32_t xcDateTextToNumber(TextView dateText) {
  int32_t number = 0;
  DateTimeValue value = 0;
  return readDateText(dateText, number, value) ? number : 0;
}

Text xcDateValueToText(DateTimeValue v) {
  Text text;
  int32_t number = 0, errorFlag = 0;
  xcDateConvert(3, u"as", u"-", text, number, v, errorFlag);
  return errorFlag == 0 ? text : Text();
}

void xcTimeConvert(int mode, Text& timeText, int32_t& timeNumber, DateTimeValue& timeValue,
                   int32_t& errorFlag) {
  errorFlag = 0;
  // Held as unsigned 16-bit numbers, so a negative part wraps to a large one and is rejected.
  uint16_t hours = 0, minutes = 0, seconds = 0;
  if (mode == 1) {
    const Text& t = timeText;
    size_t end = t.size() < 8 ? t.size() : 8;
    int amPos = xcTextPos(t, u"am", 1);
    if (amPos == 0) amPos = xcTextPos(t, u"a", 1);
    int pmPos = xcTextPos(t, u"pm", 1);
    if (pmPos == 0) pmPos = xcTextPos(t, u"p", 1);
    if (pmPos > 0) end = size_t(pmPos) - 1;
    if (amPos > 0) end = size_t(amPos) - 1;
    Text hourText = u"00", minuteText = u"00", secondText = u"00";
    const size_t c1 = t.find(u':');
    if (c1 != Text::npos) {
      hourText = t.substr(0, c1);
      const Text rest = part(t, c1 + 2, end);
      minuteText = rest;
      const size_t c2 = rest.find(u':');
      if (c2 != Text::npos) {
        minuteText = rest.substr(0, c2);
        secondText = rest.substr(c2 + 1);
      }
    }
    hours = static_cast<uint16_t>(xcStrToInt(hourText));
    minutes = static_cast<uint16_t>(xcStrToInt(minuteText));
    seconds = static_cast<uint16_t>(xcStrToInt(secondText));
    if (pmPos > 0 && hours < 12) hours = static_cast<uint16_t>(hours + 12);
  } else if (mode == 2) {
    Text field = intToText(timeNumber);
    if (field.size() < 6) field.insert(0, 6 - field.size(), u' ');
    int32_t code = 0;
    Text message;
    hours = static_cast<uint16_t>(xcNumberParse(part(field, 1, 2), 0, code, message));
    minutes = static_cast<uint16_t>(xcNumberParse(part(field, 3, 4), 0, code, message));
    seconds = static_cast<uint16_t>(xcNumberParse(part(field, 5, 6), 0, code, message));
  } else if (mode == 3) {
    int h, m, s, ms;
    xcDecodeTime(timeValue, h, m, s, ms);
    hours = static_cast<uint16_t>(h);
    minutes = static_cast<uint16_t>(m);
    seconds = static_cast<uint16_t>(s);
  } else {
    errorFlag = 1;
    return;
  }

  if (hours > 23 || minutes > 59 || seconds > 59) {
    errorFlag = 1;
    return;
  }
  timeText = twoDigits(hours) + u":" + twoDigits(minutes) + u":" + twoDigits(seconds);
  timeNumber = hours * 10000 + minutes * 100 + seconds;
  if (mode == 1 || mode == 2) timeValue = xcEncodeTime(hours, minutes, seconds);
}

bool xcTryStrToInt(TextView s, int32_t& value) {
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
    negative = s[i] == u'-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  const long long limit = negative ? 2147483648LL : 2147483647LL;
  long long magnitude = 0;
  for (; i < s.size(); ++i) {
    const int digit = hexDigit(s[i]);
    if (digit < 0 || digit >= base) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return false;
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

int32_t xcStrToInt(TextView s) {
  int32_t value = 0;
  if (!xcTryStrToInt(s, value))
    throw EConvertError(xcFormat(u"'%s' is not a valid integer value", {Text(s)}));
  return value;
}

int32_t xcNumberParse(TextView text, int32_t decimalPlaces, int32_t& errorCode, Text& errorText) {
  errorCode = 0;
  errorText.clear();
  const Text t = xcTrim(text);
  if (t.empty()) return 0;

  bool negative = false, pointSeen = false;
  Text whole, fraction;
  for (char16_t c : t) {
    if (c == u'-' && !negative) {
      negative = true;
    } else if (c == u'.' && decimalPlaces > 0 && !pointSeen) {
      pointSeen = true;
    } else if (c == u'$' && whole.empty()) {
      // a currency sign ahead of the digits
    } else if (c == u',') {
      // thousands separators carry no value
    } else if (c >= u'0' && c <= u'9') {
      (pointSeen ? fraction : whole).push_back(c);
    } else {
      errorCode = 1;
      errorText = u"invalid character:" + Text(1, c);
      return 0;
    }
  }

  if (decimalPlaces < 0) return 0;
  int32_t result = 0;
  if (decimalPlaces == 0) {
    result = xcStrToInt(whole);
  } else {
    const auto places = static_cast<size_t>(decimalPlaces);
    if (fraction.size() > places) {
      fraction.resize(places);
      errorCode = 2;
      errorText = u"too many decimal places";
    } else {
      fraction.append(places - fraction.size(), u'0');
    }
    // Read as one digit string so a result beyond 32 bits fails like the whole-number case.
    result = xcStrToInt(whole + fraction);
  }
  return negative ? -result : result;
}

int64_t xcFileSize(const Text& fileName) {
  struct stat st {};
  if (!statRegular(fileName, st)) return 0;
  const std::string path = textToPath(fileName);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EFileError(systemErrorText(errno));
  struct stat opened {};
  const int rc = ::fstat(fd, &opened);
  const int savedErrno = errno;
  ::close(fd);
  if (rc != 0) throw EFileError(systemErrorText(savedErrno));
  return static_cast<int64_t>(opened.st_size);
}

namespace {

// The platform's file age: last-write time in local time, two-second steps. False for a missing
// file or a stamp outside the years a date-time value can hold.
bool fileAge(const Text& fileName, DateTimeValue& age) {
  struct stat st {};
  if (!statRegular(fileName, st)) return false;
  try {
    age = xcUnixToDateTime(st.st_mtime, true);
  } catch (const EConvertError&) {
    return false;
  }
  return true;
}

}  // namespace

Text xcFileDateText(const Text& fileName) {
  DateTimeValue age = 0;
  if (!fileAge(fileName, age)) return Text();
  return xcFormatDateTime(u"yyyy-mm-dd hh:nn:ss", age);
}

Text xcFileInfoText(const Text& fileName) {
  struct stat st {};
  if (!statRegular(fileName, st)) return Text();
  DateTimeValue age = 0;
  const Text date =
      fileAge(fileName, age) ? xcFormatDateTime(u"dd-mmm-yy hh:nn", age) : Text(u"(unknown)");
  return date + u" size=" + intToText(xcFileSize(fileName));
}

}  // namespace varko
