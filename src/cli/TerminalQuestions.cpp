#include "cli/TerminalQuestions.h"

#include <iostream>

#include "lib/Clock.h"
#include "lib/Library.h"
#include "replace/DifferencesViewer.h"
#include "save/UndoManifest.h"

namespace varko {

std::string TerminalText(const Text& text) {
  std::string s = textToPath(text);
  std::string flat;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    flat.push_back(s[i]);
  }
  while (!flat.empty() && flat.back() == '\n') flat.pop_back();
  return flat;
}

int UndoLastReplaceRun(std::ostream& out, std::ostream& err) {
  TextList report;
  UndoResult result = UndoLastReplace(dataFolder(), report, SystemClock::instance());
  for (const Text& line : report) out << textToPath(line) << '\n';
  if (!result.foundRun) {
    err << "varko-search: there is no replace run to undo\n";
    return 1;
  }
  out << "# restored " << result.restored << " file(s), refused " << result.refused << '\n';
  return result.refused > 0 ? 2 : 0;
}

}  // namespace varko
