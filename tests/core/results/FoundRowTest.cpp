#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lib/Text.h"
#include "results/ResultTable.h"

using namespace varko;

namespace {

struct Found {
  int32_t line;
  Text text;
  Text path;
  int32_t position;
};

bool lineShown(int32_t line) { return line > 0 || line == -1; }

// How the search run filled a results row one cell at a time.
void setCells(ResultTable& grid, int row, const Found& f) {
  grid.setCell(0, row, lineShown(f.line) ? intToText(f.line) : Text());
  grid.setCell(1, row, f.text);
  grid.setCell(2, row, f.path);
  grid.setCell(3, row, f.position > 0 ? intToText(f.position) : Text());
}

std::string showUnits(const Text& t, size_t from, size_t count) {
  std::string out;
  for (size_t i = from; i < t.size() && i < from + count; ++i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(t[i]));
    out += buf;
  }
  return out;
}

// Long texts are reported by their first difference rather than printed whole.
::testing::AssertionResult sameText(const std::string& what, const Text& got, const Text& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  return ::testing::AssertionFailure() << what << ": " << got.size() << " units, expected " << want.size()
                                       << "; first difference at " << i << ": got [" << showUnits(got, i, 6)
                                       << "] expected [" << showUnits(want, i, 6) << "]";
}

::testing::AssertionResult sameBytes(const std::string& what, const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  return ::testing::AssertionFailure() << what << ": " << got.size() << " bytes, expected " << want.size()
                                       << "; first difference at " << i;
}

// A number cell reads back as the number only when its text is exactly how the number prints.
int32_t asNumber(const Text& t) {
  if (t.empty() || t.size() > 11) return 0;
  long long v = 0;
  size_t i = t[0] == u'-' ? 1 : 0;
  if (i == t.size()) return 0;
  for (; i < t.size(); ++i) {
    if (t[i] < u'0' || t[i] > u'9') return 0;
    v = v * 10 + (t[i] - u'0');
  }
  if (t[0] == u'-') v = -v;
  if (v < INT32_MIN || v > INT32_MAX || intToText(v) != t) return 0;
  return static_cast<int32_t>(v);
}

// Every getter of a row of the results grid against the four cell texts it should hold.
::testing::AssertionResult holds(const ResultTable& grid, int row, const Text (&cells)[4]) {
  const std::string at = "row " + std::to_string(row);
  for (int c = 0; c < 4; ++c) {
    auto r = sameText(at + " cell " + std::to_string(c), grid.cell(c, row), cells[c]);
    if (!r) return r;
  }
  if (grid.lineNumberCell(row) != asNumber(cells[0]))
    return ::testing::AssertionFailure() << at << ": lineNumberCell " << grid.lineNumberCell(row) << ", expected "
                                         << asNumber(cells[0]);
  if (grid.positionCell(row) != asNumber(cells[3]))
    return ::testing::AssertionFailure() << at << ": positionCell " << grid.positionCell(row) << ", expected "
                                         << asNumber(cells[3]);
  if (auto r = sameText(at + " textCell", grid.textCell(row), cells[1]); !r) return r;
  if (auto r = sameText(at + " pathCell", grid.pathCell(row), cells[2]); !r) return r;
  // Appended, not assigned; escaped file bytes come back as the bytes.
  std::string bytes = "<";
  grid.appendTextCellBytes(row, bytes);
  return sameBytes(at + " appendTextCellBytes", bytes, "<" + textToPath(cells[1]));
}

::testing::AssertionResult holds(const ResultTable& grid, int row, const Found& f) {
  const Text cells[4] = {lineShown(f.line) ? intToText(f.line) : Text(), f.text, f.path,
                         f.position > 0 ? intToText(f.position) : Text()};
  return holds(grid, row, cells);
}

