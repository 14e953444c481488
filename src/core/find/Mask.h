#pragma once
// File-name masks of the multi-path finder, and the directory-listing pattern of the simple one.
#include <memory>
#include "lib/Text.h"

namespace varko {

class FileMask {
public:
  // Throws EMaskException "'%s' is an invalid mask at (%d)".
  explicit FileMask(const Text& mask);
  // The whole name must match the whole mask.
  bool matches(TextView name) const;
  const Text& text() const { return mask_; }

private:
  Text mask_;
  struct Compiled;  // the parsed mask, see Mask.cpp
  std::shared_ptr<const Compiled> compiled_;
};

// Throws EMaskException for an invalid mask.
bool xcMatchesMask(TextView name, const Text& mask);

// The platform listing's pattern match used by TFindFile: '*' and '?', letter case ignored,
// "*.*" fits every name, a pattern ending in ".*" also fits a name without a dot.
bool matchesListingPattern(TextView name, TextView pattern);

}  // namespace varko
