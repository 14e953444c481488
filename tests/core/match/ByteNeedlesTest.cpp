#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "match/ByteSearch.h"

using namespace varko;

namespace {

// A heap block of exactly the haystack's size, so AddressSanitizer reports any read past the end.
class Haystack {
public:
  explicit Haystack(const std::string& bytes) : size_(bytes.size()), data_(new char[bytes.size()]) {
    if (size_ > 0) std::memcpy(data_.get(), bytes.data(), size_);
  }
  const char* at(size_t i) const { return data_.get() + i; }
  size_t size() const { return size_; }

private:
  size_t size_;
  std::unique_ptr<char[]> data_;
};

std::string bytesOf(const Text& needle) {
  std::string out;
  for (char16_t c : needle) out.push_back(static_cast<char>(c));
  return out;
}

unsigned char folded(unsigned char c, bool ignoreCase) {
  return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Every start of every needle, found one position and one byte at a time.
class Reference {
public:
  Reference(const std::string& hay, const TextList& needles, bool ignoreCase) {
    for (const Text& t : needles) {
      std::string n = bytesOf(t);
      std::vector<size_t> starts;
      for (size_t i = 0; !n.empty() && i + n.size() <= hay.size(); ++i) {
        size_t j = 0;
        while (j < n.size() && folded(static_cast<unsigned char>(hay[i + j]), ignoreCase) ==
                                   folded(static_cast<unsigned char>(n[j]), ignoreCase))
          ++j;
        if (j == n.size()) starts.push_back(i);
      }
      lengths_.push_back(n.size());
      starts_.push_back(std::move(starts));
    }
  }

  size_t find(size_t from, size_t startLimit, size_t end) const {
    size_t best = startLimit;
    for (size_t k = 0; k < starts_.size(); ++k) {
      // Starts ascend, so the first one at or after from is the only candidate.
      auto s = std::lower_bound(starts_[k].begin(), starts_[k].end(), from);
      if (s != starts_[k].end() && *s < best && *s + lengths_[k] <= end) best = *s;
    }
    return best;
  }

  std::vector<uint8_t> occurring(size_t from, size_t end) const {
    std::vector<uint8_t> flags(starts_.size(), 0);
    for (size_t k = 0; k < starts_.size(); ++k) {
      auto s = std::lower_bound(starts_[k].begin(), starts_[k].end(), from);
      flags[k] = s != starts_[k].end() && *s + lengths_[k] <= end;
    }
    return flags;
  }

private:
  std::vector<size_t> lengths_;
  std::vector<std::vector<size_t>> starts_;
};

std::string show(const std::string& bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 32 && b < 127 && b != '"' && b != '\\') {
      out.push_back(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", b);
      out += buf;
    }
  }
  return out + "\"";
}

std::string describe(const std::string& hay, const TextList& needles, bool ignoreCase) {
  std::string out = "\n  ignoreCase " + std::to_string(ignoreCase) + "\n  haystack (" +
                    std::to_string(hay.size()) + " bytes) " + show(hay) + "\n  needles (" +
                    std::to_string(needles.size()) + "):";
  for (const Text& n : needles) out += " " + show(bytesOf(n));
  return out;
}

::testing::AssertionResult agrees(const ByteNeedles& search, const Haystack& hay, const Reference& ref,
                                  size_t from, size_t startLimit, size_t end, bool withOccurring = true) {
  const char* base = hay.at(0);
  auto got = static_cast<size_t>(search.find(base + from, base + startLimit, base + end) - base);
  size_t want = ref.find(from, startLimit, end);
  if (got != want)
    return ::testing::AssertionFailure() << "find(from " << from << ", startLimit " << startLimit << ", end "
                                         << end << ") gave " << got << ", expected " << want;
  if (!withOccurring) return ::testing::AssertionSuccess();
  std::vector<uint8_t> flags(3, 7);  // whatever was there before must not survive
  search.occurring(base + from, base + end, flags);
  std::vector<uint8_t> wantFlags = ref.occurring(from, end);
  if (flags.size() != wantFlags.size())
    return ::testing::AssertionFailure() << "occurring(from " << from << ", end " << end << ") gave "
                                         << flags.size() << " flags, expected " << wantFlags.size();
  for (size_t k = 0; k < flags.size(); ++k)
    if (flags[k] != wantFlags[k])
      return ::testing::AssertionFailure() << "occurring(from " << from << ", end " << end << "): needle " << k
                                           << " flagged " << int(flags[k]) << ", expected " << int(wantFlags[k]);
  return ::testing::AssertionSuccess();
}

// Bytes around the case boundaries, digits, line breaks, and high bytes whose low seven bits are
// letters (0xC1 = 'A' | 0x80 and so on), which must never count as those letters.
const char kWideBytes[] = {'@', 'A', 'B', 'C', 'I', 'Z', '[', '`', 'a', 'b', 'c', 'i', 'z', '{', '0', '9', '_',
                           '\n', '\r', ' ', '\x7F', '\0', '\xC1', '\xC3', '\xC9', '\xDA', '\xE1', '\xE3',
                           '\xE9', '\xFA', '\x80', '\xFF'};
const char kWideNeedleChars[] = {'@', 'A', 'B', 'C', 'I', 'Z', '[', '`', 'a', 'b', 'c',
                                 'i', 'z', '{', '0', '9', '_', '\n', '\r'};
// Few distinct bytes, so short needles also turn up by chance.
const char kNarrowBytes[] = {'a', 'b', 'A', 'B', '_', '@', '`', '\xE1', '\xC1', '\xE2'};
const char kNarrowNeedleChars[] = {'a', 'b', 'A', 'B', '_'};

struct Generator {
  std::mt19937 rng;
  explicit Generator(unsigned seed) : rng(seed) {}

