#include "match/ByteSearch.h"
#include "match/ByteSearchInline.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lib/TextDecoding.h"

namespace varko {

bool needleBytes(TextView s, NeedleBytes how, std::string& out) {
  out.clear();
  if (how == NeedleBytes::Utf8) {
    // Valid UTF-8 never decodes to a lone surrogate.
    for (size_t i = 0; i < s.size(); ++i) {
      bool high = s[i] >= 0xD800 && s[i] <= 0xDBFF, low = s[i] >= 0xDC00 && s[i] <= 0xDFFF;
      if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
        ++i;
      else if (high || low)
        return false;
    }
    out = toUtf8(s);
    return true;
  }
  for (char16_t c : s) {
    if (c <= 127) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (how == NeedleBytes::AsciiOnly) return false;
    int byte = 0x80;
    while (byte <= 0xFF && xcWindows1252ToChar(static_cast<unsigned char>(byte)) != c) ++byte;
    if (byte > 0xFF) return false;
    out.push_back(static_cast<char>(byte));
  }
  return true;
}

bool ByteNeedles::build(const TextList& needles, bool ignoreCase, NeedleBytes how) {
  ignoreCase_ = ignoreCase;
  ascii_ = true;
  for (int b = 0; b < 256; ++b) fold_[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
  if (ignoreCase)
    for (int b = 'A'; b <= 'Z'; ++b) fold_[static_cast<size_t>(b)] = static_cast<unsigned char>(b | 0x20);
  needles_.clear();
  listIndex_.clear();
  listSize_ = needles.size();
  for (size_t k = 0; k < needles.size(); ++k) {
    const Text& n = needles[k];
    if (n.empty()) continue;
    std::string bytes;
    if (!needleBytes(n, how, bytes)) {
      if (how != NeedleBytes::Windows1252) return false;
      ascii_ = false;
      continue;  // never in such a file
    }
    for (char& b : bytes) b = static_cast<char>(fold_[static_cast<unsigned char>(b)]);
    if (!std::all_of(n.begin(), n.end(), [](char16_t c) { return c <= 127; })) ascii_ = false;
    listIndex_.push_back(static_cast<uint32_t>(k));
    needles_.push_back(std::move(bytes));
  }
  keyBits_.clear();
  keyStart_.clear();
  keyNeedles_.clear();
  heads_.clear();
  useNibbleFilter_ = false;
  if (needles_.size() > 1) {
    size_t shortest = 4;
    for (const auto& n : needles_) shortest = std::min(shortest, n.size());
    keyBytes_ = static_cast<int>(shortest);
    keyMask_ = shortest >= 4 ? 0xFFFFFFFFu : (uint32_t{1} << (8 * shortest)) - 1;
    heads_.resize(needles_.size());
    std::vector<uint32_t> hashes(needles_.size());
    keyBits_.assign((size_t{1} << kHashBits) / 64, 0);
    keyStart_.assign((size_t{1} << kHashBits) + 1, 0);
    for (uint32_t i = 0; i < needles_.size(); ++i) {
      const auto& n = needles_[i];
      Head& h = heads_[i];
      for (size_t k = 0; k < 8 && k < n.size(); ++k) {
        auto b = static_cast<unsigned char>(n[k]);
        h.bytes |= uint64_t{b} << (8 * k);
        h.mask |= uint64_t{0xFF} << (8 * k);
        if (ignoreCase_ && b >= 'a' && b <= 'z') h.fold |= uint64_t{0x20} << (8 * k);
      }
      hashes[i] = keyHashAt(n.data(), n.data() + n.size());
      keyBits_[hashes[i] >> 6] |= uint64_t{1} << (hashes[i] & 63);
      ++keyStart_[hashes[i] + 1];
    }
    for (size_t h = 1; h < keyStart_.size(); ++h) keyStart_[h] += keyStart_[h - 1];
    keyNeedles_.resize(needles_.size());
    std::vector<uint32_t> filled(keyStart_.begin(), keyStart_.end() - 1);
    for (uint32_t i = 0; i < needles_.size(); ++i) keyNeedles_[filled[hashes[i]]++] = i;
    // The nibble filter rules out most positions while the needles are few; with many, nearly
    // every letter passes it and the hashed keys alone are quicker.
    if (shortest >= 2 && needles_.size() <= kNibbleNeedles) buildNibbleFilter();
    buildStrideTable();
  }
  return true;
}

void ByteNeedles::buildStrideTable() {
  stride_ = 1;
  strideBits_.clear();
  strideStart_.clear();
  strideEntries_.clear();
  size_t shortest = SIZE_MAX;
  for (const auto& n : needles_) shortest = std::min(shortest, n.size());
  if (useNibbleFilter_ || keyBytes_ < 4 || shortest < 5) return;
  stride_ = static_cast<int>(std::min<size_t>(shortest - 3, 4));
  std::vector<std::pair<uint32_t, uint32_t>> keyed;  // hash, entry
  for (uint32_t i = 0; i < needles_.size(); ++i)
    for (int j = 0; j < stride_; ++j) {
      const char* at = needles_[i].data() + j;
      keyed.push_back({keyHashAt(at, at + 4), i * 4 + static_cast<uint32_t>(j)});
    }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  strideBits_.assign((size_t{1} << kHashBits) / 64, 0);
  strideStart_.assign((size_t{1} << kHashBits) + 1, 0);
  for (const auto& [hash, entry] : keyed) {
    strideBits_[hash >> 6] |= uint64_t{1} << (hash & 63);
    ++strideStart_[hash + 1];
    strideEntries_.push_back(entry);
  }
  for (size_t h = 1; h < strideStart_.size(); ++h) strideStart_[h] += strideStart_[h - 1];
}

void ByteNeedles::buildNibbleFilter() {
  useNibbleFilter_ = false;
  for (auto& m : lowMasks_) m.fill(0);
  for (auto& m : highMasks_) m.fill(0);
  if (!cpuHasShuffle()) return;
  fingerprint_ = keyBytes_;
  for (size_t i = 0; i < needles_.size(); ++i) {
    const auto& n = needles_[i];
    // Needles sharing a first byte share a bucket, which keeps the buckets' masks tight.
    uint8_t bucket = static_cast<uint8_t>(1u << (static_cast<unsigned char>(n[0]) % 8));
    for (size_t k = 0; k < static_cast<size_t>(fingerprint_); ++k) {
      auto b = static_cast<unsigned char>(n[k]);
      // Both letter cases pass the filter when case is ignored; the exact check folds.
      unsigned char forms[2] = {b, b};
      if (ignoreCase_ && b >= 'a' && b <= 'z') forms[1] = static_cast<unsigned char>(b - 32);
      for (unsigned char f : forms) {
        lowMasks_[k][f & 15] |= bucket;
        highMasks_[k][f >> 4] |= bucket;
      }
    }
  }
  useNibbleFilter_ = true;
}

bool ByteNeedles::matchesAt(const char* at, const std::string& needle) const {
  for (size_t i = 0; i < needle.size(); ++i)
    if (fold_[static_cast<unsigned char>(at[i])] != static_cast<unsigned char>(needle[i])) return false;
  return true;
}

const char* ByteNeedles::find(const char* from, const char* startLimit, const char* end) const {
  if (needles_.empty() || from >= startLimit) return startLimit;
  return needles_.size() == 1 ? findOne(from, startLimit, end) : findMany(from, startLimit, end);
}

const char* ByteNeedles::findOne(const char* from, const char* startLimit, const char* end) const {
  const std::string& n = needles_[0];
  size_t m = n.size();
  if (static_cast<size_t>(end - from) < m) return startLimit;
  const char* lastStart = end - m;  // inclusive
  const char* limit = startLimit <= lastStart ? startLimit : lastStart + 1;
  const char* p = from;
  auto firstByte = static_cast<unsigned char>(n[0]);
  auto lastByte = static_cast<unsigned char>(n[m - 1]);
  bool foldFirst = ignoreCase_ && firstByte >= 'a' && firstByte <= 'z';
  bool foldLast = ignoreCase_ && lastByte >= 'a' && lastByte <= 'z';
  if (m == 1 && !foldFirst) {
    const void* hit = std::memchr(p, firstByte, static_cast<size_t>(limit - p));
    return hit ? static_cast<const char*>(hit) : startLimit;
  }
  if (cpuHasAvx2()) {
    if (const char* hit = findOneAvx2(p, limit, end, firstByte, lastByte, foldFirst, foldLast)) return hit;
  }
#if defined(__SSE2__)
  // Compare the first and last byte of 16 candidate starts at once; check the middle on a hit.
  const __m128i first = _mm_set1_epi8(static_cast<char>(firstByte));
  const __m128i last = _mm_set1_epi8(static_cast<char>(lastByte));
  const __m128i firstFold = _mm_set1_epi8(foldFirst ? 0x20 : 0);
  const __m128i lastFold = _mm_set1_epi8(foldLast ? 0x20 : 0);
  while (p + 16 <= limit && p + 16 + m - 1 <= end) {
    __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), firstFold);
    __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + m - 1)), lastFold);
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    if (const char* hit = firstMatchAmong(p, mask, n)) return hit;
    p += 16;
  }
