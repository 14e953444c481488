#include "match/LineMatcher.h"

#include "match/Matching.h"

namespace varko {

int LineMatcher::match(TextView line, bool& anyWord, const std::vector<uint8_t>* present) const {
  anyWord = false;
  if (google) {
    int found = 0;
    int pos = xcAllWordsPos(line, googleWords, requiredWords, ignoreCase, wholeWords, found);
    anyWord = found > 0;
    return pos;
  }
  if (!multiple) return xcWordPos(line, searchString, ignoreCase, wholeWords);
  for (size_t i = 0; i < findStrings.size(); ++i) {
    const Text& s = findStrings[i];
    // A string that does not occur in the line's bytes cannot be found in it.
    if (s.empty() || (present && !(*present)[i])) continue;
    int pos = xcWordPos(line, s, ignoreCase, wholeWords);
    if (pos > 0) return pos;
  }
  return 0;
}

void LineMatcher::prepare() {
  windows1252_.reset();
  prepareBytes(NeedleBytes::Utf8);
  if (!needlesUsable || needlesAscii) return;
  auto twin = std::make_shared<LineMatcher>(*this);
  twin->prepareBytes(NeedleBytes::Windows1252);
  windows1252_ = std::move(twin);
}

void LineMatcher::prepareBytes(NeedleBytes how) {
  const TextList& strings = google ? googleWords : multiple ? findStrings : TextList{searchString};
  needlesUsable = needles.build(strings, ignoreCase, how);
  needlesAscii = needles.ascii();
  foldedFinds_.clear();
  if (!needlesUsable) return;
  // A string Windows-1252 has no bytes for stays empty, and an empty string is never found.
  for (const Text& s : strings) needleBytes(ignoreCase ? xcUpperCase(s) : s, how, foldedFinds_.emplace_back());
}

int LineMatcher::matchBytes(std::string_view line, std::string& scratch, std::vector<uint8_t>& present,
                            bool& anyWord) const {
  anyWord = false;
  if (!multiple && !google && !wholeWords) {
    // The needle search folds case as matching does: its first find is the answer, with no
    // folded copy of the line (which may be hundreds of megabytes long).
    if (foldedFinds_.empty() || foldedFinds_[0].empty()) return 0;
    const char* end = line.data() + line.size();
    const char* hit = needles.find(line.data(), end, end);
    return hit == end ? 0 : static_cast<int>(hit - line.data()) + 1;
  }
  if (multiple && !google) needles.occurring(line.data(), line.data() + line.size(), present);
  if (ignoreCase) {
    scratch.resize(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
      char c = line[i];
      scratch[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    line = scratch;
  }
  if (google) {
    int found = 0;
    int leftmost = 0;
    for (const std::string& word : foldedFinds_) {
      int p = wordPosFolded<std::string_view>(line, word, wholeWords);
      if (p > 0) {
        ++found;
        if (leftmost == 0 || p < leftmost) leftmost = p;
      }
    }
    anyWord = found > 0;
    return found >= requiredWords ? leftmost : 0;
  }
  if (!multiple) return foldedFinds_.empty() ? 0 : wordPosFolded<std::string_view>(line, foldedFinds_[0], wholeWords);
  // Only the strings the needle search saw can match; the first in list order decides.
  for (size_t i = 0; i < foldedFinds_.size(); ++i) {
    if (!present[i]) continue;
    int pos = wordPosFolded<std::string_view>(line, foldedFinds_[i], wholeWords);
    if (pos > 0) return pos;
  }
  return 0;
}

}  // namespace varko
