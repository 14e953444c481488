#include "save/Archive.h"

#include <gtest/gtest.h>

#include "lib/DateTime.h"
#include "lib/Library.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;
using test::U8;

std::string utf16LE(std::string_view ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

std::string separator(char digit) {
  std::string line;
  for (int i = 0; i < 33; ++i) line += "<>";
  return line + "<" + digit + "\r\n";
}

class ArchiveTest : public ::testing::Test {
protected:
  test::TempDir dir_;
  Text archive_ = dir_.text() + u"VarkoSearchReplaceArchive.varc";
  FakeClock clock_{xcEncodeDate(2024, 3, 5) + xcEncodeTime(14, 7, 9)};
};

TEST_F(ArchiveTest, FirstRecordBringsTheBannerAndTheNextOnlyItself) {
  const std::string file = dir_.write("report.txt", "one\n\ncaf\xC3\xA9\n");
  test::setFileTime(file, 2024, 3, 5, 13, 58, 0);
  xcAppendArchive(archive_, T(file), u"Changes=2", clock_);

  const std::string banner = utf16LE("-<<<< Varko Archive >>>>-\r\n" + std::string(67, '|') + "\r\n");
  ASSERT_EQ(banner.size(), 192u);
  const std::string heading = "Archived:05-Mar-24 ~ 14:07:09 ~ Lines=3 ~  Size=13 ~ " + file +
                              " ~ Changes=2 ~ 05-Mar-24 13:58 size=11\r\n";
  const std::string record = separator('1') + heading + separator('2') + "one\r\ncaf\xC3\xA9\r\n" + separator('3') +
                             heading + separator('4') + std::string(67, '|') + "\r\n";
  EXPECT_EQ(readFileBytes(U8(archive_)), banner + record);

  xcAppendArchive(archive_, T(file), u"Changes=2", clock_);
  EXPECT_EQ(readFileBytes(U8(archive_)), banner + record + record);
}

TEST_F(ArchiveTest, AnEmptyFileHasNoContentLinesAndAMissingOneNoRecord) {
  xcAppendArchive(archive_, dir_.text() + u"missing.txt", u"Changes=1", clock_);
  EXPECT_FALSE(xcFileExists(archive_));

  const std::string empty = dir_.write("empty.txt", "");
  xcAppendArchive(archive_, T(empty), u"Changes=1", clock_);
  const std::string bytes = readFileBytes(U8(archive_));
  EXPECT_NE(bytes.find("Lines=0 ~  Size=0 ~ "), std::string::npos);
  EXPECT_NE(bytes.find(separator('2') + separator('3')), std::string::npos);
}

TEST_F(ArchiveTest, AppendLineWritesUtf16LEWithCrLfCutAt8000Bytes) {
  const Text name = dir_.text() + u"lines.txt";
  xcAppendLine(name, u"");
  EXPECT_FALSE(xcFileExists(name));
  xcAppendLine(name, u"ab");
  xcAppendLine(name, Text(5000, u'x'));
  const std::string bytes = readFileBytes(U8(name));
  EXPECT_EQ(bytes.substr(0, 8), utf16LE("ab\r\n"));
  EXPECT_EQ(bytes.size(), 8u + 8000u);
}

}  // namespace
}  // namespace varko
