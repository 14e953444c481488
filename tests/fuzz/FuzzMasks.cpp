// File masks: any mask either compiles or is refused with the mask error, and matching agrees
// with a plain table-filling matcher (masks without sets) and with itself.
#include <vector>
#include "FuzzInput.h"
#include "lib/Errors.h"
#include "find/Mask.h"

using namespace varko;
using varko::fuzz::check;

namespace {

enum class Kind { Star, Any, Literal };
struct Element {
  Kind kind;
  char16_t c;
};

// dropAnyAfterStar: the finder's masks read "*?" as "*".
std::vector<Element> elements(TextView mask, bool dropAnyAfterStar) {
  std::vector<Element> out;
  bool afterStar = false;
  for (char16_t c : mask) {
    if (c == u'*') {
      out.push_back({Kind::Star, 0});
      afterStar = true;
    } else if (c == u'?') {
      if (!(dropAnyAfterStar && afterStar)) out.push_back({Kind::Any, 0});
    } else {
      out.push_back({Kind::Literal, xcUpCaseChar(c)});
      afterStar = false;
    }
  }
  return out;
}

// matched[i][j]: the first i elements match the first j characters.
bool plainMatch(TextView name, const std::vector<Element>& mask) {
  const size_t n = name.size(), m = mask.size();
  std::vector<std::vector<char>> matched(m + 1, std::vector<char>(n + 1, 0));
  matched[0][0] = 1;
  for (size_t i = 1; i <= m; ++i) {
    const Element& e = mask[i - 1];
    for (size_t j = 0; j <= n; ++j) {
      if (e.kind == Kind::Star)
        matched[i][j] = matched[i - 1][j] || (j > 0 && matched[i][j - 1]);
      else if (j > 0)
        matched[i][j] = matched[i - 1][j - 1] && (e.kind == Kind::Any || xcUpCaseChar(name[j - 1]) == e.c);
    }
  }
  return matched[m][n];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const bool wide = in.flag();
  const Text mask = in.text(wide);
  const Text name = in.text(wide);
  bool compiled = false, matches = false;
  try {
    FileMask fileMask(mask);
    compiled = true;
    matches = fileMask.matches(name);
    check(matches == fileMask.matches(name), "a compiled mask gives the same answer twice");
    check(matches == xcMatchesMask(name, mask), "the mask and its shortcut agree");
  } catch (const EMaskException&) {
    check(mask.find(u'[') != Text::npos || mask.find(u'*') != Text::npos, "only sets and star groups refuse a mask");
  }
  if (compiled && mask.find(u'[') == Text::npos)
    check(matches == plainMatch(name, elements(mask, true)), "a mask matches as the plain matcher does");

  const bool listed = matchesListingPattern(name, mask);
  bool expected = plainMatch(name, elements(mask, false));
  if (!expected && mask.size() >= 2 && TextView(mask).substr(mask.size() - 2) == u".*" &&
      name.find(u'.') == Text::npos)
    expected = plainMatch(name, elements(TextView(mask).substr(0, mask.size() - 2), false));
  check(listed == expected, "a listing pattern matches as the plain matcher does");
  return 0;
}
