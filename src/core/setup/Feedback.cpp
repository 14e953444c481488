#include "setup/Feedback.h"

#include "lib/IniFile.h"
#include "lib/Library.h"
#include "results/RunLog.h"

namespace varko {

Text FeedbackSettingsFile(const Text& pinifile) {
  if (xcIsBlank(pinifile)) return xcChangeFileExt(xcExePath(), u".ini");
  return pinifile;
}

int CountUse(const Text& pinifile) {
  IniFile ini(FeedbackSettingsFile(pinifile));
  // The section carries the executable's name, so a renamed program counts afresh.
  const Text section = xcExeFileName();
  const int count = ini.ReadInteger(section, kUseCounterKey, 0) + 1;
  ini.WriteInteger(section, kUseCounterKey, count);
  return count;
}

bool IsPostcardDue(int count) { return count == 10 || (count > 0 && count % 100 == 0); }

Text PostcardSubject(const Text& programDescription) {
  return u"NORV - I have been using " + programDescription;
}

Text PostcardBody() {
  return u"Send feedback - what you like (and what could be improved)."
         u"%0d%0a%0d%0aA nice picture from somewhere around where you live would be wonderful!";
}

Text xcMailToLink(const Text& subject, const Text& body) {
  const Text usedSubject = xcIsBlank(subject) ? Text(u"NORV Postcard ") : subject;
  return u"mailto:" + Text(kFeedbackAddress) + u"?Subject=" + usedSubject + u"&Body=" + body;
}

bool xcMailTo(const Text& subject, const Text& body, const Clock& clock,
              const std::function<bool(const Text& link)>& openLink) {
  const Text link = xcMailToLink(subject, body);
  xcLog(link, clock);
  return openLink(link);
}

}  // namespace varko