  size_t pick(size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng); }
  bool oneIn(size_t n) { return pick(1, n) == 1; }
  template <size_t N>
  char from(const char (&chars)[N]) {
    return chars[pick(0, N - 1)];
  }

  // The first needle is exactly `shortest` long; about a third share a head with an earlier
  // one, so keys, hash lists and the first eight bytes collide while the tails differ.
  TextList needles(size_t count, size_t shortest, bool narrow) {
    TextList out;
    for (size_t i = 0; i < count; ++i) {
      size_t length = i == 0 ? shortest : pick(shortest, std::max<size_t>(shortest, 20));
      Text t;
      if (i > 0 && oneIn(3)) {
        const Text& other = out[pick(0, i - 1)];
        t = other.substr(0, std::min(other.size(), pick(0, length)));
      }
      while (t.size() < length)
        t.push_back(static_cast<char16_t>(narrow ? from(kNarrowNeedleChars) : from(kWideNeedleChars)));
      out.push_back(std::move(t));
    }
    return out;
  }

  // Copies of needles at the very start, the very end and elsewhere; some in changed letter case,
  // some spoiled by one byte (its high bit or its 0x20 bit flipped).
  void plant(std::string& hay, const TextList& needles, size_t copies) {
    for (size_t c = 0; c < copies && !needles.empty(); ++c) {
      std::string n = bytesOf(needles[pick(0, needles.size() - 1)]);
      if (n.size() > hay.size()) continue;
      size_t where = pick(0, 2);
      size_t at = where == 0 ? 0 : where == 1 ? hay.size() - n.size() : pick(0, hay.size() - n.size());
      bool recase = oneIn(2);
      for (char& b : n)
        if (recase && std::isalpha(static_cast<unsigned char>(b)) && oneIn(2)) b = static_cast<char>(b ^ 0x20);
      if (oneIn(4)) {
        size_t j = pick(0, n.size() - 1);
        n[j] = static_cast<char>(n[j] ^ (oneIn(2) ? 0x80 : 0x20));
      }
      hay.replace(at, n.size(), n);
    }
  }

  std::string haystack(size_t length, bool narrow) {
    std::string hay;
    for (size_t i = 0; i < length; ++i) hay.push_back(narrow ? from(kNarrowBytes) : from(kWideBytes));
    return hay;
  }
};