#endif
  for (; p < limit; ++p)
    if (fold_[static_cast<unsigned char>(*p)] == firstByte && matchesAt(p, n)) return p;
  return startLimit;
}

const char* ByteNeedles::findMany(const char* from, const char* startLimit, const char* end) const {
  if (useNibbleFilter_) return findManyNibbles(from, startLimit, end);
  if (stride_ > 1)
    return ignoreCase_ ? findManyStrided<true>(from, startLimit, end) : findManyStrided<false>(from, startLimit, end);
  if (keyBytes_ >= 2) return ignoreCase_ ? findManyHashed<true>(from, startLimit, end)
                                         : findManyHashed<false>(from, startLimit, end);
  const char* limit = startLimit < end ? startLimit : end;
  for (const char* p = from; p < limit; ++p)
    if (verifyAt(p, end)) return p;
  return startLimit;
}

template <bool kIgnoreCase>
const char* ByteNeedles::findManyHashed(const char* from, const char* startLimit, const char* end) const {
  const char* limit = startLimit < end ? startLimit : end;
  const char* p = from;
  const uint64_t* bits = keyBits_.data();
  const uint32_t keyMask = keyMask_;
  // Eight positions a round from two overlapping words, testing their bits without a branch;
  // positions are looked at one by one only when one of them passes.
  auto hashOf = [keyMask](uint64_t word, int shift) {
    uint32_t key = static_cast<uint32_t>(word >> shift) & keyMask;
    return (key * 0x9E3779B1u) >> (32 - kHashBits);
  };
  while (p + 8 <= limit && p + 12 <= end) {
    uint64_t w0, w1;
    std::memcpy(&w0, p, 8);
    std::memcpy(&w1, p + 4, 8);
    if (kIgnoreCase) {
      w0 = foldUpperBytes64(w0);
      w1 = foldUpperBytes64(w1);
    }
    uint32_t h[8] = {hashOf(w0, 0),  hashOf(w0, 8),  hashOf(w0, 16), hashOf(w0, 24),
                     hashOf(w1, 0),  hashOf(w1, 8),  hashOf(w1, 16), hashOf(w1, 24)};
    uint64_t any = 0;
    for (int i = 0; i < 8; ++i) any |= bits[h[i] >> 6] >> (h[i] & 63);
    if (any & 1) {
      for (int i = 0; i < 8; ++i)
        if ((bits[h[i] >> 6] >> (h[i] & 63)) & 1)
          for (uint32_t k = keyStart_[h[i]]; k < keyStart_[h[i] + 1]; ++k)
            if (needleAt(p + i, end, keyNeedles_[k])) return p + i;
    }
    p += 8;
  }
  for (; p < limit; ++p)
    if (verifyAt(p, end)) return p;
  return startLimit;
}