// Two grids read the same through every getter.
::testing::AssertionResult sameRow(const ResultTable& got, const ResultTable& want, int row) {
  const std::string at = "row " + std::to_string(row);
  if (got.rowCount() != want.rowCount())
    return ::testing::AssertionFailure() << "rowCount " << got.rowCount() << ", expected " << want.rowCount();
  for (int c = 0; c < want.columnCount(); ++c)
    if (auto r = sameText(at + " cell " + std::to_string(c), got.cell(c, row), want.cell(c, row)); !r) return r;
  if (got.lineNumberCell(row) != want.lineNumberCell(row) || got.positionCell(row) != want.positionCell(row))
    return ::testing::AssertionFailure() << at << ": numbers " << got.lineNumberCell(row) << ", "
                                         << got.positionCell(row) << ", expected " << want.lineNumberCell(row)
                                         << ", " << want.positionCell(row);
  if (auto r = sameText(at + " textCell", got.textCell(row), want.textCell(row)); !r) return r;
  if (auto r = sameText(at + " pathCell", got.pathCell(row), want.pathCell(row)); !r) return r;
  std::string gotBytes = "<", wantBytes = "<";
  got.appendTextCellBytes(row, gotBytes);
  want.appendTextCellBytes(row, wantBytes);
  return sameBytes(at + " appendTextCellBytes", gotBytes, wantBytes);
}

