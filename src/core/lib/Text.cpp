#include "lib/Text.h"

#include <cstdint>

#include <algorithm>

namespace varko {

Text xcUpperCase(TextView s) {
  Text r(s);
  xcUpperCaseInPlace(r);
  return r;
}

void xcUpperCaseInPlace(Text& s) {
  for (auto& c : s) c = xcUpCaseChar(c);
}

Text xcTrimLeft(TextView s) {
  size_t b = 0;
  while (b < s.size() && s[b] <= u' ') ++b;
  return Text(s.substr(b));
}

Text xcTrimRight(TextView s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] <= u' ') --e;
  return Text(s.substr(0, e));
}

Text xcTrim(TextView s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return Text(s.substr(b, e - b));
}

bool xcSameTextNoTrim(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (xcUpCaseChar(a[i]) != xcUpCaseChar(b[i])) return false;
  return true;
}

bool xcSameText(TextView a, TextView b) {
  auto trimView = [](TextView s) {
    size_t b0 = 0, e = s.size();
    while (b0 < e && s[b0] <= u' ') ++b0;
    while (e > b0 && s[e - 1] <= u' ') --e;
    return s.substr(b0, e - b0);
  };
  return xcSameTextNoTrim(trimView(a), trimView(b));
}

int xcTextPos(TextView text, TextView find, int mode) {
  if (find.empty() || find.size() > text.size()) return 0;
  if (mode == 1) {
    // Compared in place: this runs on every path of a run.
    char16_t first = xcUpCaseChar(find[0]);
    for (size_t i = 0; i + find.size() <= text.size(); ++i) {
      if (xcUpCaseChar(text[i]) != first) continue;
      size_t j = 1;
      while (j < find.size() && xcUpCaseChar(text[i + j]) == xcUpCaseChar(find[j])) ++j;
      if (j == find.size()) return static_cast<int>(i) + 1;
    }
    return 0;
  }
  auto p = text.find(find);
  return p == TextView::npos ? 0 : static_cast<int>(p) + 1;
}

int xcLastTextPos(TextView text, TextView find, int mode) {
  if (find.empty() || find.size() > text.size()) return 0;
  if (mode == 1) {
    Text t = xcUpperCase(text), f = xcUpperCase(find);
    auto p = t.rfind(f);
    return p == Text::npos ? 0 : static_cast<int>(p) + 1;
  }
  auto p = text.rfind(find);
  return p == TextView::npos ? 0 : static_cast<int>(p) + 1;
}

namespace {

// Decodes one UTF-8 sequence at s[i]; returns its length and code point, or 0 when invalid.
size_t utf8Sequence(std::string_view s, size_t i, char32_t& cp) {
  auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
    min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
    min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}


void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void decodeUtf8Into(std::string_view s, bool escapeInvalid, Text& out) {
  // Plain ASCII, the common case, is widened without looking at sequences.
  size_t ascii = 0;
  while (ascii < s.size() && static_cast<unsigned char>(s[ascii]) < 0x80) ++ascii;
  out.resize(ascii);
  for (size_t i = 0; i < ascii; ++i) out[i] = static_cast<char16_t>(s[i]);
  if (ascii == s.size()) return;
  out.reserve(s.size());
  for (size_t i = ascii; i < s.size();) {
    char32_t cp;
    size_t n = utf8Sequence(s, i, cp);
    if (n == 0) {
      out.push_back(escapeInvalid ? static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(s[i]))
                                  : u'\uFFFD');
      ++i;
    } else {
      xcAppendCodePoint(out, cp);
      i += n;
    }
  }
}

Text decodeUtf8(std::string_view s, bool escapeInvalid) {
  Text out;
  decodeUtf8Into(s, escapeInvalid, out);
  return out;
}

void encodeUtf8Into(TextView s, bool unescape, std::string& out) {
  size_t ascii = 0;
  while (ascii < s.size() && s[ascii] < 0x80) ++ascii;
  out.resize(ascii);
  for (size_t i = 0; i < ascii; ++i) out[i] = static_cast<char>(s[i]);
  if (ascii == s.size()) return;
  out.reserve(s.size() + s.size() / 2);
  for (size_t i = ascii; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00));
      ++i;
    } else if (unescape && c >= 0xDC80 && c <= 0xDCFF) {
      out.push_back(static_cast<char>(c - 0xDC00));
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, c);
    }
  }
}

std::string encodeUtf8(TextView s, bool unescape) {
  std::string out;
  encodeUtf8Into(s, unescape, out);
  return out;
}

}  // namespace

size_t encodeUtf8To(TextView t, char* out) {
  char* o = out;
  for (size_t i = 0, n = t.size(); i < n; ++i) {
    char32_t c = t[i];
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c > 0xDBFF || i + 1 >= n || t[i + 1] < 0xDC00 || t[i + 1] > 0xDFFF) return SIZE_MAX;
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(t[++i]) - 0xDC00);
    }
    if (c < 0x800) {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (c >> 12));
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (c >> 18));
      *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return static_cast<size_t>(o - out);
}

bool appendAsUtf8(TextView t, std::string& out) {
  size_t start = out.size();
  out.resize(start + t.size() * 3);
  size_t n = encodeUtf8To(t, out.data() + start);
  out.resize(n == SIZE_MAX ? start : start + n);
  return n != SIZE_MAX;
}

void xcAppendCodePoint(Text& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

Text fromUtf8(std::string_view s) { return decodeUtf8(s, false); }
void fromUtf8Into(std::string_view s, Text& out) { decodeUtf8Into(s, false, out); }
std::string toUtf8(TextView s) { return encodeUtf8(s, false); }
Text pathToText(std::string_view bytes) { return decodeUtf8(bytes, true); }
std::string textToPath(TextView name) { return encodeUtf8(name, true); }
void textToPathInto(TextView name, std::string& out) { encodeUtf8Into(name, true, out); }

Text fromAscii(std::string_view s) {
  Text out(s.size(), u'\0');
  std::transform(s.begin(), s.end(), out.begin(),
                 [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
  return out;
}

Text intToText(long long v) { return fromAscii(std::to_string(v)); }

Text xcFormat(TextView pattern, std::initializer_list<FormatArg> args) {
  Text out;
  auto it = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size()) {
      char16_t k = pattern[i + 1];
      if (k == u'%') {
        out.push_back(u'%');
        ++i;
        continue;
      }
      if ((k == u's' || k == u'd') && it != args.end()) {
        out += it->isText ? it->text : intToText(it->number);
        ++it;
        ++i;
        continue;
      }
    }
    out.push_back(pattern[i]);
  }
  return out;
}

TextList xcSplitWords(TextView text, int mostWords) {
  TextList words;
  size_t i = 0;
  while (i < text.size() && static_cast<int>(words.size()) < mostWords) {
    while (i < text.size() && text[i] <= u' ') ++i;
    size_t start = i;
    while (i < text.size() && text[i] > u' ') ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

}  // namespace varko
