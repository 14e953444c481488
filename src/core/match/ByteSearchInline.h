#pragma once
// The exact check behind the several-needle filters, inlined into each of them.
#include <cstring>
#include "match/ByteSearch.h"

namespace varko {

// A-Z to a-z in each byte of a word; every other byte stays.
inline uint32_t foldUpperBytes(uint32_t x) {
  uint32_t low7 = x & 0x7F7F7F7Fu;
  uint32_t atLeastA = low7 + 0x3F3F3F3Fu;     // top bit set where the byte is 'A' or above
  uint32_t aboveZ = low7 + 0x25252525u;       // top bit set where the byte is above 'Z'
  uint32_t upper = atLeastA & ~aboveZ & ~x & 0x80808080u;
  return x | (upper >> 2);
}

inline uint64_t foldUpperBytes64(uint64_t x) {
  uint64_t low7 = x & 0x7F7F7F7F7F7F7F7FULL;
  uint64_t atLeastA = low7 + 0x3F3F3F3F3F3F3F3FULL;
  uint64_t aboveZ = low7 + 0x2525252525252525ULL;
  uint64_t upper = atLeastA & ~aboveZ & ~x & 0x8080808080808080ULL;
  return x | (upper >> 2);
}

inline const char* ByteNeedles::firstMatchAmong(const char* p, uint64_t candidates, const std::string& needle) const {
  for (; candidates; candidates &= candidates - 1) {
    const char* at = p + __builtin_ctzll(candidates);
    if (matchesAt(at, needle)) return at;
  }
  return nullptr;
}

inline uint32_t ByteNeedles::keyHashAt(const char* at, const char* end) const {
  uint32_t key = 0;
  if (end - at >= 4) {
    std::memcpy(&key, at, 4);
    key &= keyMask_;
  } else {
    for (int k = 0; k < keyBytes_; ++k) key |= uint32_t{static_cast<unsigned char>(at[k])} << (8 * k);
  }
  if (ignoreCase_) key = foldUpperBytes(key);
  return (key * 0x9E3779B1u) >> (32 - kHashBits);
}

inline bool ByteNeedles::keyMayStartAt(const char* at, const char* end, uint32_t& hash) const {
  if (end - at < keyBytes_) return false;
  hash = keyHashAt(at, end);
  return (keyBits_[hash >> 6] >> (hash & 63)) & 1;
}

inline bool ByteNeedles::needleAt(const char* at, const char* end, uint32_t needle) const {
  const std::string& n = needles_[needle];
  if (static_cast<size_t>(end - at) < n.size()) return false;
  if (end - at < 8) return matchesAt(at, n);
  const Head& h = heads_[needle];
  uint64_t word;
  std::memcpy(&word, at, 8);
  if (((word | h.fold) & h.mask) != h.bytes) return false;
  for (size_t i = 8; i < n.size(); ++i)
    if (fold_[static_cast<unsigned char>(at[i])] != static_cast<unsigned char>(n[i])) return false;
  return true;
}

inline const char* ByteNeedles::verifyAt(const char* at, const char* end) const {
  uint32_t hash;
  if (!keyMayStartAt(at, end, hash)) return nullptr;
  for (uint32_t k = keyStart_[hash]; k < keyStart_[hash + 1]; ++k)
    if (needleAt(at, end, keyNeedles_[k])) return at;
  return nullptr;
}

}  // namespace varko
