#include "replace/DifferencesViewer.h"

#include "lib/Errors.h"
#include "lib/IniFile.h"
#include "lib/Library.h"
#include "lib/Programs.h"

namespace varko {

Text xcQuoteArg(const Text& text) {
  Text trimmed = xcTrim(text);
  if (trimmed.find(u' ') == Text::npos) return trimmed;
  return u"\"" + trimmed + u"\"";
}

namespace {
// The program with arguments taken as they are; parameters only words the failure message.
bool startProgram(const Text& program, const TextList& words, const Text& parameters, const Text& folder,
                  const CommandMessage& message) {
  const int error = startDetachedProgram(program, words, folder);
  if (error == 0) return true;
  if (message)
    message(u"xcCommand error:" + program + u" " + parameters + u" " + folder + u"\r\n" + systemErrorText(error));
  return false;
}
}  // namespace

bool xcCommand(const Text& program, const Text& parameters, const Text& folder, const CommandMessage& message) {
  return startProgram(program, splitCommandLine(parameters), parameters, folder, message);
}

Text xcDifferencesViewer(const Text& settingsFile) {
  Text viewer = kBuiltInDifferencesViewer;
  if (xcFileExists(settingsFile)) viewer = xcTrim(IniFile(settingsFile).ReadString(u"Settings", u"DifferencesViewer", u"none"));
  return xcFileExists(viewer) ? viewer : Text();
}

void xcShowDifferences(const Text& first, const Text& second, bool& shown, const Text& settingsFile,
                       const CommandMessage& message) {
  shown = false;
  const Text viewer = xcDifferencesViewer(settingsFile);
  if (viewer.empty()) return;
  // Two whole arguments, whatever their bytes (quotes, backslashes, blanks); shown only when the
  // viewer really started.
  shown = startProgram(viewer, {first, second}, xcQuoteArg(first) + u" " + xcQuoteArg(second), Text(), message);
}

}  // namespace varko
