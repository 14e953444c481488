#pragma once
// Keeps the date window's end date from lying before its start date after a calendar pick.
#include "lib/Text.h"

namespace varko {

// A blank end date takes the start date; so does an end date (yyyymmdd) before the start date.
void KeepDateOrder(const Text& startDate, Text& endDate);

}  // namespace varko
