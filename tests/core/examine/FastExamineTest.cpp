#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "lib/TextDecoding.h"
#include "match/ByteSearch.h"
#include "match/Patterns.h"
#include "examine/FileExamination.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

// Content with mixed case, word and non-word characters, CR/LF mixes, repeats and overlaps,
// multi-byte UTF-8, Windows-1252 bytes, control characters, marks, UTF-16.
std::string randomContent(std::mt19937& rng, int flavour) {
  static const char* pieces[] = {"ab", "AB", "aB", "abab", "a", "b", "_", "9", " ", "  ", "\t", "x", "ab_", "(ab)",
                                 "ba a a", "mutex", "MuTeX", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "caf",
                                 "\x01", "-", ".", "\xC2\x85", "\xC3\xA9t\xC3\xA9"};
  static const char* breaks[] = {"\n", "\r\n", "\r", "\n\r", "\r\r\n"};
  std::uniform_int_distribution<int> piece(0, 25), lineLength(0, 12), lineCount(0, 30), brk(0, 4), coin(0, 9);
  std::string out;
  if (flavour == 1) out = "\xEF\xBB\xBF";
  int lines = lineCount(rng);
  for (int i = 0; i < lines; ++i) {
    int n = lineLength(rng);
    for (int j = 0; j < n; ++j) out += pieces[piece(rng)];
    if (flavour == 2 && coin(rng) == 0) out += "\xE9\x81";  // not UTF-8: the file reads as Windows-1252
    if (i + 1 < lines || coin(rng) < 5) out += breaks[brk(rng)];
  }
  if (flavour >= 3) {
    // UTF-16 with its mark: little-endian, or big-endian.
    Text text = fromUtf8(out);
    out = flavour == 3 ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t c : text) {
      char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
      out += flavour == 3 ? std::string{low, high} : std::string{high, low};
    }
  }
  return out;
}

Text randomNeedle(std::mt19937& rng) {
  static const char16_t* needles[] = {u"ab", u"AB", u"a", u"b a", u"ab ", u" ab", u"mutex", u"MUTEX", u"x_",
                                      u"caf\u00e9", u"\u00e9", u"ba", u"aba", u"(", u"_", u"9", u"a a"};
  std::uniform_int_distribution<int> pick(0, 16);
  return needles[pick(rng)];
}

struct Compared {
  int checked = 0;
};

void expectSame(const FileOutcome& a, const FileOutcome& b, const std::string& what) {
  ASSERT_EQ(a.skipped, b.skipped) << what;
  ASSERT_EQ(a.skipReason, b.skipReason) << what;
  ASSERT_EQ(a.pathMatch, b.pathMatch) << what;
  ASSERT_EQ(a.textTest.isText, b.textTest.isText) << what;
  // The quick test stops counting once a file is sure not to be text.
  if (a.textTest.isText) {
    ASSERT_EQ(a.textTest.textBytes, b.textTest.textBytes) << what;
    ASSERT_EQ(a.textTest.otherBytes, b.textTest.otherBytes) << what;
  }
  ASSERT_EQ(a.textTest.errorText, b.textTest.errorText) << what;
  ASSERT_EQ(a.load.loaded, b.load.loaded) << what;
  ASSERT_EQ(a.matchesInFile, b.matchesInFile) << what;
  ASSERT_EQ(a.linesExamined, b.linesExamined) << what;
  ASSERT_EQ(a.lines.size(), b.lines.size()) << what;
  for (size_t i = 0; i < a.lines.size(); ++i) {
    ASSERT_EQ(a.lines[i].lineNumber, b.lines[i].lineNumber) << what << " row " << i;
    ASSERT_EQ(a.lines[i].position, b.lines[i].position) << what << " row " << i;
    ASSERT_EQ(a.text(a.lines[i]), b.text(b.lines[i])) << what << " row " << i;
  }
}

