// The several-needle filter: byte shuffles look up, for 16 positions at once, which buckets of
// needles could start there judging by the nibbles of their first bytes. Only positions
// that pass are checked exactly. Compiled for SSSE3 and used only where the processor has it.
#include "match/ByteSearch.h"
#include "match/ByteSearchInline.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VARKO_HAVE_SHUFFLE 1
#endif

namespace varko {

#if VARKO_HAVE_SHUFFLE

__attribute__((target("avx2"))) int64_t countLineFeedsAvx2(const char* from, const char* to, bool& anyCr, bool& anyHigh) {
  int64_t n = 0;
  const char* p = from;
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i zero = _mm256_setzero_si256();
  __m256i crs = zero, highs = zero;
  while (p + 32 <= to) {
    // Byte counters, summed every 255 rounds before they could overflow; two blocks a round
    // into two counters, so the rounds do not wait for each other.
    __m256i counts = zero, counts2 = zero;
    int k = 0;
    for (; k < 255 && p + 64 <= to; ++k, p += 64) {
      __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
      __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
      counts = _mm256_sub_epi8(counts, _mm256_cmpeq_epi8(v, lf));
      counts2 = _mm256_sub_epi8(counts2, _mm256_cmpeq_epi8(w, lf));
      crs = _mm256_or_si256(crs, _mm256_or_si256(_mm256_cmpeq_epi8(v, cr), _mm256_cmpeq_epi8(w, cr)));
      highs = _mm256_or_si256(highs, _mm256_or_si256(v, w));
    }
    if (k < 255 && p + 32 <= to) {
      __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
      counts = _mm256_sub_epi8(counts, _mm256_cmpeq_epi8(v, lf));
      crs = _mm256_or_si256(crs, _mm256_cmpeq_epi8(v, cr));
      highs = _mm256_or_si256(highs, v);
      p += 32;
    }
    __m256i sums = _mm256_add_epi64(_mm256_sad_epu8(counts, zero), _mm256_sad_epu8(counts2, zero));
    n += _mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) + _mm256_extract_epi64(sums, 2) +
         _mm256_extract_epi64(sums, 3);
  }
  anyCr = _mm256_movemask_epi8(crs) != 0;
  anyHigh = _mm256_movemask_epi8(highs) != 0;
  for (; p < to; ++p) {
    n += *p == '\n';
    anyCr |= *p == '\r';
    anyHigh |= static_cast<unsigned char>(*p) >= 0x80;
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
  // Two blocks a round, tested together: candidates are rare, the branch is one per 64 bytes.
  while (p + 64 <= limit && p + 64 + m - 1 <= end) {
    __m256i a0 = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), firstFold);
    __m256i b0 = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + m - 1)), lastFold);
    __m256i a1 = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)), firstFold);
    __m256i b1 = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 + m - 1)), lastFold);
    __m256i e0 = _mm256_and_si256(_mm256_cmpeq_epi8(a0, first), _mm256_cmpeq_epi8(b0, last));
    __m256i e1 = _mm256_and_si256(_mm256_cmpeq_epi8(a1, first), _mm256_cmpeq_epi8(b1, last));
    __m256i both = _mm256_or_si256(e0, e1);
    if (!_mm256_testz_si256(both, both)) {
      uint64_t mask = static_cast<uint32_t>(_mm256_movemask_epi8(e0)) |
                      static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(e1))) << 32;
      if (const char* hit = firstMatchAmong(p, mask, n)) return hit;
    }
    p += 64;
  }
  while (p + 32 <= limit && p + 32 + m - 1 <= end) {
    __m256i a = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), firstFold);
    __m256i b = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + m - 1)), lastFold);
    auto mask = static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
    if (const char* hit = firstMatchAmong(p, mask, n)) return hit;
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

int64_t countLineFeedsAvx2(const char*, const char*, bool&, bool&) { return 0; }
const char* ByteNeedles::findOneAvx2(const char*&, const char*, const char*, unsigned char, unsigned char, bool,
                                     bool) const {
  return nullptr;
}

const char* ByteNeedles::findManyNibbles(const char*, const char* startLimit, const char*) const { return startLimit; }

#endif

}  // namespace varko