template <bool kIgnoreCase>
const char* ByteNeedles::findManyStrided(const char* from, const char* startLimit, const char* end) const {
  const char* limit = startLimit < end ? startLimit : end;
  const uint64_t* bits = strideBits_.data();
  const int stride = stride_;
  // A needle starting just before limit has its keys up to stride - 1 further on.
  const char* scanLimit = limit + (stride - 1);
  for (const char* r = from; r < scanLimit && end - r >= 4; r += stride) {
    uint32_t key;
    std::memcpy(&key, r, 4);
    if (kIgnoreCase) key = foldUpperBytes(key);
    uint32_t hash = (key * 0x9E3779B1u) >> (32 - kHashBits);
    if (!((bits[hash >> 6] >> (hash & 63)) & 1)) continue;
    // Every start found from this position is earlier than any found further on.
    const char* best = nullptr;
    for (uint32_t k = strideStart_[hash]; k < strideStart_[hash + 1]; ++k) {
      uint32_t entry = strideEntries_[k];
      size_t back = entry & 3;
      if (static_cast<size_t>(r - from) < back) continue;  // it would start before from
      const char* q = r - back;
      if (q >= limit || (best && q >= best)) continue;
      if (needleAt(q, end, entry >> 2)) best = q;
    }
    if (best) return best;
  }
  return startLimit;
}

void ByteNeedles::occurring(const char* from, const char* end, std::vector<uint8_t>& flags) const {
  flags.assign(listSize_, 0);
  if (needles_.empty()) return;
  if (needles_.size() == 1) {
    flags[listIndex_[0]] = findOne(from, end, end) != end;
    return;
  }
  if (stride_ > 1) {
    // Each occurrence has exactly one of its keys on the looked-up positions.
    const uint64_t* bits = strideBits_.data();
    for (const char* r = from; end - r >= 4; r += stride_) {
      uint32_t key;
      std::memcpy(&key, r, 4);
      if (ignoreCase_) key = foldUpperBytes(key);
      uint32_t hash = (key * 0x9E3779B1u) >> (32 - kHashBits);
      if (!((bits[hash >> 6] >> (hash & 63)) & 1)) continue;
      for (uint32_t k = strideStart_[hash]; k < strideStart_[hash + 1]; ++k) {
        uint32_t entry = strideEntries_[k];
        size_t back = entry & 3;
        if (static_cast<size_t>(r - from) < back) continue;
        if (needleAt(r - back, end, entry >> 2)) flags[listIndex_[entry >> 2]] = 1;
      }
    }
    return;
  }
  uint32_t hash;
  for (const char* p = from; p < end; ++p) {
    if (!keyMayStartAt(p, end, hash)) continue;
    for (uint32_t k = keyStart_[hash]; k < keyStart_[hash + 1]; ++k) {
      uint32_t i = keyNeedles_[k];
      if (needleAt(p, end, i)) flags[listIndex_[i]] = 1;
    }
  }
}

}  // namespace varko