TEST(FastExamination, GivesTheOutcomeOfTheStraightforwardRoutinesOnGeneratedFiles) {
  TempDir dir;
  std::mt19937 rng(2024);
  FakeClock clock;
  ExamineBuffers buffers;
  TextList lines;
  std::uniform_int_distribution<int> flavour(0, 4), coin(0, 1), many(1, 5), mode(0, 3);
  int multiByteRowsCompared = 0;  // rounds whose rows came from a file with non-ASCII text
  int largeRowsCompared = 0;      // of them, files mapped
  for (int round = 0; round < 600; ++round) {
    int f = flavour(rng);
    std::string content = randomContent(rng, f);
    // Every fourth file without a mark is made large enough to be mapped and searched in small
    // pieces: plain lines first, so it stays text, then its content again and again.
    bool large = round % 4 == 3 && (f == 0 || f == 2) && !content.empty();
    if (large) {
      std::string lines;
      for (int i = 0; i < 100; ++i) lines += "plain filler\n";
      while (lines.size() < 140000) lines += content;
      content = lines;
    }
    buffers.mapFrom = large ? 130000 : SIZE_MAX;
    buffers.mapPiece = 4096;
    std::string path = dir.write("f" + std::to_string(round % 17) + ".txt", content);
    LineMatcher matcher;
    matcher.ignoreCase = coin(rng);
    matcher.wholeWords = coin(rng);
    int m = mode(rng);
    if (m == 0) {
      matcher.searchString = randomNeedle(rng);
    } else if (m == 1) {
      matcher.multiple = true;
      int n = many(rng);
      for (int i = 0; i < n; ++i) matcher.findStrings.push_back(i == 2 ? Text() : randomNeedle(rng));
    } else {
      matcher.google = true;
      int n = many(rng) + 1;
      for (int i = 0; i < n; ++i) matcher.googleWords.push_back(randomNeedle(rng));
      matcher.requiredWords = n;
    }
    matcher.prepare();
    ExamineOptions options;
    options.ignoreCase = matcher.ignoreCase;
    options.noMatchLines = m == 3;
    options.asciiTextTest = round % 5 == 0;
    if (m == 3) matcher.searchString = randomNeedle(rng), matcher.prepare();
    FileOutcome fast = xcExamineFile(pathToText(path), options, matcher, clock, buffers);
    FileOutcome reference = examineFileReference(pathToText(path), options, matcher, clock, lines);
    expectSame(fast, reference, "round " + std::to_string(round));
    if (::testing::Test::HasFatalFailure()) return;
    bool multiByte = std::any_of(content.begin(), content.end(), [](char c) { return c & 0x80; });
    if (multiByte && !fast.lines.empty()) ++multiByteRowsCompared;
    if (multiByte && large && !fast.lines.empty()) ++largeRowsCompared;
  }
  // Repeated, a short file's few control characters often make the large one not text.
  EXPECT_GT(multiByteRowsCompared, 60);
  EXPECT_GT(largeRowsCompared, 15);
}

// Fault: the listing's path opened files without a size and read procfs files (size 0) as text.
TEST(FastExamination, RegressionFilesWhoseSizeReadsAsZeroAreNotTextOnEitherPath) {
  FakeClock clock;
  ExamineBuffers buffers;
  TextList lines;
  LineMatcher matcher;
  matcher.searchString = u"e";
  matcher.prepare();
  for (bool entriesAreFiles : {false, true}) {
    ExamineOptions options;
    options.entriesAreFiles = entriesAreFiles;
    const Text path = u"/proc/self/status";  // reads many bytes, reports size 0
    FileOutcome fast = xcExamineFile(path, options, matcher, clock, buffers);
    EXPECT_FALSE(fast.textTest.isText) << entriesAreFiles;
    EXPECT_FALSE(fast.loadAttempted) << entriesAreFiles;
    EXPECT_TRUE(fast.lines.empty()) << entriesAreFiles;
    expectSame(fast, examineFileReference(path, options, matcher, clock, lines), "procfs");
  }
}

TEST(FastExamination, LongFilesAcrossManyReadPiecesAndSearchStretches) {
  TempDir dir;
  std::string content;
  for (int i = 0; i < 400000; ++i) content += (i % 9973 == 0 ? "a Mutex here\r\n" : "nothing to see on this line\n");
  content += "last mutex";  // no final break
  std::string path = dir.write("big.txt", content);
  FakeClock clock;
  ExamineBuffers buffers;
  TextList lines;
  LineMatcher matcher;
  matcher.searchString = u"mutex";
  matcher.prepare();
  ExamineOptions options;
  FileOutcome fast = xcExamineFile(pathToText(path), options, matcher, clock, buffers);
  FileOutcome reference = examineFileReference(pathToText(path), options, matcher, clock, lines);
  expectSame(fast, reference, "big");
  EXPECT_EQ(fast.linesExamined, 400001);
  EXPECT_EQ(fast.lines.back().lineNumber, 400001);
}

