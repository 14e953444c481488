#pragma once
// The daily run log NORVrun.log.
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

Text xcLogFileName();    // empty when there is no folder to log in
Text xcProgramName();    // executable's file name without a 4-character extension
void xcLog(const Text& text, const Clock& clock);
Text xcFirstLine(const Text& fileName);
void xcFileLine(char16_t mode, const Text& fileName, const Text& text);

}  // namespace varko
