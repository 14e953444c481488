#include "examine/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lib/Errors.h"
#include "lib/PosixFile.h"

namespace varko {

namespace {

constexpr size_t kLoadPiece = size_t{1} << 20;
// Upper bound for reserving ahead from the file size; larger files grow as they are read.
constexpr size_t kMostReserved = size_t{256} << 20;

void countAscii(unsigned char b, TextSampleCounts& counts) {
  if (xcIsTextByte(b))
    ++counts.text;
  else
    ++counts.other;
}

// Control characters (C0 and C1) are other characters; DEL stays a text byte, as it always was.
void countCharacter(char32_t cp, TextSampleCounts& counts) {
  if (cp < 0x80)
    countAscii(static_cast<unsigned char>(cp), counts);
  else if (cp <= 0x9F)
    ++counts.other;
  else
    ++counts.text;
}

// Counts the character starting with a byte of 128 or above at i and moves past it; false when
// the rest of the character is beyond the sample.
bool countUtf8Character(std::string_view sample, size_t& i, bool more, TextSampleCounts& counts) {
  char32_t cp = 0;
  int length = utf8SequenceOf(sample, i, cp);
  if (length > 0) {
    countCharacter(cp, counts);
    i += static_cast<size_t>(length);
  } else if (length < 0 && more) {
    return false;
  } else {
    ++counts.other;  // each ill-formed byte, as the decoder gives each its own U+FFFD
    ++i;
  }
  return true;
}

TextSampleCounts countUtf8(std::string_view sample, size_t from, bool more) {
  TextSampleCounts counts;
  for (size_t i = from; i < sample.size();) {
    auto b = static_cast<unsigned char>(sample[i]);
    if (b < 0x80) {
      countAscii(b, counts);
      ++i;
    } else if (!countUtf8Character(sample, i, more, counts)) {
      break;
    }
  }
  return counts;
}

TextSampleCounts countUtf16(std::string_view sample, bool bigEndian, bool more) {
  TextSampleCounts counts;
  auto unit = [&](size_t i) {
    auto first = static_cast<unsigned char>(sample[i]);
    auto second = static_cast<unsigned char>(sample[i + 1]);
    return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  };
  for (size_t i = 2; i < sample.size();) {
    if (i + 1 >= sample.size()) {
      if (!more) ++counts.other;  // a lone last byte
      break;
    }
    char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 3 >= sample.size() && more) break;
      bool paired = i + 3 < sample.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF;
      if (paired) {
        ++counts.text;
        i += 4;
        continue;
      }
      ++counts.other;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      ++counts.other;
    } else {
      countCharacter(u, counts);
    }
    i += 2;
  }
  return counts;
}

TextSampleCounts countBytes(const char* data, size_t size) {
  TextSampleCounts counts;
  for (size_t i = 0; i < size; ++i) countAscii(static_cast<unsigned char>(data[i]), counts);
  return counts;
}

}  // namespace

TextSampleCounts xcCountTextSample(const char* data, size_t size, bool more, bool asciiTest) {
  if (asciiTest) return countBytes(data, size);
  std::string_view sample(data, size);
  if (sample.starts_with("\xEF\xBB\xBF")) return countUtf8(sample, 3, more);
  if (sample.starts_with("\xFF\xFE")) return countUtf16(sample, false, more);
  if (sample.starts_with("\xFE\xFF")) return countUtf16(sample, true, more);
  return countUtf8(sample, 0, more);
}