TEST(ByteNeedles, AgreesWithAPlainSearchForEveryNeedleCountAndLength) {
  Generator gen(20240611);
  // Up to 24 needles of two bytes or more go through the nibble filter; more go through the
  // hashed scan, looking at every second, third or fourth position once all have five bytes or
  // more; sets with a one-byte needle go through the position-by-position check.
  const size_t counts[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 16, 24, 25, 40, 100, 200};
  const size_t shortests[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 13};
  ByteNeedles search;  // rebuilt every round, as a search run does
  for (size_t count : counts) {
    for (size_t shortest : shortests) {
      for (bool ignoreCase : {false, true}) {
        for (int round = 0; round < 6; ++round) {
          bool narrow = gen.oneIn(3);
          TextList needles = gen.needles(count, shortest, narrow);
          ASSERT_TRUE(search.build(needles, ignoreCase));
          for (int h = 0; h < 4; ++h) {
            size_t band = gen.pick(0, 2);
            size_t length = band == 0 ? gen.pick(0, 16) : band == 1 ? gen.pick(17, 80) : gen.pick(81, 320);
            std::string bytes = gen.haystack(length, narrow);
            gen.plant(bytes, needles, gen.pick(0, 4));
            Haystack hay(bytes);
            Reference ref(bytes, needles, ignoreCase);
            size_t n = bytes.size();
            ASSERT_TRUE(agrees(search, hay, ref, 0, n, n)) << describe(bytes, needles, ignoreCase);
            for (int q = 0; q < 4; ++q) {
              // The last query also moves the end in: a needle running past it is not there.
              size_t end = q == 3 ? gen.pick(0, n) : n;
              size_t from = gen.pick(0, end);
              size_t startLimit = gen.pick(from, end);
              ASSERT_TRUE(agrees(search, hay, ref, from, startLimit, end)) << describe(bytes, needles, ignoreCase);
            }
          }
        }
      }
    }
  }
}

TEST(ByteNeedles, HaystacksShorterThanTheScanStridesAtEveryStartAndLimit) {
  Generator gen(77);
  const size_t counts[] = {1, 2, 3, 30};
  const size_t shortests[] = {1, 2, 3, 4, 5, 6, 7, 9};
  ByteNeedles search;
  for (size_t count : counts) {
    for (size_t shortest : shortests) {
      for (bool ignoreCase : {false, true}) {
        for (int round = 0; round < 4; ++round) {
          TextList needles = gen.needles(count, shortest, true);
          ASSERT_TRUE(search.build(needles, ignoreCase));
          for (size_t length = 0; length <= 20; ++length) {
            std::string bytes = gen.haystack(length, true);
            gen.plant(bytes, needles, 2);
            Haystack hay(bytes);
            Reference ref(bytes, needles, ignoreCase);
            for (size_t from = 0; from <= length; ++from)
              for (size_t end = from; end <= length; ++end)
                for (size_t startLimit = from; startLimit <= end; ++startLimit)
                  ASSERT_TRUE(agrees(search, hay, ref, from, startLimit, end, startLimit == end))
                      << describe(bytes, needles, ignoreCase);
          }
        }
      }
    }
  }
}

// The target and count - 1 others of fillerLength bytes that never occur in the haystacks below.
TextList withFillers(const Text& target, size_t count, size_t fillerLength) {
  TextList out{target};
  const char16_t fill[] = {u'#', u'%', u'&', u'~'};
  for (size_t i = 1; i < count; ++i) {
    Text t;
    for (size_t k = 0, v = i; k < fillerLength; ++k, v /= 4) t.push_back(fill[v % 4]);
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(i % out.size()), t);  // target not always first
  }
  return out;
}

