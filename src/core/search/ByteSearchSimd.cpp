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

bool xcCpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// Eight positions at once: their four-byte keys come from one 16-byte load by a byte shuffle,
// are hashed by one multiply and looked up in the bit table by one gather.
template <bool kIgnoreCase>
__attribute__((target("avx2"))) const char* ByteNeedles::findManyHashedAvx2(const char* from, const char* startLimit,
                                                                          const char* end) const {
  const char* limit = startLimit < end ? startLimit : end;
  const char* p = from;
  const __m256i windows = _mm256_setr_epi8(0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 5, 3, 4, 5, 6,  //
                                           4, 5, 6, 7, 5, 6, 7, 8, 6, 7, 8, 9, 7, 8, 9, 10);
  const __m256i keyMask = _mm256_set1_epi32(static_cast<int>(keyMask_));
  const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(0x9E3779B1u));
  const __m256i low5 = _mm256_set1_epi32(31);
  const __m256i one = _mm256_set1_epi32(1);
  const auto* bits = reinterpret_cast<const int*>(keyBits_.data());  // bit h is bit h % 32 of word h / 32
  alignas(32) uint32_t hashes[8];
  while (p + 8 <= limit && p + 16 <= end) {
    __m256i bytes = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    __m256i keys = _mm256_and_si256(_mm256_shuffle_epi8(bytes, windows), keyMask);
    if (kIgnoreCase) {
      __m256i low7 = _mm256_and_si256(keys, _mm256_set1_epi8(0x7F));
      __m256i atLeastA = _mm256_add_epi8(low7, _mm256_set1_epi8(0x3F));
      __m256i aboveZ = _mm256_add_epi8(low7, _mm256_set1_epi8(0x25));
      __m256i upper = _mm256_andnot_si256(_mm256_or_si256(aboveZ, keys), atLeastA);
      upper = _mm256_and_si256(upper, _mm256_set1_epi8(static_cast<char>(0x80)));
      keys = _mm256_or_si256(keys, _mm256_srli_epi32(upper, 2));
    }
    __m256i hash = _mm256_srli_epi32(_mm256_mullo_epi32(keys, multiplier), 32 - kHashBits);
    __m256i words = _mm256_i32gather_epi32(bits, _mm256_srli_epi32(hash, 5), 4);
    __m256i bit = _mm256_and_si256(_mm256_srlv_epi32(words, _mm256_and_si256(hash, low5)), one);
    auto mask = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_slli_epi32(bit, 31))));
    if (mask) {
      _mm256_store_si256(reinterpret_cast<__m256i*>(hashes), hash);
      do {
        int i = __builtin_ctz(mask);
        mask &= mask - 1;
        uint32_t h = hashes[i];
        for (uint32_t k = keyStart_[h]; k < keyStart_[h + 1]; ++k)
          if (needleAt(p + i, end, keyNeedles_[k])) return p + i;
      } while (mask);
    }
    p += 8;
  }
  for (; p < limit; ++p)
    if (verifyAt(p, end)) return p;
  return startLimit;
}

template const char* ByteNeedles::findManyHashedAvx2<true>(const char*, const char*, const char*) const;
template const char* ByteNeedles::findManyHashedAvx2<false>(const char*, const char*, const char*) const;

#else

bool xcCpuHasShuffle() { return false; }
bool xcCpuHasAvx2() { return false; }

template <bool kIgnoreCase>
const char* ByteNeedles::findManyHashedAvx2(const char*, const char* startLimit, const char*) const {
  return startLimit;
}
template const char* ByteNeedles::findManyHashedAvx2<true>(const char*, const char*, const char*) const;
template const char* ByteNeedles::findManyHashedAvx2<false>(const char*, const char*, const char*) const;

const char* ByteNeedles::findManyNibbles(const char*, const char* startLimit, const char*) const { return startLimit; }

#endif

}  // namespace varko
