// Date, time and number texts: every mode of the converters on any input. Only the platform's
// conversion error may leave them, and the text helpers never throw.
#include <cmath>
#include "FuzzInput.h"
#include "lib/DateTime.h"
#include "lib/Errors.h"

using namespace varko;
using varko::fuzz::check;

namespace {

constexpr const char16_t* kFormatCodes[] = {u"a", u"as", u"", u"n", u"ns", u"iso", u"isos", u"ISOS", u"aiso", u"x"};
constexpr const char16_t* kSeparators[] = {u"-", u" ", u"/", u"", u"--"};

void checkAcceptedDate(int32_t number, int32_t errorFlag) {
  if (errorFlag != 0) return;
  const int month = number / 100 % 100, day = number % 100;
  check(month >= 1 && month <= 12, "accepted date has a month 1..12");
  check(day >= 1 && day <= xcDaysInMonth(number / 10000, month), "accepted date has a real day");
}

void dates(fuzz::FuzzInput& in) {
  const int mode = in.byte() % 4;  // 0 tries mode 1 with the shortcuts
  const Text formatCode = kFormatCodes[in.byte() % std::size(kFormatCodes)];
  const Text separator = kSeparators[in.byte() % std::size(kSeparators)];
  Text text = in.text(in.flag());
  int32_t number = in.value<int32_t>(), errorFlag = -1;
  DateTimeValue value = in.value<double>();
  try {
    xcDateConvert(mode == 0 ? 1 : mode, formatCode, separator, text, number, value, errorFlag);
    check(errorFlag == 0 || errorFlag == 1, "date error flag is 0 or 1");
    if (errorFlag == 1) check(text.empty() && number == 0, "a rejected date empties text and number");
    checkAcceptedDate(number, errorFlag);
    if (errorFlag == 0 && formatCode == u"a" && separator == u"-") {
      // What the converter writes it reads back as the same date.
      Text again = text;
      int32_t n2 = 0, e2 = 0;
      DateTimeValue v2 = 0;
      xcDateConvert(1, u"a", u"-", again, n2, v2, e2);
      check(e2 == 0 && n2 == number && again == text, "a written date reads back");
    }
  } catch (const EConvertError&) {
  }
  const Text typed = in.text(in.flag());
  const int32_t n = xcDateTextToNumber(typed);
  const DateTimeValue v = xcDateTextToValue(typed);
  if (n == 0) check(v == 0, "a rejected text has no value either");
  checkAcceptedDate(n, n == 0 ? 1 : 0);
  (void)xcDateValueToText(in.value<double>());
}

void times(fuzz::FuzzInput& in) {
  const int mode = in.byte() % 4 + 1;  // 4 is not a mode: rejected
  Text text = in.text(in.flag());
  int32_t number = in.value<int32_t>(), errorFlag = -1;
  DateTimeValue value = in.value<double>();
  const Text oldText = text;
  const int32_t oldNumber = number;
  try {
    xcTimeConvert(mode, text, number, value, errorFlag);
    check(errorFlag == 0 || errorFlag == 1, "time error flag is 0 or 1");
    if (errorFlag == 1) check(text == oldText && number == oldNumber, "a rejected time changes nothing");
    if (errorFlag == 0) {
      check(number >= 0 && number / 10000 <= 23 && number / 100 % 100 <= 59 && number % 100 <= 59,
            "an accepted time is a time of day");
      check(text.size() == 8, "an accepted time is written hh:nn:ss");
    }
  } catch (const EConvertError&) {
    // Typed times, and a negative time number whose sign stands alone in a pair ("-" is no number).
    check(mode == 1 || (mode == 2 && oldNumber < 0), "only typed texts and signs raise the conversion error");
  }
}

void numbers(fuzz::FuzzInput& in) {
  const int32_t places = static_cast<int8_t>(in.byte()) % 12;
  const Text text = in.text(in.flag());
  int32_t errorCode = -1;
  Text errorText;
  try {
    const int32_t result = xcNumberParse(text, places, errorCode, errorText);
    check(errorCode >= 0 && errorCode <= 2, "number error code is 0, 1 or 2");
    check((errorCode == 0) == errorText.empty(), "an error code comes with its text");
    if (errorCode == 1) check(result == 0, "an invalid character gives 0");
  } catch (const EConvertError&) {
  }
  int32_t parsed = 0;
  if (xcTryStrToInt(text, parsed)) check(xcStrToInt(text) == parsed, "the two integer readers agree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  switch (in.byte() % 3) {
    case 0: dates(in); break;
    case 1: times(in); break;
    default: numbers(in); break;
  }
  return 0;
}
