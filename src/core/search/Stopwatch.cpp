#include "search/Stopwatch.h"

#include <cmath>
#include <cstdio>

namespace varko {

Text xcIntervalText(DateTimeValue d) {
  // Whole days are dropped; the time of day is split to the nearest millisecond.
  double dayFraction = d - std::floor(d);
  long long ms = std::llround(dayFraction * 86400000.0);
  if (ms >= 86400000LL) ms -= 86400000LL;
  long long hours = ms / 3600000, minutes = ms / 60000 % 60, seconds = ms / 1000 % 60, millis = ms % 1000;
  constexpr double oneMinute = 1.0 / 1440.0, oneHour = 1.0 / 24.0;
  char buffer[64];
  if (d > oneHour)
    std::snprintf(buffer, sizeof buffer, "%lldh%lldm%llds", hours, minutes, seconds);
  else if (d > oneMinute)
    std::snprintf(buffer, sizeof buffer, "%lldm%llds", minutes, seconds);
  else
    std::snprintf(buffer, sizeof buffer, "%lld.%3.3llds", seconds, millis);
  return fromAscii(buffer);
}

void xcElapsedText(ElapsedStep step, DateTimeValue& stamp, Text& text, const Clock& clock) {
  if (step == ElapsedStep::Start)
    stamp = clock.now();
  else
    text = xcIntervalText(clock.now() - stamp);
}

}  // namespace varko
