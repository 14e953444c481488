// The several-needle filter: byte shuffles look up, for 16 positions at once, which buckets of
// needles could start there judging by the nibbles of their first bytes. Only positions
// that pass are checked exactly. Compiled for SSSE3 and used only where the processor has it.
#include "search/ByteSearch.h"
#include "search/ByteSearchInline.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VARKO_HAVE_SHUFFLE 1
#endif

namespace varko {

#if VARKO_HAVE_SHUFFLE

bool xcCpuHasShuffle() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

bool xcCpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

__attribute__((target("avx2"))) int64_t xcCountLineFeedsAvx2(const char* from, const char* to, bool& anyCr) {
  int64_t n = 0;
  const char* p = from;
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i zero = _mm256_setzero_si256();
  __m256i crs = zero;
  while (p + 32 <= to) {
    // Byte counters, summed every 255 rounds before they could overflow.
    __m256i counts = zero;
    for (int k = 0; k < 255 && p + 32 <= to; ++k, p += 32) {
      __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
      counts = _mm256_sub_epi8(counts, _mm256_cmpeq_epi8(v, lf));
      crs = _mm256_or_si256(crs, _mm256_cmpeq_epi8(v, cr));
    }
    __m256i sums = _mm256_sad_epu8(counts, zero);
    n += _mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) + _mm256_extract_epi64(sums, 2) +
         _mm256_extract_epi64(sums, 3);
  }
  anyCr = _mm256_movemask_epi8(crs) != 0;
  for (; p < to; ++p) {
    n += *p == '\n';
    anyCr |= *p == '\r';
  }
  return n;
}

__attribute__((target("avx2"))) const char* ByteNeedles::findOneAvx2(const char*& p, const char* limit,
                                                                   const char* end, unsigned char firstByte,
                                                                   unsigned char lastByte, bool foldFirst,
                                                                   bool foldLast) const {
  const std::string& n = needles_[0];
  const size_t m = n.size();
  const __m256i first = _mm256_set1_epi8(static_cast<char>(firstByte));
  const __m256i last = _mm256_set1_epi8(static_cast<char>(lastByte));
  const __m256i firstFold = _mm256_set1_epi8(foldFirst ? 0x20 : 0);
  const __m256i lastFold = _mm256_set1_epi8(foldLast ? 0x20 : 0);
  while (p + 32 <= limit && p + 32 + m - 1 <= end) {
    __m256i a = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), firstFold);
    __m256i b = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + m - 1)), lastFold);
    auto mask = static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
    while (mask) {
      int bit = __builtin_ctz(mask);
      if (matchesAt(p + bit, n)) return p + bit;
      mask &= mask - 1;
    }
    p += 32;
  }
  return nullptr;
}

__attribute__((target("ssse3"))) const char* ByteNeedles::findManyNibbles(const char* from, const char* startLimit,
                                                                        const char* end) const {
  const char* limit = startLimit < end ? startLimit : end;
  const char* p = from;
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const int bytes = fingerprint_;
  __m128i lo[4], hi[4];
  for (int k = 0; k < bytes; ++k) {
    lo[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(lowMasks_[static_cast<size_t>(k)].data()));
    hi[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(highMasks_[static_cast<size_t>(k)].data()));
  }
  // Loads reach p + bytes - 1 + 15.
  while (p + 16 <= limit && p + 15 + bytes <= end) {
    __m128i result = _mm_set1_epi8(static_cast<char>(0xFF));
    for (int k = 0; k < bytes; ++k) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
      __m128i l = _mm_shuffle_epi8(lo[k], _mm_and_si128(v, nibble));
      __m128i h = _mm_shuffle_epi8(hi[k], _mm_and_si128(_mm_srli_epi16(v, 4), nibble));
      result = _mm_and_si128(result, _mm_and_si128(l, h));
    }
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(result, _mm_setzero_si128()))) ^ 0xFFFFu;
    while (mask) {
      const char* at = p + __builtin_ctz(mask);
      mask &= mask - 1;
      if (verifyAt(at, end)) return at;
    }
    p += 16;
  }
  for (; p < limit; ++p)
    if (verifyAt(p, end)) return p;
  return startLimit;
}

#else

bool xcCpuHasShuffle() { return false; }
bool xcCpuHasAvx2() { return false; }
int64_t xcCountLineFeedsAvx2(const char*, const char*, bool&) { return 0; }
const char* ByteNeedles::findOneAvx2(const char*&, const char*, const char*, unsigned char, unsigned char, bool,
                                     bool) const {
  return nullptr;
}

const char* ByteNeedles::findManyNibbles(const char*, const char* startLimit, const char*) const { return startLimit; }

#endif

}  // namespace varko
