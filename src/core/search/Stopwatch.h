#pragma once
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

// The two steps of timing something, numbered as they always were.
enum class ElapsedStep : int { Start = 1, Measure = 2 };
// Start stores now in stamp; Measure writes the time since stamp ("4.056s", "5m3s", "1h2m3s").
void xcElapsedText(ElapsedStep step, DateTimeValue& stamp, Text& text, const Clock& clock);
// The text for an interval in days.
Text xcIntervalText(DateTimeValue interval);

}  // namespace varko
