#pragma once
// Finding strings in raw file bytes, letter case of a-z optionally ignored. ASCII bytes stand
// for themselves in UTF-8 and in Windows-1252, so an occurrence of an ASCII string in the bytes is
// exactly an occurrence in the decoded line; a string beyond ASCII is looked for in the bytes of
// one encoding, which says the same only of a file known to be in it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>
#include "lib/Cpu.h"
#include "lib/Text.h"

namespace varko {

// How a string's characters above 127 become bytes.
enum class NeedleBytes { AsciiOnly, Utf8, Windows1252 };

// s (letter case already folded as wanted) as bytes: false when it cannot be, because a
// character is above 127 with AsciiOnly, a lone surrogate with Utf8 (both make the whole byte
// search unusable), or not in Windows-1252 (the string then never occurs in such a file).
bool needleBytes(TextView s, NeedleBytes how, std::string& out);

class ByteNeedles {
public:
  // False when a needle cannot be written as AsciiOnly or Utf8 asks; empty needles, and those
  // Windows-1252 has no bytes for, are left out.
  bool build(const TextList& needles, bool ignoreCase, NeedleBytes how = NeedleBytes::AsciiOnly);
  bool empty() const { return needles_.empty(); }
  // Every needle is ASCII.
  bool ascii() const { return ascii_; }
  // The earliest position in [from, startLimit) where a needle starts (it may run on to end),
  // or startLimit when none does.
  const char* find(const char* from, const char* startLimit, const char* end) const;

  // flags[i] := whether needle i of the list given to build occurs in [from, end).
  void occurring(const char* from, const char* end, std::vector<uint8_t>& flags) const;

private:
  const char* findOne(const char* from, const char* startLimit, const char* end) const;
  // findOne's filter 32 starts a round: the needle's start before limit, or null with p moved
  // to where the rest is to be looked at.
  const char* findOneAvx2(const char*& p, const char* limit, const char* end, unsigned char firstByte,
                          unsigned char lastByte, bool foldFirst, bool foldLast) const;
  const char* findMany(const char* from, const char* startLimit, const char* end) const;
  bool matchesAt(const char* at, const std::string& needle) const;
  // The first start p + i, for each bit i of candidates from the lowest, where needle is; or null.
  const char* firstMatchAmong(const char* p, uint64_t candidates, const std::string& needle) const;

  std::vector<std::string> needles_;  // folded to lower case when ignoring case
  std::vector<uint32_t> listIndex_;   // needle -> its index in the list given to build
  size_t listSize_ = 0;
  bool ignoreCase_ = false;
  bool ascii_ = true;
  std::array<unsigned char, 256> fold_{};

  // Several needles: the first keyBytes_ bytes of every needle (its key, up to four) are hashed
  // into a bit table, so most positions are ruled out by one lookup; the needles with a key's
  // hash are listed together and compared eight bytes at a time.
  struct Head {
    uint64_t bytes = 0;  // the needle's first eight bytes (fewer: zeros)
    uint64_t mask = 0;   // which of them belong to the needle
    uint64_t fold = 0;   // 0x20 where case is ignored and the byte is a letter
  };
  int keyBytes_ = 0;
  uint32_t keyMask_ = 0;
  std::vector<uint64_t> keyBits_;
  std::vector<uint32_t> keyStart_;  // hash -> its first entry in keyNeedles_, and one past
  std::vector<uint32_t> keyNeedles_;
  std::vector<Head> heads_;
  static constexpr int kHashBits = 16;
  uint32_t keyHashAt(const char* at, const char* end) const;
  bool keyMayStartAt(const char* at, const char* end, uint32_t& hash) const;
  bool needleAt(const char* at, const char* end, uint32_t needle) const;
  const char* verifyAt(const char* at, const char* end) const;
  template <bool kIgnoreCase>
  const char* findManyHashed(const char* from, const char* startLimit, const char* end) const;

  // When every needle has five bytes or more, only every stride_-th position is looked up: the
  // table then holds each needle's keys at offsets 0 to stride_ - 1, so one of them lies on a
  // looked-up position wherever the needle starts. Entries are needle * 4 + offset.
  int stride_ = 1;
  std::vector<uint64_t> strideBits_;
  std::vector<uint32_t> strideStart_;
  std::vector<uint32_t> strideEntries_;
  template <bool kIgnoreCase>
  const char* findManyStrided(const char* from, const char* startLimit, const char* end) const;

  // Several needles of 2 bytes or more: nibble masks of their first (up to four) bytes in 8
  // buckets, so 16 positions are ruled out at once (a shuffle-based filter); see ByteSearchSimd.cpp.
  static constexpr size_t kNibbleNeedles = 24;
  bool useNibbleFilter_ = false;
  int fingerprint_ = 0;  // bytes of each needle the filter looks at
  alignas(16) std::array<std::array<uint8_t, 16>, 4> lowMasks_{};
  alignas(16) std::array<std::array<uint8_t, 16>, 4> highMasks_{};
  void buildNibbleFilter();
  void buildStrideTable();
  const char* findManyNibbles(const char* from, const char* startLimit, const char* end) const;
};

// The line feeds in [from, to); anyCr is set when a CR is there too, anyHigh when a byte above
// 127 is. Only where cpuHasAvx2().
int64_t countLineFeedsAvx2(const char* from, const char* to, bool& anyCr, bool& anyHigh);

}  // namespace varko
