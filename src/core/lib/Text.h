#pragma once
// Texts are 16-bit characters; positions are 1-based, 0 = not found.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varko {

using Text = std::u16string;
using TextView = std::u16string_view;
using TextList = std::vector<Text>;

// Only a to z change; every other character, accented letters included, stays.
inline char16_t xcUpCaseChar(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
Text xcUpperCase(TextView s);
void xcUpperCaseInPlace(Text& s);

// Removes leading and trailing characters at or below the blank (code 32).
Text xcTrim(TextView s);
Text xcTrimLeft(TextView s);
Text xcTrimRight(TextView s);

// Equal after trimming and upper-casing a-z.
bool xcSameText(TextView a, TextView b);
inline bool xcIsBlank(TextView s) { return xcSameText(s, u""); }

// Exact a-z-insensitive equality, no trimming.
bool xcSameTextNoTrim(TextView a, TextView b);

// mode 1 upper-cases both texts first; any other mode compares as they are.
int xcTextPos(TextView text, TextView find, int mode);
int xcLastTextPos(TextView text, TextView find, int mode);

inline bool xcIsWordChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// Maximal runs of characters above code 32, left to right, at most mostWords of them.
TextList xcSplitWords(TextView text, int mostWords);

// Conversions. UTF-8 decoding here is lenient (invalid bytes become U+FFFD); file names use
// the lossless pair below instead.
Text fromUtf8(std::string_view s);
// Appends one code point as UTF-16 (a surrogate pair above U+FFFF).
void xcAppendCodePoint(Text& out, char32_t cp);
void fromUtf8Into(std::string_view s, Text& out);  // reuses out's storage
// Appends text as UTF-8; false, with out as it was, when text has a surrogate that is not half
// of a pair (UTF-8 cannot hold it).
bool appendAsUtf8(TextView text, std::string& out);
// Writes text as UTF-8 to out, which has room for three bytes per unit; the bytes written, or
// SIZE_MAX (out's content undefined) for a surrogate that is not half of a pair.
size_t encodeUtf8To(TextView text, char* out);
std::string toUtf8(TextView s);
Text fromAscii(std::string_view s);  // each byte one character (for literals and numbers)
Text intToText(long long v);

// File names: bytes that are not valid UTF-8 are kept as U+DC80..U+DCFF so that the name
// converts back to the very same bytes.
Text pathToText(std::string_view bytes);
std::string textToPath(TextView name);
void textToPathInto(TextView name, std::string& out);  // reuses out's storage

// printf-like filling of %s (Text) and %d (integer) in system texts, in order.
struct FormatArg {
  FormatArg(const Text& t) : text(t), isText(true) {}
  FormatArg(const char16_t* t) : text(t), isText(true) {}
  FormatArg(long long v) : number(v) {}
  FormatArg(int v) : number(v) {}
  FormatArg(long v) : number(v) {}
  FormatArg(unsigned long v) : number(static_cast<long long>(v)) {}
  Text text;
  long long number = 0;
  bool isText = false;
};
Text xcFormat(TextView pattern, std::initializer_list<FormatArg> args);

}  // namespace varko
