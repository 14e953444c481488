#pragma once
// Date, time and number text.
#include <cstdint>
#include <ctime>
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

// Calendar arithmetic on date-time values.
bool xcIsLeapYear(int year);
int xcDaysInMonth(int year, int month);
// Throws EConvertError ("Invalid argument to date encode") for an impossible date or year > 9999.
DateTimeValue xcEncodeDate(int year, int month, int day);
DateTimeValue xcEncodeTime(int hour, int minute, int second, int millisecond = 0);
void xcDecodeDate(DateTimeValue v, int& year, int& month, int& day);
void xcDecodeTime(DateTimeValue v, int& hour, int& minute, int& second, int& millisecond);
// Local time of a POSIX time; twoSecondSteps rounds seconds down to an even number, as the
// date stamp of a directory listing does.
DateTimeValue xcUnixToDateTime(std::time_t t, bool twoSecondSteps = false);

// Formats with dd, mm, mmm (English Jan..Dec), yy, yyyy, hh, nn, ss; other characters copied.
Text xcFormatDateTime(TextView pattern, DateTimeValue v);

Text xcTodayText(const Clock& clock);  // "dd-mmm-yy"
Text xcTimeText(const Clock& clock);   // "hh:nn:ss"

// mode 1 reads text, 2 reads number, 3 reads value. errorFlag 0 accepted, 1 rejected.
void xcDateConvert(int mode, TextView formatCode, TextView separator, Text& dateText,
                   int32_t& dateNumber, DateTimeValue& dateValue, int32_t& errorFlag);
// 0 for any text that cannot become a date (a year above 9999 included); they never throw.
DateTimeValue xcDateTextToValue(TextView dateText);
int32_t xcDateTextToNumber(TextView dateText);
Text xcDateValueToText(DateTimeValue v);

// mode 1 raises EConvertError for a part that is not a whole number.
void xcTimeConvert(int mode, Text& timeText, int32_t& timeNumber, DateTimeValue& timeValue,
                   int32_t& errorFlag);

// The platform's integer conversion: blanks, sign, decimal or hex ($, x, 0x); throws
// EConvertError("'%s' is not a valid integer value").
int32_t xcStrToInt(TextView s);
bool xcTryStrToInt(TextView s, int32_t& value);

int32_t xcNumberParse(TextView text, int32_t decimalPlaces, int32_t& errorCode, Text& errorText);

int64_t xcFileSize(const Text& fileName);
Text xcFileDateText(const Text& fileName);
Text xcFileInfoText(const Text& fileName);

}  // namespace varko