// Files read in several pieces: lines cut at piece ends, CR LF split between pieces, and an
// invalid byte late in the file that makes every earlier non-ASCII line read as Windows-1252.
TEST(FastExamination, PiecesOfALargeFileGiveTheOutcomeOfReadingItWhole) {
  TempDir dir;
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> word(0, 7), length(0, 14), brk(0, 2);
  static const char* words[] = {"mutex", "caf\xC3\xA9", "ab", "x", "Mutex", "\xE2\x82\xAC", " ", "lock"};
  static const char* breaks[] = {"\n", "\r\n", "\r"};
  FakeClock clock;
  ExamineBuffers buffers;
  TextList lines;
  for (int variant = 0; variant < 4; ++variant) {
    // The first 1000 bytes plain ASCII, so the file passes the text test.
    std::string content(1200, 'a');
    content += "\n";
    while (content.size() < (3u << 19)) {
      int n = length(rng);
      for (int i = 0; i < n; ++i) content += words[word(rng)];
      if (variant == 1 && content.size() > (1u << 20) && content.find('\xFF') == std::string::npos) content += "\xFF";
      content += variant == 2 ? "\r" : breaks[brk(rng)];
    }
    if (variant == 3) content = "\xEF\xBB\xBF" + content;
    std::string path = dir.write("piece" + std::to_string(variant) + ".txt", content);
    for (int mode = 0; mode < 10; ++mode) {
      // Mapped and searched in pieces, then read piece by piece; strings beyond ASCII last.
      buffers.mapFrom = mode % 5 < 3 ? 256 * 1024 : SIZE_MAX;
      buffers.mapPiece = 100 * 1024;
      LineMatcher matcher;
      matcher.ignoreCase = mode % 3 != 1;
      matcher.wholeWords = mode % 3 == 1;
      if (mode < 5) {
        matcher.multiple = mode % 3 == 2;
        matcher.findStrings = {u"lock", u"ab", u"mutex"};
        matcher.searchString = u"mutex";
      } else {
        // In Windows-1252 the euro's UTF-8 bytes read as "\u00E2\u201A\u00AC"; CJK never occurs.
        matcher.multiple = mode % 3 != 1;
        matcher.findStrings = {u"\u4E2D", u"\u20AC", u"caf\u00E9", u"\u00E2\u201A\u00AC"};
        matcher.searchString = variant == 1 ? u"caf\u00C3\u00A9" : matcher.ignoreCase ? u"CAF\u00E9" : u"caf\u00E9";
      }
      matcher.prepare();
      FileOutcome fast = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers);
      FileOutcome reference = examineFileReference(pathToText(path), ExamineOptions(), matcher, clock, lines);
      ASSERT_GT(reference.lines.size(), 1000u) << "mode " << mode;
      expectSame(fast, reference, "variant " + std::to_string(variant) + " mode " + std::to_string(mode));
    }
  }
}

// Fault: after a stretch of 64 ASCII bytes that ended the text, the UTF-8 test read the byte
// after it; a read buffer's stale bytes then made a valid file read as Windows-1252.
TEST(FastExamination, RegressionTheUtf8TestLooksAtItsBytesOnly) {
  for (size_t ascii : {0, 7, 8, 63, 64, 65, 128, 192, 200}) {
    for (std::string tail : {"", "\xC3\xA9", "\xC3\xA9\xFF"}) {
      std::string text = std::string(ascii, 'a') + tail;
      std::string buffer = text + "\xFF\xC3";
      bool valid = tail.find('\xFF') == std::string::npos;
      EXPECT_EQ(validUtf8(buffer.data(), text.size()), valid) << ascii << " ASCII bytes, tail " << tail.size();
    }
  }
}

// A clock that cuts the file down to its first bytes the second time it is read, once the
// large file is mapped: the pages past the new end are no longer there.
class TruncatingClock : public Clock {
public:
  explicit TruncatingClock(std::string path) : path_(std::move(path)) {}
  DateTimeValue now() const override {
    if (++reads_ == 2) {
      EXPECT_EQ(::truncate(path_.c_str(), 100000), 0);
    }
    return 45000;
  }

private:
  std::string path_;
  mutable int reads_ = 0;
};

