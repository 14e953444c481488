#include "save/FileContent.h"

#include <gtest/gtest.h>

#include "replace/ReplaceText.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::T;
using test::U8;

std::string utf16(std::string_view utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : T(utf8)) {
    char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

// Replaces in every line, as the per-file replacement does, and builds the bytes to write.
bool rewrite(const std::string& bytes, const Text& find, const Text& replace, std::string& out, Text& why) {
  FileContent content;
  splitFileContent(bytes, content);
  NewLines changed;
  for (size_t i = 0; i < content.lineCount(); ++i) {
    Text line = content.line(i);
    int32_t count = 0;
    xcReplaceAll(line, find, replace, count, false, false);
    if (count > 0 && !changed.add(content, i, line, why)) return false;
  }
  out = buildNewContent(content, changed);
  return true;
}

TEST(FileContent, OnlyChangedLinesChangeAndTheyKeepTheFilesEncodingAndBreaks) {
  const std::string longLine(1'500'000, 'x');
  struct Case {
    const char* name;
    std::string before;
    const char* replace;
    std::string after;
  };
  const Case cases[] = {
      {"UTF-8, LF, final break", "one\ncat\nthree\n", "d\xC3\xB6g", "one\nd\xC3\xB6g\nthree\n"},
      {"UTF-8 mark, CR LF, no final break", "\xEF\xBB\xBF\xC3\xA9\r\ncat\r\nend", "dog",
       "\xEF\xBB\xBF\xC3\xA9\r\ndog\r\nend"},
      {"Windows-1252, mixed breaks", "caf\xE9\rcat \x80\r\n\x81\n\r\ncat", "d\xC3\xB6g\xE2\x82\xAC",
       "caf\xE9\rd\xF6g\x80 \x80\r\n\x81\n\r\nd\xF6g\x80"},
      {"UTF-16LE, CR", utf16("\xC3\xA9\rcat\r", false), "\xE4\xB8\xAD", utf16("\xC3\xA9\r\xE4\xB8\xAD\r", false)},
      {"UTF-16BE, LF CR", utf16("cat\n\rx", true), "dog", utf16("dog\n\rx", true)},
      {"a line over 1 MB", longLine + "cat\nz", "dog", longLine + "dog\nz"},
  };
  for (const Case& c : cases) {
    std::string out;
    Text why;
    ASSERT_TRUE(rewrite(c.before, u"cat", T(c.replace), out, why)) << c.name << ": " << U8(why);
    EXPECT_TRUE(out == c.after) << c.name;
  }
}

TEST(FileContent, AChangedLineThatCannotBeWrittenExactlyRefusesTheFile) {
  struct Case {
    const char* name;
    std::string before;
    Text replace;
    const char* why;
  };
  const Case cases[] = {
      {"Windows-1252", "cat \xE9\n", u"\u4E2D", "Windows-1252 cannot hold the character U+4E2D '\xE4\xB8\xAD'"},
      {"UTF-8", "cat\n", Text(1, u'\xD800'), "UTF-8 cannot hold the character U+D800"},
      {"ill-formed after a mark", "\xEF\xBB\xBF" "cat \xFF\n", u"dog",
       "line 1 holds bytes that are not valid UTF-8 with a byte-order mark, so it cannot be rewritten exactly"},
  };
  for (const Case& c : cases) {
    std::string out;
    Text why;
    EXPECT_FALSE(rewrite(c.before, u"cat", c.replace, out, why)) << c.name;
    EXPECT_EQ(U8(why), c.why);
  }
}

}  // namespace
}  // namespace varko