Text repeated(const Text& piece, size_t times) {
  Text out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

std::vector<Text> sampleTexts() {
  Text longAscii;
  for (size_t i = 0; i < 300000; ++i) longAscii.push_back(static_cast<char16_t>(u'a' + i % 26));
  return {
      u"",
      u"plain ascii line",
      u"caf\u00e9 \u20ac \u07ff\u0800\uffff\u0080\u007f",
      u"\U0001F600 smile \U0010FFFF",
      u"ends on a lone high \xD83D",
      Text(u"\xD83D") + u" lone high first",
      Text(u"\xDE00") + u" lone low first",
      Text(u"\xDCC3\xDCA9"),  // bytes of a file name that were not UTF-8
      Text(u"low before high \xDE00\xD83D"),
      Text(1, u'\0') + u"nul\ttab\r\n",
      u"\ufffd",
      longAscii,
      repeated(u"\u4e2d", 100000),         // 300,000 bytes of three-byte characters
      repeated(u"\U0001F600", 80000),      // surrogate pairs, four bytes each
      repeated(u"ab", 200000) + u"\xDBFF", // too long for the first blocks, and not UTF-8
      repeated(u"x", 1100000),             // more than the largest regular block
      u"short after the long ones",
  };
}

TEST(FoundRow, ReadsBackAsTheFourCellsWould) {
  const int32_t lines[] = {0, -1, -5, 1, 2, 42, INT32_MAX, INT32_MIN, -2};
  const int32_t positions[] = {0, -3, 1, 7, -1, INT32_MAX, INT32_MIN};
  const Text paths[] = {u"/home/a/x.txt", u"", u"/home/a/y.txt", u"C:\\w\\caf\u00e9.txt", Text(u"/tmp/\xDCFF.bin")};
  std::vector<Found> rows;
  // Every line number with every position, then every text with rotating values.
  for (int32_t line : lines)
    for (int32_t position : positions) rows.push_back({line, u"text", paths[rows.size() % 5], position});
  for (const Text& text : sampleTexts()) {
    size_t k = rows.size();
    rows.push_back({lines[k % 9], text, paths[k % 5], positions[k % 7]});
  }
  ResultTable byRow, byCells;
  for (size_t r = 0; r < rows.size(); ++r) {
    int row = static_cast<int>(r);
    byRow.setFoundRow(row, rows[r].line, rows[r].text, rows[r].path, rows[r].position);
    setCells(byCells, row, rows[r]);
    ASSERT_TRUE(holds(byRow, row, rows[r]));
    ASSERT_TRUE(sameRow(byRow, byCells, row));
  }
  // Rows written later, into new and bigger blocks, leave the earlier ones alone.
  for (size_t r = 0; r < rows.size(); ++r) {
    EXPECT_TRUE(holds(byRow, static_cast<int>(r), rows[r]));
    EXPECT_TRUE(sameRow(byRow, byCells, static_cast<int>(r)));
  }
  EXPECT_EQ(byRow.rowCount(), static_cast<int>(rows.size()));
}

TEST(FoundRow, TextsFillingBlocksToTheBrimReadBack) {
  // One- to four-byte characters in many lengths, so blocks end at every kind of boundary. The
  // first text alone is bigger than a new grid's first block.
  const Text pieces[] = {u"\u20ac", u"a", u"\u00e9", u"\U0001F600"};
  std::vector<Found> rows;
  rows.push_back({1, repeated(u"\u4e2d", 30000), u"/f", 1});
  for (int r = 1; r < 6000; ++r)
    rows.push_back({r, repeated(pieces[r % 4], static_cast<size_t>(1 + (r * 37) % 150)), u"/f", r % 9});
  ResultTable grid;
  for (size_t r = 0; r < rows.size(); ++r)
    grid.setFoundRow(static_cast<int>(r), rows[r].line, rows[r].text, rows[r].path, rows[r].position);
  for (size_t r = 0; r < rows.size(); ++r) ASSERT_TRUE(holds(grid, static_cast<int>(r), rows[r]));
}

TEST(FoundRow, ReplacesWhateverTheRowHeldBefore) {
  const Text lone = Text(u"lone \xD800 high");
  // What a row may hold: texts in columns 0 and 3 that are no numbers, or numbers written as text.
  auto fillOddly = [&](ResultTable& grid, int row, int variant) {
    grid.setCell(0, row, variant == 0 ? u"abc" : variant == 1 ? u"007" : u"-0");
    grid.setCell(1, row, variant == 2 ? u"old text" : lone);
    grid.setCell(2, row, u"/old/path");
    grid.setCell(3, row, variant == 0 ? u"x" : variant == 1 ? u" 5" : u"2147483648");
  };
  const Found news[] = {
      {12, u"new text", u"/new/path", 3},
      {0, u"", u"", 0},  // everything empty
      {-1, Text(u"still \xDFFF odd"), u"/old/path", -3},
      {INT32_MAX, u"\U0001F600", u"/new/path", INT32_MAX},
      {-5, repeated(u"\u00e9", 150000), u"/other", 1},
  };
  ResultTable byRow, byCells;
  int row = 0;
  for (int variant = 0; variant < 3; ++variant) {
    for (const Found& f : news) {
      fillOddly(byRow, row, variant);
      fillOddly(byCells, row, variant);
      byRow.setFoundRow(row, f.line, f.text, f.path, f.position);
      setCells(byCells, row, f);
      ASSERT_TRUE(holds(byRow, row, f)) << "variant " << variant;
      ASSERT_TRUE(sameRow(byRow, byCells, row));
      ++row;
    }
  }
  // One row rewritten over and over: number to empty, blocks to the side store and back.
  for (int round = 0; round < 3; ++round) {
    for (const Found& f : news) {
      byRow.setFoundRow(row, f.line, f.text, f.path, f.position);
      setCells(byCells, row, f);
      ASSERT_TRUE(holds(byRow, row, f));
      ASSERT_TRUE(sameRow(byRow, byCells, row));
    }
    byRow.setCell(0, row, u"abc");
    byRow.setCell(3, row, u"x");
    EXPECT_EQ(byRow.cell(0, row), u"abc");
    EXPECT_EQ(byRow.lineNumberCell(row), 0);
    EXPECT_EQ(byRow.positionCell(row), 0);
    byCells.setCell(0, row, u"abc");
    byCells.setCell(3, row, u"x");
  }
  for (int r = 0; r < row; ++r) EXPECT_TRUE(sameRow(byRow, byCells, r));
}

TEST(FoundRow, RandomWritesAgreeWithCellWritesAndAPlainModel) {
  std::mt19937 rng(4242);
  auto pick = [&](size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng); };
  const std::vector<Text> texts = {u"",
                                   u"a",
                                   u"line with words",
                                   u"caf\u00e9",
                                   u"\u20ac\u20ac",
                                   u"\U0001F600",
                                   Text(u"\xD83D"),
                                   Text(u"\xDE00"),
                                   Text(u"\xDC80x"),
                                   u"007",
                                   u"-1",
                                   u"42",
                                   u"abc",
                                   repeated(u"0123456789", 3000)};
  const Text paths[] = {u"/p/one", u"/p/two", u"", u"/p/\u00e9"};
  const int32_t numbers[] = {0, -1, -7, 1, 9, 123456, INT32_MAX, INT32_MIN};
  // The first rows, and rows far apart across the places where row storage grows a chunk.
  const int rowsUsed[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16383, 16384, 65535, 65536, 65537, 140000};
  ResultTable byRow, byCells;
  std::map<int, std::array<Text, 4>> model;
  auto modelRow = [&](int row) -> std::array<Text, 4>& { return model[row]; };
  for (int op = 0; op < 4000; ++op) {
    int row = rowsUsed[pick(0, std::size(rowsUsed) - 1)];
    size_t kind = pick(0, 19);
    if (kind < 12) {
      Found f{numbers[pick(0, 7)], texts[pick(0, texts.size() - 1)], paths[pick(0, 3)], numbers[pick(0, 7)]};
      // Paths mostly come straight from the grid's own storage, as for the rows of one file.
      const Text& path = pick(0, 1) == 0 ? byRow.pathCell(rowsUsed[pick(0, 11)]) : f.path;
      f.path = path;
      byRow.setFoundRow(row, f.line, f.text, path, f.position);
      setCells(byCells, row, f);
      modelRow(row) = {lineShown(f.line) ? intToText(f.line) : Text(), f.text, f.path,
                       f.position > 0 ? intToText(f.position) : Text()};
    } else if (kind < 18) {
      int column = static_cast<int>(pick(0, 3));
      const Text& t = column == 2 ? paths[pick(0, 3)] : texts[pick(0, texts.size() - 2)];
      byRow.setCell(column, row, t);
      byCells.setCell(column, row, t);
      modelRow(row)[static_cast<size_t>(column)] = t;
    } else if (kind == 18) {
      byRow.clearRow(row);
      byCells.clearRow(row);
      model.erase(row);
    } else {
      int keep = pick(0, 3) == 0 ? 0 : rowsUsed[pick(0, std::size(rowsUsed) - 1)];
      byRow.setRowCount(keep);
      byCells.setRowCount(keep);
      model.erase(model.lower_bound(keep), model.end());
    }
    if (op % 250 == 0 || op == 3999) {
      for (int r : rowsUsed) {
        Text cells[4];
        auto it = model.find(r);
        if (it != model.end())
          for (int c = 0; c < 4; ++c) cells[c] = it->second[static_cast<size_t>(c)];
        ASSERT_TRUE(holds(byRow, r, cells)) << "after " << op + 1 << " writes";
        ASSERT_TRUE(sameRow(byRow, byCells, r)) << "after " << op + 1 << " writes";
      }
    }
  }
}