TEST(FastExamination, AMappedFileThatGetsShorterGivesItsLinesSoFarAndSaysSo) {
  TempDir dir;
  std::string content;
  while (content.size() < (8u << 20)) content += "a mutex on this line\n";
  std::string path = dir.write("shrinking.txt", content);
  TruncatingClock clock(path);
  ExamineBuffers buffers;
  LineMatcher matcher;
  matcher.searchString = u"mutex";
  matcher.prepare();
  FileOutcome out = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers);
  EXPECT_TRUE(out.shrank);
  EXPECT_TRUE(out.load.loaded);
  // Every line before the cut is found, the one it cuts as far as it goes; none after it.
  ASSERT_EQ(out.lines.size(), 100000u / 21 + 1);
  EXPECT_EQ(out.textBytes(out.lines.back()), content.substr(100000 / 21 * 21, 100000 % 21));
}

TEST(FastExamination, ALargeFileHandedOverInPartsGivesTheLinesOfOneOutcome) {
  TempDir dir;
  std::string content;
  for (int i = 0; content.size() < (3u << 20); ++i)
    content += i % 3 ? "nothing here\n" : i % 7 ? "a mutex line\r\n" : "caf\xC3\xA9 mutex \xE2\x82\xAC\n";
  std::string path = dir.write("large.txt", content);
  FakeClock clock;
  LineMatcher matcher;
  matcher.searchString = u"mutex";
  matcher.prepare();
  for (bool mapped : {true, false}) {
    ExamineBuffers whole;
    whole.mapFrom = mapped ? 256 * 1024 : SIZE_MAX;
    whole.mapPiece = 256 * 1024;
    FileOutcome expected = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, whole);
    ExamineBuffers buffers;
    buffers.mapFrom = whole.mapFrom;
    buffers.mapPiece = whole.mapPiece;
    std::vector<std::tuple<int32_t, int32_t, Text>> lines;
    int parts = 0, matches = 0;
    auto collect = [&](const FileOutcome& o) {
      for (const auto& l : o.lines) lines.emplace_back(l.lineNumber, l.position, o.text(l));
      matches += o.matchesInFile;
    };
    buffers.handOver = [&](std::unique_ptr<FileOutcome> part) {
      EXPECT_TRUE(part->isPart);
      ++parts;
      collect(*part);
      return true;
    };
    FileOutcome last = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers);
    EXPECT_FALSE(last.isPart);
    collect(last);
    std::vector<std::tuple<int32_t, int32_t, Text>> wanted;
    for (const auto& l : expected.lines) wanted.emplace_back(l.lineNumber, l.position, expected.text(l));
    // Read piece by piece, the non-ASCII lines wait for the file's encoding: no part then.
    EXPECT_EQ(parts > 1, mapped);
    EXPECT_EQ(lines, wanted);
    EXPECT_EQ(matches, expected.matchesInFile);
    EXPECT_EQ(last.linesExamined, expected.linesExamined);
  }
}

// Every look at the clock costs 0.6 s.
class SlowClock : public Clock {
public:
  DateTimeValue now() const override { return value += 0.6 * kOneSecond; }
  mutable DateTimeValue value = 45000;
};

TEST(FastExamination, AHugeFileStopsBeingReadWhenItsTwoSecondsAreUp) {
  TempDir dir;
  std::string line(99, 'x');
  line += '\n';
  std::string content;
  content.reserve(40u << 20);
  while (content.size() < (40u << 20)) content += line;
  content += "mutex at the end\n";
  std::string path = dir.write("huge.txt", content);
  SlowClock clock;
  ExamineBuffers buffers;
  LineMatcher matcher;
  matcher.searchString = u"mutex";
  matcher.prepare();
  FileOutcome out = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers);
  EXPECT_TRUE(out.load.loaded);
  EXPECT_TRUE(out.load.cutShort);
  EXPECT_TRUE(out.tooSlow);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_LT(out.linesExamined, static_cast<int64_t>(content.size() / 100));
}

