#include "find/DateOrder.h"

#include "lib/DateTime.h"

namespace varko {

void KeepDateOrder(const Text& startDate, Text& endDate) {
  const int32_t start = xcDateTextToNumber(startDate);
  if (xcIsBlank(endDate)) endDate = startDate;
  if (xcDateTextToNumber(endDate) < start) endDate = startDate;
}

}  // namespace varko
