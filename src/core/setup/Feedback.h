#pragma once
// The feedback request: its use counter in the settings file and the mailto link.
#include <functional>
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

inline constexpr char16_t kFeedbackAddress[] = u"feedback@varko.example.org";
inline constexpr char16_t kFeedbackHelpPage[] = u"https://varko.example.org/help/";
inline constexpr char16_t kTipsHelpPage[] = u"https://varko.example.org/help/tips.html";
inline constexpr char16_t kUseCounterKey[] = u"NORVPostcardnum1";

// The settings file the counter lives in: pinifile, or the executable's path with ".ini" when
// pinifile is blank.
Text FeedbackSettingsFile(const Text& pinifile);

// Reads the counter from the section named after the executable's file name, adds one and
// writes it back at once; returns the new count. Throws EIniFileException when refused.
int CountUse(const Text& pinifile);

// The request shows at the tenth use and at every hundredth.
bool IsPostcardDue(int count);

Text PostcardSubject(const Text& programDescription);
// Line breaks already encoded as %0d%0a: the link is handed on without further encoding.
Text PostcardBody();

// "mailto:<address>?Subject=<subject>&Body=<body>"; a blank subject becomes "NORV Postcard ".
Text xcMailToLink(const Text& subject, const Text& body);

// Builds the link, writes it to the run log stamped by the clock and hands it to openLink (the
// desktop's mail program); returns what openLink returned.
bool xcMailTo(const Text& subject, const Text& body, const Clock& clock,
              const std::function<bool(const Text& link)>& openLink);

}  // namespace varko