TEST(ByteSearch, FindsEachNeedleWhereAPlainSearchDoes) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 5), len(0, 80), count(1, 4);
  const char alphabet[] = {'a', 'A', 'b', 'B', '\n', '_'};
  for (int round = 0; round < 6000; ++round) {
    // The second half uses only needles of three bytes or more (the filtered search).
    int shortest = round < 3000 ? 1 : 3;
    std::string hay;
    int n = len(rng);
    for (int i = 0; i < n; ++i) hay.push_back(alphabet[byte(rng)]);
    TextList needles;
    int k = count(rng);
    for (int i = 0; i < k; ++i) {
      Text needle;
      int l = shortest + len(rng) % 4;
      for (int j = 0; j < l; ++j) needle.push_back(static_cast<char16_t>(alphabet[byte(rng) % 4]));
      needles.push_back(needle);
    }
    bool ignoreCase = round % 2;
    ByteNeedles search;
    ASSERT_TRUE(search.build(needles, ignoreCase));
    // The expected earliest start, by brute force.
    size_t expected = hay.size();
    for (const auto& needle : needles) {
      std::string nb;
      for (char16_t c : needle) nb.push_back(static_cast<char>(c));
      for (size_t i = 0; i + nb.size() <= hay.size(); ++i) {
        bool same = true;
        for (size_t j = 0; j < nb.size() && same; ++j) {
          char a = hay[i + j], b = nb[j];
          same = ignoreCase ? std::tolower(a) == std::tolower(b) : a == b;
        }
        if (same) {
          expected = std::min(expected, i);
          break;
        }
      }
    }
    const char* begin = hay.data();
    const char* hit = search.find(begin, begin + hay.size(), begin + hay.size());
    ASSERT_EQ(static_cast<size_t>(hit - begin), expected) << hay;
  }
  ByteNeedles nonAscii;
  EXPECT_FALSE(nonAscii.build({u"caf\u00e9"}, true));
}

}  // namespace

// The 32-byte test judges a sequence with the bytes before it, which may sit in the block
// before: every sequence at every place around the block edges, and at the very end.
TEST(FastExamination, Utf8TestAtEveryPlaceOfABlock) {
  const std::pair<std::string, bool> sequences[] = {
      {"\xC3\xA9", true},          {"\xE2\x82\xAC", true},      {"\xF0\x9F\x98\x80", true},
      {"\xF4\x8F\xBF\xBF", true},  {"\xED\x9F\xBF", true},      {"\xEE\x80\x80", true},
      {"\xC2\x80\xDF\xBF", true},  {"\xC0\x80", false},         {"\xC1\xBF", false},
      {"\xE0\x9F\x80", false},     {"\xED\xA0\x80", false},     {"\xF0\x8F\xBF\xBF", false},
      {"\xF4\x90\x80\x80", false}, {"\xF5\x80\x80\x80", false}, {"\x80", false},
      {"\xFF", false},             {"\xE2\x82", false},         {"\xF0\x9F\x98", false},
      {"\xC3\xA9\xA9", false},     {"\xE2\x82\xAC\x80", false}, {"\xF8\x88\x80\x80\x80", false},
  };
  for (const auto& [sequence, valid] : sequences) {
    for (size_t before : {0, 1, 29, 30, 31, 32, 60, 61, 62, 63, 64, 95, 127}) {
      for (size_t after : {0, 1, 2, 40, 70}) {
        std::string text = std::string(before, 'a') + sequence + std::string(after, 'b');
        std::string buffer = text + "\x80\x80";  // a continuation past the end must not count
        EXPECT_EQ(validUtf8(buffer.data(), text.size()), valid)
            << "sequence of " << sequence.size() << " bytes after " << before << ", " << after << " after";
      }
    }
  }
}