TEST(FoundRow, RowsOfOneFileShareOneStoredPath) {
  ResultTable grid;
  const Text a = u"/src/a.cpp", b = u"/src/b\u00e9.cpp";
  for (int r = 0; r < 1000; ++r) grid.setFoundRow(r, r + 1, u"hit", a, 1);
  for (int r = 1000; r < 1200; ++r) grid.setFoundRow(r, r, u"hit", r % 2 ? a : b, r % 5);
  // The previous row's path, handed back from the grid itself.
  for (int r = 1200; r < 1300; ++r) grid.setFoundRow(r, -1, u"hit", grid.pathCell(r - 1), 2);
  grid.setFoundRow(1300, 1, u"hit", grid.pathCell(1000), 2);  // not the last path stored
  grid.setFoundRow(1301, 1, u"hit", Text(), 2);
  for (int r = 0; r < 1000; ++r) ASSERT_EQ(&grid.pathCell(r), &grid.pathCell(0)) << r;
  for (int r = 1000; r < 1200; ++r) {
    ASSERT_EQ(grid.pathCell(r), r % 2 ? a : b) << r;
    ASSERT_EQ(grid.cell(2, r), r % 2 ? a : b) << r;
    ASSERT_EQ(&grid.pathCell(r), &grid.pathCell(r % 2 ? 0 : 1000)) << r;
  }
  for (int r = 1200; r < 1300; ++r) ASSERT_EQ(&grid.pathCell(r), &grid.pathCell(1199)) << r;
  EXPECT_EQ(grid.pathCell(1199), a);
  EXPECT_EQ(grid.pathCell(1300), b);
  EXPECT_EQ(grid.pathCell(1301), u"");
  EXPECT_EQ(grid.cell(2, 1301), u"");
}

