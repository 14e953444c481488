#pragma once
// Regular expressions for a run: RE2, whose matching time is linear in the line whatever the
// pattern, so no pattern can hang a search. Each pattern is matched against one line at a time
// (without its line break), in UTF-8.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "lib/Text.h"

namespace varko {

class Patterns {
public:
  struct Found {
    size_t start = 0;   // bytes into the UTF-8 line
    size_t length = 0;
  };
  // \0 to \9 of a match; a group that took no part is empty.
  using Groups = std::array<std::string_view, 10>;

  // Compiles every pattern. A bad one gives null, with error naming the pattern and RE2's text.
  // wholeWords: only matches with no word character (A-Z a-z 0-9 _) just before or after.
  static std::shared_ptr<const Patterns> compile(const TextList& patterns, bool ignoreCase, bool wholeWords,
                                                 Text& error);
  ~Patterns();

  size_t size() const;
  // The first pattern in list order that matches the line, -1 for none; found is its leftmost match.
  int firstMatch(std::string_view line, Found& found) const;
  // Pattern i's leftmost match starting at from or later; groups, when given, are filled.
  bool find(size_t i, std::string_view line, size_t from, Found& found, Groups* groups = nullptr) const;

  // Strings, one of which is in every line any pattern matches (ASCII, letter case ignored
  // a-z), for the byte search to pick the lines worth matching. Empty: every line is.
  const TextList& needles() const { return needles_; }

private:
  Patterns() = default;
  void chooseNeedles(const std::vector<std::string>& utf8, bool ignoreCase);

  struct Compiled;
  std::unique_ptr<Compiled> c_;
  TextList needles_;
};

// For a report: the length in UTF-16 units of the match a row's position (0-based at) gives;
// empty without patterns.
std::function<size_t(TextView line, size_t at)> patternMatchLength(std::shared_ptr<const Patterns> patterns);

// The position of a UTF-8 byte offset in characters of the UTF-16 text (0-based).
size_t utf16Offset(std::string_view utf8, size_t byteOffset);

}  // namespace varko