// A mapped file is checked for UTF-8 a piece at a time; non-ASCII lines found before the piece
// with an invalid byte must still turn Windows-1252, whether few wait or enough to have the rest
// checked at once, and whether the file has parts handed over or not. Lines longer than a piece
// make a piece of their own.
TEST(FastExamination, MappedPiecesCheckedOneByOneGiveTheWholeFileEncoding) {
  TempDir dir;
  FakeClock clock;
  TextList lines;
  LineMatcher matcher;
  matcher.searchString = u"mutex";
  matcher.prepare();
  for (int matchEvery : {5000, 2}) {
    for (size_t invalidAt : {size_t{0}, size_t{1000}, size_t{300000}, size_t{590000}}) {
      std::string content(1100, 'a');
      content += "\n";
      for (int i = 0; content.size() < 600000; ++i)
        content += i % matchEvery == 0 ? "caf\xC3\xA9 mutex\n" : "plain line here\n";
      if (invalidAt) content.insert(content.find('\n', invalidAt) + 1, "bad \x80 byte\n");
      // A line longer than two pieces, ending in a CR LF, and one ending in a lone CR.
      content.insert(content.find('\n', 200000) + 1, std::string(150000, 'x') + " mutex\r\n" +
                                                         std::string(70000, 'y') + " caf\xC3\xA9 mutex\r");
      std::string path = dir.write("mapped" + std::to_string(invalidAt) + ".txt", content);
      FileOutcome reference = examineFileReference(pathToText(path), ExamineOptions(), matcher, clock, lines);
      std::vector<std::tuple<int32_t, int32_t, Text>> wanted;
      for (const auto& l : reference.lines) wanted.emplace_back(l.lineNumber, l.position, reference.text(l));
      for (bool parts : {false, true}) {
        ExamineBuffers buffers;
        buffers.mapFrom = 100 * 1024;
        buffers.mapPiece = 64 * 1024;
        std::vector<std::tuple<int32_t, int32_t, Text>> found;
        auto collect = [&](const FileOutcome& o) {
          for (const auto& l : o.lines) found.emplace_back(l.lineNumber, l.position, o.text(l));
        };
        if (parts) buffers.handOver = [&](std::unique_ptr<FileOutcome> part) { return collect(*part), true; };
        collect(xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers));
        EXPECT_EQ(found, wanted) << "every " << matchEvery << ", invalid at " << invalidAt << ", parts " << parts;
      }
    }
  }
}

// Read piece by piece, a file's non-ASCII lines wait for its encoding while it is valid UTF-8 so
// far; the last piece is checked only once a line needs it. The first ill-formed byte in the
// first piece, a middle one, the last one before its matches, or after them all.
TEST(FastExamination, ReadPiecesGiveTheWholeFileEncodingWhereverTheFirstIllFormedByteIs) {
  TempDir dir;
  FakeClock clock;
  TextList lines;
  LineMatcher matcher;
  matcher.searchString = u"mutex";
  matcher.prepare();
  std::string body(1100, 'a');
  body += "\n";
  for (int i = 0; body.size() < 600000; ++i)
    body += i % 50 == 0 ? "caf\xC3\xA9 mutex\n" : i % 3 == 0 ? "a mutex line\n" : "plain line here\n";
  for (size_t invalidAt : {std::string::npos, size_t{1000}, size_t{300000}, size_t{500000}, body.size() - 1}) {
    std::string content = body;
    if (invalidAt != std::string::npos) content.insert(content.find('\n', invalidAt) + 1, "bad \x80 byte\n");
    std::string path = dir.write("read" + std::to_string(invalidAt) + ".txt", content);
    FileOutcome reference = examineFileReference(pathToText(path), ExamineOptions(), matcher, clock, lines);
    std::vector<std::tuple<int32_t, int32_t, Text>> wanted;
    for (const auto& l : reference.lines) wanted.emplace_back(l.lineNumber, l.position, reference.text(l));
    for (bool parts : {false, true}) {
      ExamineBuffers buffers;
      buffers.mapFrom = SIZE_MAX;
      std::vector<std::tuple<int32_t, int32_t, Text>> found;
      auto collect = [&](const FileOutcome& o) {
        for (const auto& l : o.lines) found.emplace_back(l.lineNumber, l.position, o.text(l));
      };
      if (parts) buffers.handOver = [&](std::unique_ptr<FileOutcome> part) { return collect(*part), true; };
      FileOutcome last = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers);
      collect(last);
      EXPECT_EQ(found, wanted) << "invalid at " << invalidAt << ", parts " << parts;
      EXPECT_EQ(last.linesExamined, reference.linesExamined) << "invalid at " << invalidAt;
    }
  }
}