// UTF-8 decoding by the table of well-formed byte sequences: every byte that does not begin
// one stands for itself as U+FFFD, or as U+DC00 + byte in a file name.
Text referenceDecode(std::string_view s, bool fileName) {
  Text out;
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (b < 0x80) {
      length = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b == 0xE0) {
      length = 3, low = 0xA0;
    } else if (b == 0xED) {
      length = 3, high = 0x9F;
    } else if (b >= 0xE1 && b <= 0xEF) {
      length = 3;
    } else if (b == 0xF0) {
      length = 4, low = 0x90;
    } else if (b == 0xF4) {
      length = 4, high = 0x8F;
    } else if (b >= 0xF1 && b <= 0xF3) {
      length = 4;
    }
    bool ok = length > 0 && i + length <= s.size();
    for (size_t k = 1; ok && k < length; ++k) {
      auto c = static_cast<unsigned char>(s[i + k]);
      ok = k == 1 ? c >= low && c <= high : c >= 0x80 && c <= 0xBF;
    }
    if (!ok) {
      out.push_back(fileName ? static_cast<char16_t>(0xDC00 + b) : u'\uFFFD');
      ++i;
      continue;
    }
    char32_t cp = length == 1 ? b : b & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += length;
  }
  return out;
}

// A surrogate without its other half becomes U+FFFD, except escaped file-name bytes.
std::string referenceEncode(TextView t, bool fileName) {
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    char32_t c = t[i];
    bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (t[++i] - 0xDC00);
    } else if (fileName && c >= 0xDC80 && c <= 0xDCFF) {
      out.push_back(static_cast<char>(c - 0xDC00));
      continue;
    } else if (high || low) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    int n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out.push_back(static_cast<char>(lead[n] | (c >> (6 * (n - 1)))));
    for (int k = n - 2; k >= 0; --k) out.push_back(static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F)));
  }
  return out;
}

bool hasLoneSurrogate(TextView t) {
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] >= 0xD800 && t[i] <= 0xDBFF && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF)
      ++i;
    else if (t[i] >= 0xD800 && t[i] <= 0xDFFF)
      return true;
  }
  return false;
}