TEST(ByteNeedles, ANeedleMayRunPastTheStartLimitButNotStartAtIt) {
  Generator gen(5);
  // Padding that matches no letter in either mode: neighbours of the letters and their high-bit twins.
  const char padding[] = {'@', '[', '`', '{', '\xC1', '\xDA', '\xE1', '\xFA', '.'};
  for (size_t count : {1, 2, 5, 30, 200}) {
    for (size_t targetLength = 1; targetLength <= 20; ++targetLength) {
      for (bool ignoreCase : {false, true}) {
        Text target;
        for (size_t k = 0; k < targetLength; ++k)
          target.push_back(static_cast<char16_t>("aAzZbB"[gen.pick(0, 5)]));
        size_t fillerLength = gen.pick(1, 20);
        TextList needles = withFillers(target, count, fillerLength);
        ByteNeedles search;
        ASSERT_TRUE(search.build(needles, ignoreCase));
        for (size_t start : {0, 1, 7, 8, 15, 16, 17, 40}) {
          for (size_t tail : {0, 1, 5, 20}) {
            std::string bytes;
            for (size_t i = 0; i < start + targetLength + tail; ++i) bytes.push_back(gen.from(padding));
            std::string planted = bytesOf(target);
            if (ignoreCase)
              for (char& b : planted) b = static_cast<char>(b ^ 0x20);
            bytes.replace(start, planted.size(), planted);
            Haystack hay(bytes);
            Reference ref(bytes, needles, ignoreCase);
            size_t n = bytes.size();
            for (size_t from : {size_t{0}, start}) {
              for (size_t startLimit = from; startLimit <= n; ++startLimit) {
                ASSERT_TRUE(agrees(search, hay, ref, from, startLimit, n, startLimit == n))
                    << describe(bytes, needles, ignoreCase);
                // Spelled out: found exactly when the limit lies past the target's start.
                const char* hit = search.find(hay.at(from), hay.at(startLimit), hay.at(n));
                ASSERT_EQ(hit, startLimit > start ? hay.at(start) : hay.at(startLimit))
                    << "startLimit " << startLimit << describe(bytes, needles, ignoreCase);
              }
            }
          }
        }
      }
    }
  }
}

TEST(ByteNeedles, OnlyTheLettersAToZChangeCaseAndHighBytesAreNoLetters) {
  struct Case {
    const char16_t* needle;
    const char* text;
    bool ignoreCase;
    bool found;
  };
  const Case cases[] = {
      {u"az", "AZ", true, true},        {u"AZ", "az", true, true},       {u"aZ", "Az", false, false},
      {u"az", "\xE1\xFA", true, false}, {u"AZ", "\xC1\xDA", true, false}, {u"az", "\xC1\xDA", true, false},
      {u"AZ", "\xE1\xFA", false, false}, {u"`{", "@[", true, false},     {u"@[", "`{", true, false},
      {u"_", "\x7F", true, false},      {u"@a", "`A", true, false},      {u"\r", "\x0D", true, true},
      {u"0a", "\x10" "A", true, false}, {u"ci", "\xC3\xC9", true, false}, {u"ci", "\xE3\xE9", true, false},
      {u"zebra_", "ZeBRA_", true, true},  {u"zebra_", "ZeBRA_", false, false},
      {u"zebra_", "\xFA\xE5\xE2\xF2\xE1_", true, false}, {u"ZEBRA_", "zebra\x7F", true, false},
      {u"[abc]x", "{ABC}X", true, false}, {u"`abc{x", "@ABC[X", true, false},
  };
  // Each needle alone, among two (the nibble filter) and among thirty (the hashed scan, which
  // skips positions for the longer ones), and beside a one-byte needle (the position-by-position
  // check), at offsets across the strides.
  for (const Case& c : cases) {
    size_t length = std::char_traits<char16_t>::length(c.needle);
    for (size_t count : {1, 2, 30}) {
      for (size_t fillerLength : {length, size_t{1}, size_t{12}}) {
        TextList needles = withFillers(c.needle, count, fillerLength);
        ByteNeedles search;
        ASSERT_TRUE(search.build(needles, c.ignoreCase));
        for (size_t at : {0, 1, 7, 8, 9, 15, 16, 20, 38}) {
          for (size_t tail : {0, 3, 20}) {  // no tail: the text ends exactly at the end
            std::string bytes(at, '.');
            bytes.append(c.text, length);
            bytes.append(tail, '.');
            Haystack hay(bytes);
            const char* hit = search.find(hay.at(0), hay.at(bytes.size()), hay.at(bytes.size()));
            EXPECT_EQ(hit != hay.at(bytes.size()), c.found)
                << show(bytesOf(c.needle)) << " in " << show(bytes) << " ignoreCase " << c.ignoreCase << " with "
                << count << " needles";
            std::vector<uint8_t> flags;
            search.occurring(hay.at(0), hay.at(bytes.size()), flags);
            auto index =
                static_cast<size_t>(std::find(needles.begin(), needles.end(), Text(c.needle)) - needles.begin());
            EXPECT_EQ(flags.at(index) != 0, c.found) << show(bytesOf(c.needle)) << " in " << show(bytes);
          }
        }
      }
    }
  }
}

