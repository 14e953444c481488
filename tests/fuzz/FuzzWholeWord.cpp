// The word-boundary search against a plain reading of its rules, character by character.
#include "FuzzInput.h"
#include "match/Matching.h"

using namespace varko;
using varko::fuzz::check;

namespace {

bool isWord(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}
char16_t up(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// First occurrence of find in text at or after from (0-based), or -1.
long plainFind(const Text& text, const Text& find, size_t from) {
  for (size_t i = from; i + find.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < find.size() && text[i + k] == find[k]) ++k;
    if (k == find.size()) return static_cast<long>(i);
  }
  return -1;
}

// A refused occurrence moves the search past itself; the new start has no left neighbour, and
// the search gives up on a rest of blanks or after as many passes as there are characters.
int plainWordPos(Text text, Text find, bool ignoreCase, bool wholeWord) {
  if (find.empty()) return 0;
  if (ignoreCase) {
    for (auto& c : text) c = up(c);
    for (auto& c : find) c = up(c);
  }
  size_t begin = 0;
  for (size_t pass = 1;; ++pass) {
    const long at = plainFind(text, find, begin);
    if (at < 0) return 0;
    const size_t p = static_cast<size_t>(at);
    if (!wholeWord) return static_cast<int>(p) + 1;
    const bool before = p > begin && isWord(text[p - 1]);
    const bool after = p + find.size() < text.size() && isWord(text[p + find.size()]);
    if (!before && !after) return static_cast<int>(p) + 1;
    begin = p + find.size();
    bool nonBlank = false;
    for (size_t i = begin; i < text.size(); ++i) nonBlank = nonBlank || text[i] > u' ';
    if (begin >= text.size() || pass > text.size() || !nonBlank) return 0;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const bool ignoreCase = in.flag(), wholeWord = in.flag(), wide = in.flag();
  const Text find = in.text(wide);
  const Text text = in.rest(wide);
  const int pos = xcWordPos(text, find, ignoreCase, wholeWord);
  check(pos == plainWordPos(text, find, ignoreCase, wholeWord), "xcWordPos agrees with the plain search");
  check(pos == 0 || (pos >= 1 && static_cast<size_t>(pos) + find.size() - 1 <= text.size()), "the match lies in the text");
  return 0;
}