// Regular expressions on bytes (mapped, read in pieces or whole, in each encoding) find what
// matching the decoded lines finds: the same rows, texts and positions.
TEST(FastExamination, PatternsGiveTheOutcomeOfMatchingDecodedLines) {
  static const char16_t* patterns[] = {u"ab+",     u"caf.",  u"^a",        u"b$",        u"\\bab\\b", u"a|\u00e9",
                                       u"[^a]b",   u"x_\\w*", u"^$",       u"\u00e9+t",  u"mutex",    u"(?i)MUTEX",
                                       u"\\pL\\d", u".\u20ac", u"\\S+$",   u"(ab)+_"};
  TempDir dir;
  std::mt19937 rng(7);
  FakeClock clock;
  ExamineBuffers buffers;
  TextList lines;
  std::uniform_int_distribution<int> flavour(0, 4), coin(0, 1), pick(0, 15), many(1, 3);
  int multiByteRows = 0;
  for (int round = 0; round < 400; ++round) {
    int f = flavour(rng);
    std::string content = randomContent(rng, f);
    bool large = round % 3 == 2 && (f == 0 || f == 2) && !content.empty();
    if (large)
      for (std::string repeated = content; content.size() < 140000;) content += repeated;
    buffers.mapFrom = large && coin(rng) ? 130000 : SIZE_MAX;
    buffers.mapPiece = 4096;
    std::string path = dir.write("p" + std::to_string(round % 7) + ".txt", content);
    LineMatcher matcher;
    matcher.ignoreCase = coin(rng);
    matcher.wholeWords = coin(rng);
    TextList chosen;
    for (int i = many(rng); i > 0; --i) chosen.push_back(patterns[pick(rng)]);
    matcher.multiple = chosen.size() > 1;
    matcher.findStrings = chosen;
    Text error;
    matcher.patterns = Patterns::compile(chosen, matcher.ignoreCase, matcher.wholeWords, error);
    ASSERT_TRUE(matcher.patterns) << toUtf8(error);
    matcher.prepare();
    ExamineOptions options;
    FileOutcome fast = xcExamineFile(pathToText(path), options, matcher, clock, buffers);
    FileOutcome reference = examineFileReference(pathToText(path), options, matcher, clock, lines);
    expectSame(fast, reference, "round " + std::to_string(round) + " " + toUtf8(chosen[0]));
    if (::testing::Test::HasFatalFailure()) return;
    if (std::any_of(content.begin(), content.end(), [](char c) { return c & 0x80; })) multiByteRows += !fast.lines.empty();
  }
  EXPECT_GT(multiByteRows, 60);
}

// Patterns that make backtracking engines take exponential time: each line is matched in time
// proportional to its length, and the right lines are found.
TEST(FastExamination, PathologicalPatternsFinishWithTheRightLines) {
  TempDir dir;
  FakeClock clock;
  ExamineBuffers buffers;
  std::string as(100000, 'a');
  std::string path = dir.write("a.txt", as + "\n" + as + "c\n" + as + "b\n" + std::string(60, 'a') + "\n");
  struct Case {
    const char16_t* pattern;
    std::vector<int32_t> lines;
  };
  for (const Case& c : {Case{u"(a+)+$", {1, 4}}, Case{u"(a|aa)*c", {2}}, Case{u"^(?:a?){40}a{40}$", {4}},
                        Case{u"(a*)*b$", {3}}}) {
    LineMatcher matcher;
    Text error;
    matcher.patterns = Patterns::compile({c.pattern}, false, false, error);
    matcher.prepare();
    FileOutcome out = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers);
    std::vector<int32_t> found;
    for (const ReportedLine& line : out.lines) found.push_back(line.lineNumber);
    EXPECT_EQ(found, c.lines) << toUtf8(c.pattern);
    EXPECT_FALSE(out.tooSlow);
  }
}

// Fault: a mapped file with a UTF-8 mark and an ill-formed byte was decoded from its first read
// alone, so strings beyond ASCII and patterns missed everything after it.
TEST(FastExamination, AMappedFileDecodedWholeIsReadWhole) {
  TempDir dir;
  FakeClock clock;
  ExamineBuffers buffers;
  buffers.mapFrom = 100000;
  std::string filler;
  for (int i = 0; i < 5000; ++i) filler += std::string(100, 'x') + "\n";
  std::string path = dir.write("big.txt", "\xEF\xBB\xBFx \xFF bad\n" + filler + "needle \xC3\xA9 here\n");
  for (bool pattern : {false, true}) {
    LineMatcher matcher;
    Text error;
    if (pattern) matcher.patterns = Patterns::compile({u"needle ."}, true, false, error);
    else matcher.searchString = u"\u00e9";
    matcher.prepare();
    FileOutcome out = xcExamineFile(pathToText(path), ExamineOptions(), matcher, clock, buffers);
    ASSERT_EQ(out.lines.size(), 1u) << pattern;
    EXPECT_EQ(out.lines[0].lineNumber, 5002);
    EXPECT_EQ(out.text(out.lines[0]), u"needle \u00e9 here");
  }
}
