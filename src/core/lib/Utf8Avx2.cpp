// The UTF-8 test 32 bytes a round, for processors with AVX2. Each byte is judged together with
// the one before it by three table lookups (the high nibble of the byte before, its low nibble,
// and the high nibble of this byte): each table marks which faults the nibble allows, and a
// fault is there where all three agree. Third and fourth bytes of a sequence, which look like
// any other continuation byte, are matched against the lead two and three bytes back.
#include "lib/Utf8Avx2.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstring>

namespace varko {

namespace {

constexpr uint8_t kTooShort = 1 << 0;   // a lead not followed by a continuation
constexpr uint8_t kTooLong = 1 << 1;    // a continuation after ASCII
constexpr uint8_t kOverlong3 = 1 << 2;  // E0 80..9F
constexpr uint8_t kTooLarge = 1 << 3;   // beyond U+10FFFF
constexpr uint8_t kSurrogate = 1 << 4;  // ED A0..BF
constexpr uint8_t kOverlong2 = 1 << 5;  // C0, C1
constexpr uint8_t kTooLarge1000 = 1 << 6;
constexpr uint8_t kOverlong4 = 1 << 6;  // F0 80..8F
constexpr uint8_t kTwoConts = 1 << 7;   // a continuation after a continuation: fine only as a third or fourth byte
constexpr uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

constexpr uint8_t kLarge = kCarry | kTooLarge | kTooLarge1000;
constexpr uint8_t kCont = kTooLong | kOverlong2 | kTwoConts;
// By the high nibble of the byte before.
alignas(16) constexpr uint8_t kByte1High[16] = {
    kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts, kTwoConts, kTwoConts,
    kTwoConts, kTooShort | kOverlong2, kTooShort, kTooShort | kOverlong3 | kSurrogate,
    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
// By the low nibble of the byte before.
alignas(16) constexpr uint8_t kByte1Low[16] = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge, kLarge,
    kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge | kSurrogate, kLarge, kLarge};
// By the high nibble of the byte itself.
alignas(16) constexpr uint8_t kByte2High[16] = {
    kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
    kCont | kOverlong3 | kTooLarge1000 | kOverlong4, kCont | kOverlong3 | kTooLarge, kCont | kSurrogate | kTooLarge,
    kCont | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort, kTooShort};
// A lead in the last three places wanting more bytes than are left.
constexpr uint8_t kMostAtEnd[32] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                                    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0xF0 - 1,
                                    0xE0 - 1, 0xC0 - 1};

struct State {
  __m256i error;
  __m256i previous;    // the block before
  __m256i incomplete;  // its last bytes that are leads wanting bytes past it
};

__attribute__((target("avx2"))) inline __m256i before(__m256i input, __m256i previous, int n) {
  // The bytes n places back: input shifted up by n, the first n from the end of previous.
  __m256i joined = _mm256_permute2x128_si256(previous, input, 0x21);
  switch (n) {
    case 1: return _mm256_alignr_epi8(input, joined, 15);
    case 2: return _mm256_alignr_epi8(input, joined, 14);
    default: return _mm256_alignr_epi8(input, joined, 13);
  }
}

__attribute__((target("avx2"))) inline __m256i lookup(const uint8_t (&table)[16], __m256i nibbles) {
  return _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table))),
                             nibbles);
}

__attribute__((target("avx2"))) inline __m256i highNibbles(__m256i v) {
  return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

__attribute__((target("avx2"))) inline void checkBlock(State& s, __m256i input) {
  if (_mm256_movemask_epi8(input) == 0) {
    s.error = _mm256_or_si256(s.error, s.incomplete);
    s.incomplete = _mm256_setzero_si256();
    s.previous = input;
    return;
  }
  const __m256i prev1 = before(input, s.previous, 1);
  const __m256i byte1High = lookup(kByte1High, highNibbles(prev1));
  const __m256i byte1Low = lookup(kByte1Low, _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)));
  const __m256i byte2High = lookup(kByte2High, highNibbles(input));
  const __m256i special = _mm256_and_si256(_mm256_and_si256(byte1High, byte1Low), byte2High);
  // Third bytes follow E0..EF two back, fourth bytes F0..FF three back: there a continuation
  // after a continuation is what must be.
  const __m256i third = _mm256_subs_epu8(before(input, s.previous, 2), _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m256i fourth = _mm256_subs_epu8(before(input, s.previous, 3), _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m256i must = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
  s.error = _mm256_or_si256(s.error, _mm256_xor_si256(must, special));
  // Leads in the last three places that want more bytes than the block has left.
  const __m256i most = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kMostAtEnd));
  s.incomplete = _mm256_subs_epu8(input, most);
  s.previous = input;
}

}  // namespace

__attribute__((target("avx2"))) bool isValidUtf8Avx2(const char* data, size_t size) {
  State s{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
  size_t i = 0;
  for (; i + 64 <= size; i += 64) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + 32));
    if (_mm256_movemask_epi8(_mm256_or_si256(a, b)) == 0) {
      // ASCII: only a sequence left open before it can be wrong.
      s.error = _mm256_or_si256(s.error, s.incomplete);
      s.incomplete = _mm256_setzero_si256();
      s.previous = b;
      continue;
    }
    checkBlock(s, a);
    checkBlock(s, b);
    if ((i & 4095) == 0 && !_mm256_testz_si256(s.error, s.error)) return false;
  }
  for (; i + 32 <= size; i += 32) checkBlock(s, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i)));
  if (i < size) {
    // The last bytes padded with ASCII, which no lead may be followed by.
    alignas(32) char last[32] = {};
    std::memcpy(last, data + i, size - i);
    checkBlock(s, _mm256_load_si256(reinterpret_cast<const __m256i*>(last)));
  }
  s.error = _mm256_or_si256(s.error, s.incomplete);
  return _mm256_testz_si256(s.error, s.error);
}

}  // namespace varko

#else

namespace varko {
bool isValidUtf8Avx2(const char*, size_t) { return false; }
}  // namespace varko

#endif
