#pragma once
// The run's line matching: one object, fixed for the whole run, that says where a line matches,
// on its decoded text or on its raw bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "lib/Text.h"
#include "match/ByteSearch.h"
#include "match/Patterns.h"

namespace varko {

// The run's line matching, fixed for the whole run.
struct LineMatcher {
  bool google = false;
  TextList googleWords;
  int requiredWords = 0;
  bool multiple = false;   // multiple strings: the first that occurs decides
  Text searchString;       // simple mode, as typed
  TextList findStrings;    // multiple mode: find strings 1..count, untrimmed
  bool ignoreCase = true;
  bool wholeWords = false;
  // Regular expressions: the find strings (or the simple string) compiled by the run.
  std::shared_ptr<const Patterns> patterns;

  // Position of the match, 0 for none. anyWord: in Google mode, at least one word occurs.
  // present, when given, flags the find strings that occur in the line's bytes.
  int match(TextView line, bool& anyWord, const std::vector<uint8_t>* present = nullptr) const;

  // Builds the byte search; call once the fields above are set.
  void prepare();
  // A line without any of these strings cannot match (nor hold a Google word).
  ByteNeedles needles;
  bool needlesUsable = false;  // no string holds a lone surrogate
  bool needlesAscii = true;    // every string is ASCII
  bool everyLine = false;      // no string narrows the lines: each is matched

  // match on the line's raw bytes, when needlesUsable: the same answer whatever the line's
  // encoding when needlesAscii, else for UTF-8 lines; a 1-based byte position. scratch and
  // present are the caller's, reused from line to line.
  int matchBytes(std::string_view line, std::string& scratch, std::vector<uint8_t>& present, bool& anyWord) const;
  // When a string is beyond ASCII: the same matcher for the bytes of Windows-1252 lines.
  const LineMatcher* windows1252() const { return windows1252_.get(); }

private:
  void prepareBytes(NeedleBytes how);
  void preparePatterns();
  int matchPatterns(std::string_view line, std::string& scratch) const;
  std::vector<std::string> foldedFinds_;  // the strings in upper case when ignoring it
  std::shared_ptr<const LineMatcher> windows1252_;
  bool windows1252Bytes_ = false;  // the twin: its lines' bytes are Windows-1252
};

}  // namespace varko