TEST(ByteNeedles, OccurringFlagsFollowTheListWithDuplicatesAndEmptyNeedles) {
  Generator gen(99);
  ByteNeedles search;
  for (size_t count : {1, 2, 3, 5, 10, 24, 25, 60, 200}) {
    for (bool ignoreCase : {false, true}) {
      for (int round = 0; round < 40; ++round) {
        TextList base = gen.needles(count, gen.pick(1, 6), gen.oneIn(2));
        TextList needles;
        for (const Text& n : base) {
          if (gen.oneIn(6)) needles.push_back(Text());
          needles.push_back(n);
          if (!needles.empty() && gen.oneIn(5)) {
            Text twin = needles[gen.pick(0, needles.size() - 1)];
            if (gen.oneIn(2))
              for (char16_t& ch : twin)
                if ((ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z')) ch ^= 0x20;
            needles.push_back(twin);
          }
        }
        if (gen.oneIn(4)) needles.push_back(Text());
        std::string bytes = gen.haystack(gen.pick(0, 200), gen.oneIn(2));
        gen.plant(bytes, base, gen.pick(0, 6));
        Haystack hay(bytes);
        Reference ref(bytes, needles, ignoreCase);
        ASSERT_TRUE(search.build(needles, ignoreCase));
        size_t n = bytes.size();
        for (int q = 0; q < 4; ++q) {
          size_t end = q == 0 ? n : gen.pick(0, n);
          size_t from = q == 0 ? 0 : gen.pick(0, end);
          ASSERT_TRUE(agrees(search, hay, ref, from, end, end)) << describe(bytes, needles, ignoreCase);
        }
      }
    }
  }
  // Nothing but empty needles: nothing occurs, and every flag is still there.
  ByteNeedles none;
  ASSERT_TRUE(none.build({Text(), Text(), Text()}, true));
  EXPECT_TRUE(none.empty());
  Haystack hay("abc");
  EXPECT_EQ(none.find(hay.at(0), hay.at(3), hay.at(3)), hay.at(3));
  std::vector<uint8_t> flags{1};
  none.occurring(hay.at(0), hay.at(3), flags);
  EXPECT_EQ(flags, std::vector<uint8_t>(3, 0));
}

TEST(ByteNeedles, ARebuiltSetForgetsTheNeedlesAndCaseModeBefore) {
  Generator gen(31);
  ByteNeedles search;  // one object throughout, as a search run reuses it
  const size_t counts[] = {200, 1, 3, 30, 2, 1, 100, 5, 1, 24, 25};
  for (int round = 0; round < 60; ++round) {
    size_t count = counts[round % std::size(counts)];
    bool ignoreCase = gen.oneIn(2);
    TextList needles = gen.needles(count, gen.pick(1, 9), gen.oneIn(2));
    std::string bytes = gen.haystack(gen.pick(0, 150), gen.oneIn(2));
    gen.plant(bytes, needles, gen.pick(0, 3));
    Haystack hay(bytes);
    Reference ref(bytes, needles, ignoreCase);
    ASSERT_TRUE(search.build(needles, ignoreCase));
    EXPECT_FALSE(search.empty());
    ASSERT_TRUE(agrees(search, hay, ref, 0, bytes.size(), bytes.size()))
        << "round " << round << describe(bytes, needles, ignoreCase);
  }
}

TEST(ByteNeedles, NeedlesBeyondAsciiAreRefused) {
  ByteNeedles search;
  EXPECT_FALSE(search.build({u"ab", u"c\u00e9"}, false));
  EXPECT_FALSE(search.build({u"\u0080"}, true));
  EXPECT_FALSE(search.build({Text(), u"x\u00ff", u"yy"}, false));
  EXPECT_FALSE(search.build({u"\u20ac"}, false));
  EXPECT_TRUE(search.build({u"\u007f", u"a"}, true));  // DEL is still ASCII
  Haystack hay("x\x7F");
  EXPECT_EQ(search.find(hay.at(0), hay.at(2), hay.at(2)), hay.at(1));
}

}  // namespace