TextSampleCounts countTextSampleFast(const char* data, size_t size, bool more, bool asciiTest) {
  std::string_view sample(data, size);
  // Marks of UTF-16 are rare: the plain count serves them.
  if (!asciiTest && (sample.starts_with("\xFF\xFE") || sample.starts_with("\xFE\xFF")))
    return xcCountTextSample(data, size, more, false);
  size_t i = !asciiTest && sample.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  TextSampleCounts counts;
  // Stops once more than 5 other characters make the sample not text: a binary file is
  // decided in its first bytes.
  while (i < size && (asciiTest || counts.other <= 5)) {
#if defined(__SSE2__)
    // Sixteen bytes at a time: with no byte of 128 or above, both tests count bytes.
    if (i + 16 <= size) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      if (asciiTest || _mm_movemask_epi8(v) == 0) {
        // Signed: bytes of 128 and above compare below 32 too.
        __m128i low = _mm_cmplt_epi8(v, _mm_set1_epi8(32));
        __m128i allowed =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(9)), _mm_cmpeq_epi8(v, _mm_set1_epi8(10))),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(12)), _mm_cmpeq_epi8(v, _mm_set1_epi8(13))));
        // Counted in place: without a popcount instruction in the baseline, the builtin is a call.
        auto x = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(allowed, low)));
        x = x - ((x >> 1) & 0x5555u);
        x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
        x = (x + (x >> 4)) & 0x0F0Fu;
        int other = static_cast<int>((x + (x >> 8)) & 0x1Fu);
        counts.other += other;
        counts.text += 16 - other;
        i += 16;
        continue;
      }
    }
#endif
    auto b = static_cast<unsigned char>(data[i]);
    if (b < 0x80 || asciiTest) {
      countAscii(b, counts);
      ++i;
    } else if (!countUtf8Character(sample, i, more, counts)) {
      break;
    }
  }
  return counts;
}

TextTestResult xcIsTextFileAndLoadable(const Text& path, bool asciiTest) {
  TextTestResult result;
  FileDescriptor file;
  int64_t size = 0;
  if (int error = openRegularFile(textToPath(path), file, size)) {
    result.errorText = fileErrorText(error);
    return result;
  }
  if (size == 0) return result;
  char buffer[kTextTestBytes];
  ssize_t got = xcReadFull(file.get(), buffer, static_cast<size_t>(std::min<int64_t>(size, kTextTestBytes)));
  if (got < 0) {
    result.errorText = systemErrorText(errno);
    return result;
  }
  if (got == 0) return result;
  auto sampled = static_cast<size_t>(got);
  TextSampleCounts counts = xcCountTextSample(buffer, sampled, size > got, asciiTest);
  result.textBytes = counts.text;
  result.otherBytes = counts.other;
  result.isText = xcIsTextSample(result.textBytes, result.otherBytes);
  return result;
}

LoadResult LoadFileLines(const Text& path, TextList& lines, int& loadMethod, DateTimeValue& deadline,
                         const Clock& clock) {
  // Without file locks on this platform both methods read the same way.
  if (loadMethod > 1) loadMethod = 0;
  lines.clear();
  deadline = clock.now() + 2 * kOneSecond;

  LoadResult result;
  FileDescriptor file;
  int64_t size = 0;
  if (int error = openRegularFile(textToPath(path), file, size)) {
    result.errorText = fileErrorText(error);
    return result;
  }

  std::string bytes;
  try {
    bytes.reserve(static_cast<size_t>(std::min<int64_t>(size, kMostReserved)) + kLoadPiece);
    for (;;) {
      size_t used = bytes.size();
      bytes.resize(used + kLoadPiece);
      ssize_t n = xcReadSome(file.get(), bytes.data() + used, kLoadPiece);
      if (n < 0) {
        result.errorText = systemErrorText(errno);
        return result;
      }
      bytes.resize(used + static_cast<size_t>(n));
      if (n == 0) break;
      if (clock.now() > deadline) {
        result.cutShort = true;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    // Keep what fitted; the file is searched as far as it was read.
    result.cutShort = true;
  }

  try {
    if (result.cutShort)
      decodeCutLines(bytes, lines);
    else
      xcDecodeLines(bytes, lines);
  } catch (const std::bad_alloc&) {
    lines.clear();
    result.errorText = systemErrorText(ENOMEM);
    return result;
  }
  result.loaded = true;
  return result;
}

}  // namespace varko
