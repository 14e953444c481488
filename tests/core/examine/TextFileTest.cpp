#include "examine/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <utility>
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "support/Unprivileged.h"

namespace varko {
namespace {

using namespace std::literals;
using test::TempDir;

Text pathText(const std::string& path) { return pathToText(path); }

// A clock that moves on by a fixed step each time it is read.
class SteppingClock final : public Clock {
public:
  explicit SteppingClock(double stepSeconds) : step_(stepSeconds * kOneSecond) {}
  DateTimeValue now() const override {
    DateTimeValue v = value_;
    value_ += step_;
    return v;
  }
private:
  DateTimeValue step_;
  mutable DateTimeValue value_ = 45356.5;
};

std::string ascii(size_t count) {
  std::string s;
  for (size_t i = 0; i < count; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}

// One load with everything the caller would pass.
struct Load {
  LoadResult result;
  TextList lines{u"from before"};
  int method = 0;
  DateTimeValue deadline = 0;
};
Load load(const std::string& path, const Clock& clock, int method = 0) {
  Load l;
  l.method = method;
  l.result = LoadFileLines(pathToText(path), l.lines, l.method, l.deadline, clock);
  return l;
}
Load load(const std::string& path, int method = 0) { return load(path, FakeClock(), method); }

// ---- text test ----

TEST(TextTest, FiveOtherBytesAreTextSixAreNot) {
  TempDir dir;
  auto five = xcIsTextFileAndLoadable(pathText(dir.write("five", "\x01\x02\x03\x04\x05"s + ascii(995))));
  EXPECT_TRUE(five.isText);
  EXPECT_EQ(five.otherBytes, 5);
  EXPECT_EQ(five.textBytes, 995);
  auto six = xcIsTextFileAndLoadable(pathText(dir.write("six", "\x00\x01\x02\x03\x04\x05"s + ascii(994))));
  EXPECT_FALSE(six.isText);
  EXPECT_EQ(six.otherBytes, 6);
  EXPECT_EQ(six.textBytes, 994);
  EXPECT_EQ(six.errorText, u"");
}

TEST(TextTest, OnlyFirstThousandBytesCount) {
  TempDir dir;
  auto r = xcIsTextFileAndLoadable(pathText(dir.write("f", ascii(1000) + std::string(50, '\x01'))));
  EXPECT_TRUE(r.isText);
  EXPECT_EQ(r.textBytes, 1000);
  EXPECT_EQ(r.otherBytes, 0);
}

TEST(TextTest, FewerTextBytesThanOtherBytesIsNotText) {
  TempDir dir;
  auto r = xcIsTextFileAndLoadable(pathText(dir.write("three", "\0\0a"s)));
  EXPECT_FALSE(r.isText);
  EXPECT_EQ(r.textBytes, 1);
  EXPECT_EQ(r.otherBytes, 2);
  EXPECT_TRUE(xcIsTextFileAndLoadable(pathText(dir.write("one", "a"))).isText);
}

TEST(TextTest, WhichBytesAreTextBytes) {
  TempDir dir;
  auto text = xcIsTextFileAndLoadable(pathText(dir.write("t", "\x7f\t\n\x0c\r \x20")));
  EXPECT_EQ(text.textBytes, 7);
  EXPECT_EQ(text.otherBytes, 0);
  auto other = xcIsTextFileAndLoadable(pathText(dir.write("o", "\x0b\x08\x0e\x1f\x80\xff")));
  EXPECT_EQ(other.textBytes, 0);
  EXPECT_EQ(other.otherBytes, 6);
}

TEST(TextTest, EmptyFileIsNotTextWithoutError) {
  TempDir dir;
  auto r = xcIsTextFileAndLoadable(pathText(dir.write("empty", "")));
  EXPECT_FALSE(r.isText);
  EXPECT_EQ(r.errorText, u"");
}

TEST(TextTest, MissingFileCarriesSystemMessage) {
  TempDir dir;
  auto r = xcIsTextFileAndLoadable(pathText(dir.file("missing")));
  EXPECT_FALSE(r.isText);
  EXPECT_EQ(r.errorText, u"No such file or directory");
}

TEST(TextTest, AUtf8MarkIsLeftOutOfTheLoadedText) {
  TempDir dir;
  std::string u8 = dir.write("u8", "\xEF\xBB\xBF" "a na\xC3\xAFve text");
  EXPECT_TRUE(xcIsTextFileAndLoadable(pathText(u8)).isText);
  auto l = load(u8);
  ASSERT_TRUE(l.result.loaded);
  EXPECT_EQ(l.lines, TextList{u"a na\u00efve text"});
}

// Each file judged by both tests: the one that knows encodings counts characters, the 8-bit
// one bytes.
struct SampleCase {
  const char* name;
  std::string bytes;
  bool text;
  int64_t textCount, otherCount;
  bool asciiText;
};
void PrintTo(const SampleCase& c, std::ostream* os) { *os << c.name; }

std::string repeat(std::string_view piece, size_t times) {
  std::string s;
  for (size_t i = 0; i < times; ++i) s += piece;
  return s;
}
std::string utf16le(std::u16string_view text) {
  std::string s;
  for (char16_t c : text) s += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return s;
}
std::string utf16be(std::u16string_view text) {
  std::string s;
  for (char16_t c : text) s += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  return s;
}

const SampleCase kSamples[] = {
    {"ascii", ascii(1200), true, 1000, 0, true},
    {"utf8_three_accents", "caf\xC3\xA9 na\xC3\xAFve r\xC3\xB4le", true, 15, 0, false},
    {"utf8_600_accent_bytes", repeat("\xC3\xA9", 300) + ascii(500), true, 700, 0, false},
    {"utf8_cut_at_byte_1000", ascii(999) + "\xE2\x82\xAC tail", true, 999, 0, true},
    {"utf8_cut_by_the_end_of_the_file", "abc\xE2\x82", true, 3, 2, true},
    {"utf8_mark_not_counted", "\xEF\xBB\xBF" + repeat("\xC3\xA9", 10), true, 10, 0, false},
    {"utf8_c1_controls_and_ill_formed_bytes", "ab\xC2\x85\xC2\x85\xC0\xAF\xED\xA0\x80", false, 2, 7, false},
    {"windows1252_five_high_bytes", repeat("caf\xE9 ", 5), true, 20, 5, true},
    {"windows1252_six_high_bytes", repeat("caf\xE9 ", 6), false, 24, 6, false},
    {"utf16le_mark", "\xFF\xFE" + utf16le(u"h\u00e9 \U0001F600\r\n"), true, 6, 0, false},
    {"utf16be_mark", "\xFE\xFF" + utf16be(u"h\u00e9llo\tw"), true, 7, 0, false},
    {"utf16le_pair_cut_at_byte_1000", "\xFF\xFE" + utf16le(Text(498, u'a') + u"\U0001F600"), true, 498, 0, false},
    {"utf16le_lone_surrogate_and_nul", "\xFF\xFE" + utf16le(u"ab\xDC00\0"sv), true, 2, 2, false},
    {"utf16le_without_mark", utf16le(u"hello world"), false, 11, 11, false},
    {"binary_with_nul", "\0\0a"s, false, 1, 2, false},
};

class TextSampleTest : public ::testing::TestWithParam<SampleCase> {};

TEST_P(TextSampleTest, CountsCharactersOrWithThe8BitTestBytes) {
  const SampleCase& c = GetParam();
  TempDir dir;
  Text path = pathText(dir.write("f", c.bytes));
  TextTestResult r = xcIsTextFileAndLoadable(path);
  EXPECT_EQ(r.isText, c.text);
  EXPECT_EQ(r.textBytes, c.textCount);
  EXPECT_EQ(r.otherBytes, c.otherCount);
  EXPECT_EQ(xcIsTextFileAndLoadable(path, true).isText, c.asciiText);
  // The run's quick count decides the same; it may stop counting a sample that is not text.
  size_t sampled = std::min(c.bytes.size(), kTextTestBytes);
  bool more = c.bytes.size() > sampled;
  for (bool asciiTest : {false, true}) {
    TextSampleCounts plain = xcCountTextSample(c.bytes.data(), sampled, more, asciiTest);
    TextSampleCounts fast = countTextSampleFast(c.bytes.data(), sampled, more, asciiTest);
    bool text = xcIsTextSample(plain.text, plain.other);
    EXPECT_EQ(xcIsTextSample(fast.text, fast.other), text) << asciiTest;
    if (text) {
      EXPECT_EQ(fast.text, plain.text) << asciiTest;
      EXPECT_EQ(fast.other, plain.other) << asciiTest;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(files, TextSampleTest, ::testing::ValuesIn(kSamples),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextTest, DirectoryIsNotARegularFile) {
  TempDir dir;
  auto r = xcIsTextFileAndLoadable(pathText(dir.mkdir("sub")));
  EXPECT_FALSE(r.isText);
  EXPECT_EQ(r.errorText, u"Not a regular file");
}

TEST(TextTest, PermissionDenied) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  std::string path = dir.write("secret", "text");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  // The text test's error, then the load's, and whether either went on.
  const auto seen = test::asUnprivileged([&] {
    auto r = xcIsTextFileAndLoadable(pathText(path));
    auto l = load(path);
    return toUtf8(r.errorText) + "|" + toUtf8(l.result.errorText) + (r.isText || l.result.loaded ? "|went on" : "");
  });
  if (!seen) GTEST_SKIP() << "the system refused to drop to user 65534";
  EXPECT_EQ(*seen, "Permission denied|Permission denied");
}

// A FIFO must never be opened: opening one for reading blocks until a writer comes.
TEST(TextTest, FifoIsNeverOpened) {
  TempDir dir;
  std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  auto run = std::async(std::launch::async, [&] {
    auto textTest = xcIsTextFileAndLoadable(pathText(fifo));
    return std::make_pair(textTest, load(fifo, 1));
  });
  if (run.wait_for(5s) == std::future_status::timeout) {
    // Release a blocked open so the test fails instead of hanging.
    int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) close(writer);
    run.wait();
    FAIL() << "the FIFO was opened";
  }
  auto [textTest, l] = run.get();
  EXPECT_FALSE(textTest.isText);
  EXPECT_EQ(textTest.errorText, u"Not a regular file");
  EXPECT_FALSE(l.result.loaded);
  EXPECT_EQ(l.result.errorText, u"Not a regular file");
  EXPECT_TRUE(l.lines.empty());
}

// ---- lines ----

struct SplitCase {
  std::u16string_view text;
  TextList lines;
};

TEST(SplitLinesTest, LineBreaks) {
  const SplitCase cases[] = {
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\rb\rc", {u"a", u"b", u"c"}},
      {u"a\nb", {u"a", u"b"}},
      {u"a\n\rb", {u"a", u"", u"b"}},
      {u"a\n\r", {u"a", u""}},
      {u"a\r\n", {u"a"}},
      {u"a\n", {u"a"}},
      {u"a\n\n", {u"a", u""}},
      {u"\r\n", {u""}},
      {u"\r\r\n", {u"", u""}},
      {u"", {}},
      {u"a\0b\x0c\x1a"sv, {u"a\0b\x0c\x1a"s}},
  };
  for (const auto& c : cases) {
    TextList lines{u"old"};
    xcSplitLines(c.text, lines);
    EXPECT_EQ(lines, c.lines) << test::U8(c.text);
  }
}

// ---- decoding ----

TEST(DecodingTest, EncodingFromMarkOrContent) {
  EXPECT_EQ(detectEncoding("\xEF\xBB\xBF\xE9"), TextEncoding::Utf8Bom);
  EXPECT_EQ(detectEncoding("\xFF\xFEx"), TextEncoding::Utf16LE);
  EXPECT_EQ(detectEncoding("\xFE\xFFx"), TextEncoding::Utf16BE);
  EXPECT_EQ(detectEncoding("plain"), TextEncoding::Utf8);
  EXPECT_EQ(detectEncoding("caf\xC3\xA9 \xF0\x9F\x98\x80"), TextEncoding::Utf8);
  EXPECT_EQ(detectEncoding("caf\xE9"), TextEncoding::Windows1252);
  EXPECT_EQ(detectEncoding("\xC0\xAF"), TextEncoding::Windows1252);      // overlong
  EXPECT_EQ(detectEncoding("\xED\xA0\x80"), TextEncoding::Windows1252);  // surrogate
  EXPECT_EQ(detectEncoding("\xF4\x90\x80\x80"), TextEncoding::Windows1252);
  EXPECT_EQ(detectEncoding("ab\xC3"), TextEncoding::Windows1252);        // cut sequence
}

TEST(DecodingTest, Utf8WithAndWithoutMark) {
  TextList lines;
  xcDecodeLines("\xEF\xBB\xBF" "caf\xC3\xA9\r\n\xF0\x9F\x98\x80", lines);
  EXPECT_EQ(lines, (TextList{u"caf\u00e9", u"\U0001F600"}));
  xcDecodeLines("\xE2\x82\xAC", lines);
  EXPECT_EQ(lines, TextList{u"\u20ac"});
}

TEST(DecodingTest, Windows1252KeepsEveryByte) {
  EXPECT_EQ(xcDecodeText("\x80\x81\x8D\x8F\x90\x9D\x9F\x8A\xE9\xA0", TextEncoding::Windows1252),
            u"\u20ac\u0081\u008d\u008f\u0090\u009d\u0178\u0160\u00e9\u00a0");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  Text decoded = xcDecodeText(all, TextEncoding::Windows1252);
  ASSERT_EQ(decoded.size(), 256u);
  for (int b = 0; b < 256; ++b) {
    if (b >= 0x80 && b <= 0x9F) continue;
    EXPECT_EQ(decoded[static_cast<size_t>(b)], b);
  }
}

TEST(DecodingTest, InvalidUtf8FallsBackToWindows1252) {
  TextList lines;
  xcDecodeLines("caf\xE9 \xC3\xA9\n\x80", lines);
  EXPECT_EQ(lines, (TextList{u"caf\u00e9 \u00c3\u00a9", u"\u20ac"}));
}

TEST(DecodingTest, Utf16UnitsAsTheyAre) {
  TextList lines;
  xcDecodeLines("\xFF\xFEh\0i\0\r\0\n\0\x00\xD8z\0"s, lines);
  EXPECT_EQ(lines, (TextList{u"hi", u"\xD800z"}));
  xcDecodeLines("\xFE\xFF\0h\x20\xAC\0\n\0x"s, lines);
  EXPECT_EQ(lines, (TextList{u"h\u20ac", u"x"}));
  // A lone last byte stays as a character of its own value.
  xcDecodeLines("\xFF\xFEh\0\x41"s, lines);
  EXPECT_EQ(lines, TextList{u"hA"});
}

// ---- loading ----

TEST(LoadTest, LoadsLinesAndSetsDeadline) {
  TempDir dir;
  auto l = load(dir.write("f.txt", "one\r\ntwo\rthree\n"), FakeClock(45000.25), kLoadFilesInUse);
  EXPECT_TRUE(l.result.loaded);
  EXPECT_FALSE(l.result.cutShort);
  EXPECT_EQ(l.lines, (TextList{u"one", u"two", u"three"}));
  EXPECT_EQ(l.method, kLoadFilesInUse);
  EXPECT_DOUBLE_EQ(l.deadline, 45000.25 + 2 * kOneSecond);
}

TEST(LoadTest, DisabledMethodFallsBackToStandard) {
  TempDir dir;
  auto l = load(dir.write("f.txt", "x"), kLoadAsciiDisabled);
  EXPECT_TRUE(l.result.loaded);
  EXPECT_EQ(l.method, kLoadStandard);
  EXPECT_EQ(l.lines, TextList{u"x"});
}

TEST(LoadTest, MissingFileIsNotLoaded) {
  TempDir dir;
  auto l = load(dir.file("gone"));
  EXPECT_FALSE(l.result.loaded);
  EXPECT_EQ(l.result.errorText, u"No such file or directory");
  EXPECT_TRUE(l.lines.empty());
}

TEST(LoadTest, SymbolicLinkToFileIsFollowed) {
  TempDir dir;
  std::string target = dir.write("target.txt", "linked");
  ASSERT_EQ(symlink(target.c_str(), dir.file("link.txt").c_str()), 0);
  EXPECT_EQ(load(dir.file("link.txt")).lines, TextList{u"linked"});
}

// Lines of 1023 letters and a line feed: 1 KiB each.
std::string kibLines(size_t count) {
  std::string line = ascii(1023) + "\n";
  std::string s;
  s.reserve(count * line.size());
  for (size_t i = 0; i < count; ++i) s += line;
  return s;
}

TEST(LoadTest, LargeFileReadWholeBeforeDeadline) {
  TempDir dir;
  auto l = load(dir.write("big.txt", kibLines(3 * 1024 + 7)));
  EXPECT_TRUE(l.result.loaded);
  EXPECT_FALSE(l.result.cutShort);
  EXPECT_EQ(l.lines.size(), 3u * 1024 + 7);
}

TEST(LoadTest, ReadingStopsWhenDeadlinePasses) {
  TempDir dir;
  const size_t total = 8 * 1024;
  SteppingClock clock(1.0);
  auto l = load(dir.write("big.txt", kibLines(total)), clock);
  EXPECT_TRUE(l.result.loaded);
  EXPECT_TRUE(l.result.cutShort);
  EXPECT_GT(l.lines.size(), 0u);
  EXPECT_LT(l.lines.size(), total);
  // The run's line loop must see the deadline as passed.
  EXPECT_GT(clock.now(), l.deadline);
  for (size_t i = 0; i + 1 < l.lines.size(); ++i) ASSERT_EQ(l.lines[i].size(), 1023u);
}

// "x" then two-byte characters: every piece boundary at an even offset splits one.
std::string utf8SplitAtPieces() {
  std::string bytes = "x";
  while (bytes.size() < 3u << 20) bytes += "\xC3\xA9";
  return bytes;
}

TEST(LoadTest, Utf8AcrossPieceBoundariesDecodesWhole) {
  TempDir dir;
  std::string bytes = utf8SplitAtPieces();
  auto l = load(dir.write("u8.txt", bytes));
  ASSERT_EQ(l.lines.size(), 1u);
  EXPECT_EQ(l.lines[0].size(), 1 + (bytes.size() - 1) / 2);
  EXPECT_EQ(l.lines[0].find(u'\u00c3'), Text::npos);
}

TEST(LoadTest, Utf8CutInsideACharacterStaysUtf8) {
  TempDir dir;
  auto l = load(dir.write("u8.txt", utf8SplitAtPieces()), SteppingClock(3.0));
  ASSERT_TRUE(l.result.loaded);
  EXPECT_TRUE(l.result.cutShort);
  ASSERT_EQ(l.lines.size(), 1u);
  EXPECT_EQ(l.lines[0].substr(0, 2), u"x\u00e9");
  EXPECT_EQ(l.lines[0].find(u'\u00c3'), Text::npos);
}

}  // namespace
}  // namespace varko