TEST(TextConversion, AsciiRunsFollowedByOtherBytes) {
  EXPECT_EQ(fromUtf8("abc\xC3\xA9"), u"abc\u00e9");
  EXPECT_EQ(fromUtf8("abc\xFF"), u"abc\ufffd");
  EXPECT_EQ(fromUtf8("x\xF0\x9F\x98\x80y"), u"x\U0001F600y");
  EXPECT_EQ(fromUtf8(""), u"");
  EXPECT_EQ(fromUtf8("only ascii here"), u"only ascii here");
  EXPECT_EQ(fromUtf8("ab\xE2\x82"), u"ab\ufffd\ufffd");        // cut short: one per byte
  EXPECT_EQ(fromUtf8("ab\xC0\x80z"), u"ab\ufffd\ufffdz");      // overlong
  EXPECT_EQ(fromUtf8("ab\xED\xA0\x80"), u"ab\ufffd\ufffd\ufffd");  // a surrogate
  EXPECT_EQ(fromUtf8("ab\xF4\x90\x80\x80"), u"ab\ufffd\ufffd\ufffd\ufffd");  // above U+10FFFF
  EXPECT_EQ(toUtf8(u"abc\u00e9"), "abc\xC3\xA9");
  EXPECT_EQ(toUtf8(u"x\U0001F600y"), "x\xF0\x9F\x98\x80y");
  EXPECT_EQ(toUtf8(Text(u"ab\xD83D")), "ab\xEF\xBF\xBD");
  EXPECT_EQ(toUtf8(u""), "");
  EXPECT_EQ(pathToText("abc\xFF"), Text(u"abc\xDCFF"));
  EXPECT_EQ(textToPath(Text(u"abc\xDCFF")), "abc\xFF");
  EXPECT_EQ(textToPath(pathToText("dir/\xE9t\xE9.txt")), "dir/\xE9t\xE9.txt");
  EXPECT_EQ(textToPath(Text(u"ab\xD83D")), "ab\xEF\xBF\xBD");

  std::mt19937 rng(11);
  auto pick = [&](size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng); };
  const char* pieces[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\xFF", "\x80",
                          "\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF",
                          "\xED\xA0\x80", "\xED\x9F\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80", "\xF8\x88\x80\x80",
                          "\xEF\xBB\xBF", "a", "\n"};
  const char asciiBytes[] = {'a', 'Z', ' ', '0', '~', '\x7F', '\x01', '\0'};
  Text reused;
  for (size_t prefix = 0; prefix <= 40; ++prefix) {
    for (int round = 0; round < 60; ++round) {
      std::string bytes;
      for (size_t i = 0; i < prefix; ++i) bytes.push_back(asciiBytes[pick(0, 7)]);
      size_t count = round == 0 ? 0 : pick(1, 5);
      for (size_t i = 0; i < count; ++i) bytes += pieces[pick(0, std::size(pieces) - 1)];
      const Text decoded = referenceDecode(bytes, false);
      SCOPED_TRACE(testing::PrintToString(bytes));
      ASSERT_TRUE(sameText("fromUtf8", fromUtf8(bytes), decoded));
      // Into storage that held a longer or a shorter text, ASCII or not.
      reused = repeated(pick(0, 1) ? u"\u00e9" : u"q", pick(0, 60));
      fromUtf8Into(bytes, reused);
      ASSERT_TRUE(sameText("fromUtf8Into", reused, decoded));
      ASSERT_TRUE(sameText("pathToText", pathToText(bytes), referenceDecode(bytes, true)));
      ASSERT_EQ(textToPath(pathToText(bytes)), bytes);
      ASSERT_EQ(toUtf8(fromUtf8(bytes)), referenceEncode(decoded, false));
      // Views of exactly-sized memory, also cut inside a sequence: nothing beyond them counts.
      std::unique_ptr<char[]> exact(new char[bytes.size()]);
      std::copy(bytes.begin(), bytes.end(), exact.get());
      size_t cut = pick(0, bytes.size());
      ASSERT_TRUE(sameText("fromUtf8 of exact memory", fromUtf8(std::string_view(exact.get(), bytes.size())), decoded));
      ASSERT_TRUE(sameText("fromUtf8 of a cut view", fromUtf8(std::string_view(exact.get(), cut)),
                           referenceDecode(bytes.substr(0, cut), false)));
      ASSERT_TRUE(sameText("pathToText of a cut view", pathToText(std::string_view(exact.get(), cut)),
                           referenceDecode(bytes.substr(0, cut), true)));
      if (referenceDecode(bytes, true) == decoded) {  // valid UTF-8
        ASSERT_EQ(toUtf8(fromUtf8(bytes)), bytes);
      }
    }
  }
}

TEST(TextConversion, AsciiRunsFollowedByOtherCharacters) {
  std::mt19937 rng(12);
  auto pick = [&](size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng); };
  const char16_t units[] = {0x00E9, 0x20AC, 0xD83D, 0xDE00, 0xDC80, 0xDCFF, 0xDC7F, 0xDBFF, 0xDFFF, 0xD800,
                            0xFFFD, 0x0080, 0x07FF, 0x0800, 0xFFFF, 0x007F, u'a', 0x0000};
  for (size_t prefix = 0; prefix <= 40; ++prefix) {
    for (int round = 0; round < 60; ++round) {
      Text t;
      for (size_t i = 0; i < prefix; ++i) t.push_back(static_cast<char16_t>(u' ' + pick(0, 94)));
      size_t count = round == 0 ? 0 : pick(1, 5);
      for (size_t i = 0; i < count; ++i) {
        if (pick(0, 3) == 0) {
          t += u"\U0001F600";
        } else {
          t.push_back(units[pick(0, std::size(units) - 1)]);
        }
      }
      SCOPED_TRACE(showUnits(t, 0, t.size()));
      ASSERT_EQ(toUtf8(t), referenceEncode(t, false));
      ASSERT_EQ(textToPath(t), referenceEncode(t, true));
      std::string reused(pick(0, 80), pick(0, 1) ? 'q' : '\xE9');
      textToPathInto(t, reused);
      ASSERT_EQ(reused, referenceEncode(t, true));
      if (!hasLoneSurrogate(t)) {
        ASSERT_TRUE(sameText("fromUtf8(toUtf8)", fromUtf8(toUtf8(t)), t));
        ASSERT_TRUE(sameText("pathToText(textToPath)", pathToText(textToPath(t)), t));
      }
    }
  }
}

}  // namespace
