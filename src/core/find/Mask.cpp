#include "find/Mask.h"

#include <bitset>
#include <vector>

#include "lib/Errors.h"

namespace varko {

namespace {

constexpr int kMostStarGroups = 30;

enum class TokenKind { Star, Literal, Any, Set };

struct Token {
  TokenKind kind = TokenKind::Literal;
  char16_t literal = 0;     // upper-cased
  bool negate = false;
  std::bitset<256> members;  // upper-cased; characters above 255 are never members

  bool accepts(char16_t c) const {
    switch (kind) {
      case TokenKind::Literal:
        return xcUpCaseChar(c) == literal;
      case TokenKind::Any:
        return true;
      case TokenKind::Set: {
        char16_t up = xcUpCaseChar(c);
        return (up <= 255 && members.test(up)) != negate;
      }
      case TokenKind::Star:
        break;
    }
    return false;
  }
};

Token star() { Token t; t.kind = TokenKind::Star; return t; }
Token any() { Token t; t.kind = TokenKind::Any; return t; }
Token makeSet() { Token t; t.kind = TokenKind::Set; return t; }
Token literal(char16_t c) { Token t; t.literal = xcUpCaseChar(c); return t; }

// Whole-name match where every token but Star takes exactly one character. Backtracking to
// the latest star only is enough because no other token can take a varying length.
bool matchTokens(TextView name, const std::vector<Token>& tokens) {
  const size_t count = tokens.size();
  size_t t = 0, n = 0;
  size_t starToken = count;  // none yet
  size_t starName = 0;
  for (;;) {
    if (t < count && tokens[t].kind == TokenKind::Star) {
      starToken = t++;
      starName = n;
      continue;
    }
    if (t == count) {
      if (n == name.size()) return true;
    } else if (n < name.size() && tokens[t].accepts(name[n])) {
      ++t;
      ++n;
      continue;
    }
    if (starToken == count || starName >= name.size()) return false;
    n = ++starName;
    t = starToken + 1;
  }
}

}  // namespace

struct FileMask::Compiled {
  std::vector<Token> tokens;
};

FileMask::FileMask(const Text& mask) : mask_(mask) {
  auto invalid = [&](size_t index) {
    return EMaskException(xcFormat(u"'%s' is an invalid mask at (%d)", {mask_, static_cast<long long>(index + 1)}));
  };
  auto compiled = std::make_shared<Compiled>();
  auto& tokens = compiled->tokens;
  bool starPending = false;
  int starGroups = 0;
  // index is where parsing stands when the token is complete, for the error position.
  auto add = [&](Token token, size_t index) {
    if (starPending) {
      if (++starGroups > kMostStarGroups) throw invalid(index);
      tokens.push_back(star());
      starPending = false;
    }
    tokens.push_back(token);
  };

  const size_t n = mask_.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t c = mask_[i];
    if (c == u'*') {
      starPending = true;
    } else if (c == u'?') {
      // Dropped after a star: "*?" behaves as "*".
      if (!starPending) add(any(), i);
    } else if (c == u'[') {
      Token set = makeSet();
      size_t j = i + 1;
      if (j < n && mask_[j] == u'!') {
        set.negate = true;
        ++j;
      }
      int last = -1;  // the last single character, where a range starts
      while (j < n && mask_[j] != u']') {
        if (mask_[j] == u'-') {
          if (last < 0) throw invalid(j);
          if (++j >= n) break;
          int high = xcUpCaseChar(mask_[j]);
          for (int k = last; k <= high && k <= 255; ++k) set.members.set(static_cast<size_t>(k));
        } else {
          last = xcUpCaseChar(mask_[j]);
          if (last <= 255) set.members.set(static_cast<size_t>(last));
        }
        ++j;
      }
      if (j >= n || set.members.none()) throw invalid(j);
      add(set, j);
      i = j;
    } else {
      add(literal(c), i);
    }
  }
  // The end of the mask counts as one more element, so a final star group counts too.
  if (starPending) {
    if (++starGroups > kMostStarGroups) throw invalid(n);
    tokens.push_back(star());
  }
  compiled_ = std::move(compiled);
}

bool FileMask::matches(TextView name) const { return matchTokens(name, compiled_->tokens); }

bool xcMatchesMask(TextView name, const Text& mask) { return FileMask(mask).matches(name); }

namespace {

bool matchesListing(TextView name, TextView pattern) {
  std::vector<Token> tokens;
  tokens.reserve(pattern.size());
  for (char16_t c : pattern) {
    if (c == u'*') {
      if (tokens.empty() || tokens.back().kind != TokenKind::Star) tokens.push_back(star());
    } else if (c == u'?') {
      tokens.push_back(any());
    } else {
      tokens.push_back(literal(c));
    }
  }
  return matchTokens(name, tokens);
}

}  // namespace

bool matchesListingPattern(TextView name, TextView pattern) {
  if (matchesListing(name, pattern)) return true;
  // The listing lets a final ".*" stand for "no extension" too.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*" && name.find(u'.') == TextView::npos)
    return matchesListing(name, pattern.substr(0, pattern.size() - 2));
  return false;
}

}  // namespace varko
