#include "match/LineMatcher.h"

#include "lib/TextDecoding.h"
#include "match/Matching.h"

namespace varko {

int LineMatcher::match(TextView line, bool& anyWord, const std::vector<uint8_t>* present) const {
  anyWord = false;
  if (patterns) {
    thread_local std::string utf8;
    utf8 = toUtf8(line);
    Patterns::Found found;
    if (patterns->firstMatch(utf8, found) < 0) return 0;
    return static_cast<int>(utf16Offset(utf8, found.start)) + 1;
  }
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
  if (patterns) return preparePatterns();
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

// What a pattern matches depends on the encoding of a line beyond ASCII: lines wait for it, and
// a twin matches the bytes of Windows-1252 lines.
void LineMatcher::preparePatterns() {
  const TextList& strings = patterns->needles();
  everyLine = strings.empty();
  needlesUsable = everyLine || needles.build(strings, true, NeedleBytes::AsciiOnly);
  needlesAscii = false;
  foldedFinds_.clear();
  auto twin = std::make_shared<LineMatcher>(*this);
  twin->windows1252Bytes_ = true;
  windows1252_ = std::move(twin);
}

int LineMatcher::matchPatterns(std::string_view line, std::string& scratch) const {
  if (windows1252Bytes_) {
    scratch.clear();
    for (char c : line) {
      char16_t u = xcWindows1252ToChar(static_cast<unsigned char>(c));
      if (u < 0x80) {
        scratch += static_cast<char>(u);
      } else if (u < 0x800) {
        scratch += static_cast<char>(0xC0 | (u >> 6));
        scratch += static_cast<char>(0x80 | (u & 0x3F));
      } else {
        scratch += static_cast<char>(0xE0 | (u >> 12));
        scratch += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        scratch += static_cast<char>(0x80 | (u & 0x3F));
      }
    }
  }
  std::string_view utf8 = windows1252Bytes_ ? std::string_view(scratch) : line;
  Patterns::Found found;
  if (patterns->firstMatch(utf8, found) < 0) return 0;
  // One byte a character in Windows-1252.
  return static_cast<int>(windows1252Bytes_ ? utf16Offset(utf8, found.start) : found.start) + 1;
}

int LineMatcher::matchBytes(std::string_view line, std::string& scratch, std::vector<uint8_t>& present,
                            bool& anyWord) const {
  anyWord = false;
  if (patterns) return matchPatterns(line, scratch);
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
