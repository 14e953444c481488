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

const char* ByteNeedles::findManyNibbles(const char*, const char* startLimit, const char*) const { return startLimit; }

#endif

}  // namespace varko
