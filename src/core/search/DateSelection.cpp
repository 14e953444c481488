// The date window of a run: given to the multi-path finder, or the run refused when a date or
// time cannot be read.
#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "search/SearchSession.h"

namespace varko {

namespace {
const Text kCrLf = u"\r\n";
}  // namespace

bool SearchSession::PrepareDateSelection(const SearchRequest& request) {
  if (!request.dates.enabled) {
    dateWindow_ = DateWindow();
    return true;
  }
  if (request.folderMode == kSimpleMode && request.fileSpecMode == kSimpleMode) {
    host_.showMessage(Text(u"Varko V7 Selecting by Date/Time is an advanced option") + kCrLf + kCrLf +
                      u"turn on Advanced Paths or Filespec to select by Date/Time");
    dateWindow_ = DateWindow();
    return true;
  }
  // A text that cannot be read refuses the run instead of reusing an older window.
  auto readDate = [&](const Text& text, const char16_t* field, DateTimeValue& value) {
    Text dateText = text;
    int32_t number = 0, error = 0;
    DateTimeValue v = 0;
    try {
      xcDateConvert(1, u"a", u"-", dateText, number, v, error);
    } catch (const EConvertError&) {
      error = 1;  // a year above 9999 passes the checks but cannot be encoded
    }
    if (error != 0 && xcTrim(text).size() >= 3) {
      host_.showMessage(xcFormat(u"The %s \"%s\" on the Date options tab is not a date that can be read "
                                 u"(for example 05-Mar-24) - fix it or turn off date selection",
                                 {field, text}));
      return false;
    }
    value = error != 0 ? 0 : v;
    return true;
  };
  auto readTime = [&](const Text& text, const char16_t* field, DateTimeValue& value) {
    Text timeText = text;
    int32_t number = 0, error = 0;
    DateTimeValue v = 0;
    bool ok = true;
    try {
      xcTimeConvert(1, timeText, number, v, error);
      ok = error == 0;
    } catch (const EConvertError&) {
      ok = false;
    }
    if (!ok) {
      host_.showMessage(xcFormat(u"The %s \"%s\" on the Date options tab is not a time that can be read "
                                 u"(hh:nn:ss) - fix it or turn off date selection",
                                 {field, text}));
      return false;
    }
    value = v;
    return true;
  };
  DateTimeValue start = 0, end = 0, startTime = 0, endTime = 0;
  if (!readDate(request.dates.startDate, u"start date", start) ||
      !readDate(request.dates.endDate, u"end date", end) ||
      !readTime(request.dates.startTime, u"start time", startTime) ||
      !readTime(request.dates.endTime, u"end time", endTime))
    return false;
  dateWindow_ = {true, start + startTime, end + endTime};
  return true;
}

}  // namespace varko
