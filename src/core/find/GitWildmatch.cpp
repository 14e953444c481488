// git's wildmatch, ported step for step (see GitIgnore.h).
#include <cctype>
#include <cstring>
#include <string_view>

#include "find/GitIgnore.h"

namespace varko {

namespace {

// wildmatch's results; the two aborts let a '*' stop trying further positions early.
constexpr int kMatch = 0, kNoMatch = 1, kAbortAll = -1, kAbortToStarStar = -2;

// [:name:] as git's own character types see c (ASCII only): 1 in, 0 not, -1 no such class.
int inClass(std::string_view name, unsigned char c) {
  const bool lower = c >= 'a' && c <= 'z', upper = c >= 'A' && c <= 'Z', digit = c >= '0' && c <= '9';
  const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
  const bool print = c >= 0x20 && c <= 0x7e;
  if (name == "alnum") return lower || upper || digit;
  if (name == "alpha") return lower || upper;
  if (name == "blank") return c == ' ' || c == '\t';
  if (name == "cntrl") return c < 0x20 || c == 0x7f;
  if (name == "digit") return digit;
  if (name == "graph") return print && c != ' ';
  if (name == "lower") return lower;
  if (name == "print") return print;
  if (name == "punct") return print && c != ' ' && !lower && !upper && !digit;
  if (name == "space") return space;
  if (name == "upper") return upper;
  if (name == "xdigit") return digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  return -1;
}

// git's dowild, step for step: its quirks are what git does.
int doWild(const unsigned char* p, const unsigned char* text, bool pathname) {
  const unsigned char* const pattern = p;
  for (unsigned char pc; (pc = *p) != '\0'; ++text, ++p) {
    unsigned char tc = *text;
    if (tc == '\0' && pc != '*') return kAbortAll;
    switch (pc) {
      case '\\':
        pc = *++p;
        [[fallthrough]];
      default:
        if (tc != pc) return kNoMatch;
        continue;
      case '?':
        if (pathname && tc == '/') return kNoMatch;
        continue;
      case '*': {
        bool matchSlash = !pathname;
        if (*++p == '*') {
          const unsigned char* before = p - 2;
          while (*++p == '*') {
          }
          if (!pathname) {
            matchSlash = true;
          } else if ((before < pattern || *before == '/') &&
                     (*p == '\0' || *p == '/' || (p[0] == '\\' && p[1] == '/'))) {
            // "**/" may take no folder at all.
            if (p[0] == '/' && doWild(p + 1, text, pathname) == kMatch) return kMatch;
            matchSlash = true;
          } else {
            matchSlash = false;
          }
        }
        if (*p == '\0') {
          if (!matchSlash && std::strchr(reinterpret_cast<const char*>(text), '/')) return kNoMatch;
          return kMatch;
        }
        if (!matchSlash && *p == '/') {
          // One '*' before a slash takes the rest of this name.
          const char* slash = std::strchr(reinterpret_cast<const char*>(text), '/');
          if (!slash) return kNoMatch;
          text = reinterpret_cast<const unsigned char*>(slash);
          break;  // the loop's step takes the slash
        }
        for (;;) {
          if (tc == '\0') break;
          if (!isGlobSpecial(*p)) {
            // Straight on to where the next plain character is.
            pc = *p;
            while ((tc = *text) != '\0' && (matchSlash || tc != '/')) {
              if (tc == pc) break;
              ++text;
            }
            if (tc != pc) return kNoMatch;
          }
          const int matched = doWild(p, text, pathname);
          if (matched != kNoMatch) {
            if (!matchSlash || matched != kAbortToStarStar) return matched;
          } else if (!matchSlash && tc == '/') {
            return kAbortToStarStar;
          }
          tc = *++text;
        }
        return kAbortAll;
      }
      case '[': {
        pc = *++p;
        if (pc == '!') pc = '^';
        const bool negated = pc == '^';
        if (negated) pc = *++p;
        unsigned char prev = 0;
        bool matched = false;
        do {
          if (!pc) return kAbortAll;
          if (pc == '\\') {
            pc = *++p;
            if (!pc) return kAbortAll;
            if (tc == pc) matched = true;
          } else if (pc == '-' && prev && p[1] && p[1] != ']') {
            pc = *++p;
            if (pc == '\\') {
              pc = *++p;
              if (!pc) return kAbortAll;
            }
            if (tc <= pc && tc >= prev) matched = true;
            pc = 0;  // no range from the end of this one
          } else if (pc == '[' && p[1] == ':') {
            const unsigned char* name = p += 2;
            while ((pc = *p) != '\0' && pc != ']') ++p;
            if (!pc) return kAbortAll;
            const ptrdiff_t length = p - name - 1;
            if (length < 0 || p[-1] != ':') {
              // No ":]": the '[' is a member like any other.
              p = name - 2;
              pc = '[';
              if (tc == pc) matched = true;
              continue;
            }
            const int in = inClass(std::string_view(reinterpret_cast<const char*>(name), length), tc);
            if (in < 0) return kAbortAll;
            if (in) matched = true;
            pc = 0;
          } else if (tc == pc) {
            matched = true;
          }
        } while (prev = pc, (pc = *++p) != ']');
        if (matched == negated || (pathname && tc == '/')) return kNoMatch;
        continue;
      }
    }
  }
  return *text ? kNoMatch : kMatch;
}

}  // namespace

bool gitWildmatch(const char* pattern, const char* text, bool pathname) {
  return doWild(reinterpret_cast<const unsigned char*>(pattern), reinterpret_cast<const unsigned char*>(text),
                pathname) == kMatch;
}

}  // namespace varko
