#include "lib/TextDecoding.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lib/Cpu.h"
#include "lib/PosixFile.h"
#include "lib/Utf8Avx2.h"

namespace varko {

namespace {

bool startsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

}  // namespace

int utf8SequenceOf(std::string_view bytes, size_t i, char32_t& cp) {
  auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  unsigned char b0 = at(i);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  int length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    cp = b0 & 0x07;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  for (int k = 1; k < length; ++k) {
    if (i + static_cast<size_t>(k) >= bytes.size()) return -1;
    unsigned char b = at(i + static_cast<size_t>(k));
    if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  return length;
}

namespace {

bool isValidUtf8(std::string_view bytes) { return validUtf8(bytes.data(), bytes.size()); }

// Count of bytes at the end that start a sequence the read stopped in the middle of.
size_t incompleteUtf8Tail(std::string_view bytes) {
  size_t from = bytes.size() > 3 ? bytes.size() - 3 : 0;
  for (size_t i = from; i < bytes.size(); ++i) {
    char32_t cp;
    if (static_cast<unsigned char>(bytes[i]) >= 0xC0 && utf8SequenceOf(bytes, i, cp) == -1)
      return bytes.size() - i;
  }
  return 0;
}


// Ill-formed bytes (possible only after a UTF-8 mark) each become U+FFFD.
Text decodeUtf8(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  char32_t cp;
  for (size_t i = 0; i < bytes.size();) {
    int n = utf8SequenceOf(bytes, i, cp);
    if (n > 0) {
      xcAppendCodePoint(out, cp);
      i += static_cast<size_t>(n);
    } else {
      out.push_back(u'\uFFFD');
      ++i;
    }
  }
  return out;
}

Text decodeUtf16(std::string_view bytes, bool bigEndian) {
  Text out;
  out.reserve(bytes.size() / 2 + 1);
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    auto first = static_cast<unsigned char>(bytes[i]);
    auto second = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(bigEndian ? static_cast<char16_t>(first << 8 | second) : static_cast<char16_t>(second << 8 | first));
  }
  // A lone last byte is kept rather than lost.
  if (i < bytes.size()) out.push_back(static_cast<unsigned char>(bytes[i]));
  return out;
}

}  // namespace

bool validUtf8(const char* data, size_t size) {
  if (size >= 64 && cpuHasAvx2()) return isValidUtf8Avx2(data, size);
  const auto* s = reinterpret_cast<const unsigned char*>(data);
  size_t i = 0;
  while (i < size) {
#if defined(__SSE2__)
    // Long ASCII stretches 64 bytes a round.
    while (i + 64 <= size) {
      const auto* v = reinterpret_cast<const __m128i*>(s + i);
      __m128i a = _mm_loadu_si128(v), b = _mm_loadu_si128(v + 1), c = _mm_loadu_si128(v + 2),
              d = _mm_loadu_si128(v + 3);
      if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0) {
        i += 64;
        continue;
      }
      // Straight to the first byte above 127.
      uint64_t high = static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(a))) |
                      static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(b))) << 16 |
                      static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(c))) << 32 |
                      static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(d))) << 48;
      i += static_cast<size_t>(__builtin_ctzll(high));
      break;
    }
    if (i == size) break;
#endif
    if (i + 8 <= size) {
      uint64_t word;
      std::memcpy(&word, s + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    unsigned char b = s[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    uint32_t cp;
    if ((b & 0xE0) == 0xC0) {
      len = 2;
      cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      len = 3;
      cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      len = 4;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + len > size) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static constexpr uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

char16_t xcWindows1252ToChar(unsigned char b) {
  // 0x80..0x9F; the five bytes Windows-1252 leaves undefined keep their own value.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
  };
  return (b >= 0x80 && b <= 0x9F) ? kHigh[b - 0x80] : static_cast<char16_t>(b);
}

TextEncoding detectEncoding(std::string_view bytes) {
  if (startsWith(bytes, kUtf8Mark)) return TextEncoding::Utf8Bom;
  if (startsWith(bytes, kUtf16LEMark)) return TextEncoding::Utf16LE;
  if (startsWith(bytes, kUtf16BEMark)) return TextEncoding::Utf16BE;
  return isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

Text xcDecodeText(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom:
      if (startsWith(bytes, kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
      return decodeUtf8(bytes);
    case TextEncoding::Utf16LE:
      if (startsWith(bytes, kUtf16LEMark)) bytes.remove_prefix(kUtf16LEMark.size());
      return decodeUtf16(bytes, false);
    case TextEncoding::Utf16BE:
      if (startsWith(bytes, kUtf16BEMark)) bytes.remove_prefix(kUtf16BEMark.size());
      return decodeUtf16(bytes, true);
    case TextEncoding::Utf8:
      return decodeUtf8(bytes);
    case TextEncoding::Windows1252:
      break;
  }
  Text out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(xcWindows1252ToChar(static_cast<unsigned char>(b)));
  return out;
}

void xcSplitLines(TextView text, TextList& lines) {
  lines.clear();
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char16_t c = text[i];
    if (c != u'\r' && c != u'\n') {
      ++i;
      continue;
    }
    lines.emplace_back(text.substr(start, i - start));
    // CR LF is one break; LF CR is two.
    i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
}

void xcDecodeLines(std::string_view bytes, TextList& lines) {
  xcSplitLines(xcDecodeText(bytes, detectEncoding(bytes)), lines);
}

void decodeCutLines(std::string_view bytes, TextList& lines) {
  size_t tail = incompleteUtf8Tail(bytes);
  if (tail > 0) {
    std::string_view whole = bytes.substr(0, bytes.size() - tail);
    bool utf8 = startsWith(whole, kUtf8Mark) || (!startsWith(whole, kUtf16LEMark) &&
                                                 !startsWith(whole, kUtf16BEMark) && isValidUtf8(whole));
    if (utf8) bytes = whole;
  }
  xcDecodeLines(bytes, lines);
}

Text LoadWholeFile(const Text& path, TextList& lines) {
  lines.clear();
  std::string bytes;
  if (int error = readRegularFile(textToPath(path), bytes)) return fileErrorText(error);
  xcDecodeLines(bytes, lines);
  return Text();
}

}  // namespace varko
