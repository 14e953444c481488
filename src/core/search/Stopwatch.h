#pragma once
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

// Mode 1 stores now in stamp; mode 2 writes the time since stamp ("4.056s", "5m3s", "1h2m3s").
void xcElapsedText(int mode, DateTimeValue& stamp, Text& text, const Clock& clock);
// The text for an interval in days.
Text xcIntervalText(DateTimeValue interval);

}  // namespace varko
