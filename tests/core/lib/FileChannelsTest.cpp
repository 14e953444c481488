#include "lib/FileChannels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lib/Errors.h"
#include "lib/Library.h"
#include "support/TestSupport.h"

namespace varko {
namespace {

using test::readFileBytes;
using test::T;

class FileChannelsTest : public ::testing::Test {
protected:
  void SetUp() override {
    resetChannelsForTesting();
    setLibraryMessageHandler([this](const Text& m) { messages_.push_back(m); });
  }
  void TearDown() override {
    setLibraryMessageHandler(nullptr);
    librarySettings().jmFolder.clear();
    resetChannelsForTesting();
  }
  Text path(const std::string& relative) const { return T(dir_.file(relative)); }
  static std::pair<Text, bool> readLine(ChannelStream& stream, int channel) {
    std::pair<Text, bool> line{u"junk", false};
    xcReadLine(stream, channel, line.first, line.second);
    return line;
  }
  static size_t openDescriptors() {
    auto it = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<size_t>(std::distance(begin(it), end(it)));
  }
  std::string writeLines(const std::vector<Text>& lines, char16_t mode = u'O') {
    ChannelStream stream;
    EXPECT_TRUE(xcOpen(stream, 1, mode, path("w.txt")));
    for (const Text& line : lines) xcWriteLine(stream, line);
    xcClose(stream, 1);
    return readFileBytes(dir_.file("w.txt"));
  }

  test::TempDir dir_;
  std::vector<Text> messages_;
};

TEST_F(FileChannelsTest, InvalidOpensShowTheMessageAndLeaveTheStreamAlone) {
  dir_.write("held.txt", "held\r\n");
  ChannelStream stream;
  ASSERT_TRUE(xcOpen(stream, 4, u'I', path("held.txt")));
  const int held = stream.fd;

  EXPECT_FALSE(xcOpen(stream, 41, u'o', path("x.txt")));
  EXPECT_FALSE(xcOpen(stream, -1, u'O', path("x.txt")));
  EXPECT_FALSE(xcOpen(stream, 4, u'I', path("missing.txt")));
  EXPECT_FALSE(xcOpen(stream, 4, u'u', path("missing.txt")));
  EXPECT_FALSE(xcOpen(stream, 4, u'O', u"   "));
  EXPECT_FALSE(xcOpen(stream, 4, u'x', path("x.txt")));
  const Text prefix = u"NORV: Invalid open for file :";
  EXPECT_EQ(messages_, (std::vector<Text>{prefix + path("x.txt") + u" mode=O chan=41",
                                          prefix + path("x.txt") + u" mode=O chan=-1",
                                          prefix + path("missing.txt") + u" mode=I chan=4",
                                          prefix + path("missing.txt") + u" mode=U chan=4",
                                          prefix + u" mode=O chan=4", prefix + path("x.txt") + u" mode=X chan=4"}));
  EXPECT_FALSE(xcFileExists(path("x.txt")));
  EXPECT_EQ(stream.fd, held);
  EXPECT_TRUE(channelIsOpen(4));
  EXPECT_EQ(readLine(stream, 4).first, u"held");
}

TEST_F(FileChannelsTest, LowerCaseInputReadsLinesThenEndOfFile) {
  dir_.write("in.txt", "one\r\n\r\ntwo\r\n");
  ChannelStream stream;
  ASSERT_TRUE(xcOpen(stream, 3, u'i', path("in.txt")));
  EXPECT_EQ(readLine(stream, 3), std::make_pair(Text(u"one"), false));
  EXPECT_EQ(readLine(stream, 3), std::make_pair(Text(u""), false));
  EXPECT_EQ(readLine(stream, 3), std::make_pair(Text(u"two"), true));
  EXPECT_EQ(readLine(stream, 3), std::make_pair(Text(u""), true));
  xcClose(stream, 3);
  EXPECT_FALSE(channelIsOpen(3));
  EXPECT_FALSE(stream.isOpen());
}

TEST_F(FileChannelsTest, ReopeningAnOpenChannelClosesTheFirstFileAndRewinds) {
  dir_.write("in.txt", "one\r\ntwo\r\n");
  ChannelStream stream;
  ASSERT_TRUE(xcOpen(stream, 5, u'I', path("in.txt")));
  readLine(stream, 5);
  const size_t withOneOpen = openDescriptors();
  ASSERT_TRUE(xcOpen(stream, 5, u'I', path("in.txt")));
  EXPECT_EQ(openDescriptors(), withOneOpen);
  EXPECT_EQ(readLine(stream, 5).first, u"one");
  xcClose(stream, 5);
  EXPECT_EQ(openDescriptors(), withOneOpen - 1);
}

TEST_F(FileChannelsTest, ChannelZeroIsNeitherMarkedOpenNorRewound) {
  dir_.write("in.txt", "one\r\ntwo\r\n");
  ChannelStream stream;
  ASSERT_TRUE(xcOpen(stream, 0, u'I', path("in.txt")));
  EXPECT_FALSE(channelIsOpen(0));
  readLine(stream, 0);
  xcClose(stream, 0);
  ASSERT_TRUE(xcOpen(stream, 0, u'I', path("in.txt")));
  EXPECT_EQ(readLine(stream, 0).first, u"two");
}

TEST_F(FileChannelsTest, ModesPlaceTheWrites) {
  EXPECT_EQ(writeLines({u"made"}, u'a'), "made\r\n");  // append creates a missing file
  EXPECT_EQ(channelReadPosition(1), 0);
  dir_.write("w.txt", "abc");
  EXPECT_EQ(writeLines({u"def", u"g"}, u'A'), "abcdef\r\ng\r\n");
  EXPECT_EQ(channelReadPosition(1), 3);
  EXPECT_EQ(writeLines({u"new"}, u'O'), "new\r\n");
  dir_.write("w.txt", "0123456789");
  EXPECT_EQ(writeLines({u"ab"}, u'U'), "ab\r\n456789");
}

TEST_F(FileChannelsTest, FileThatCannotBeOpenedThrowsThePlatformError) {
  dir_.mkdir("folder");
  ChannelStream stream;
  try {
    xcOpen(stream, 9, u'O', path("folder"));
    FAIL() << "expected EFileError";
  } catch (const EFileError& e) {
    EXPECT_EQ(e.text(), systemErrorText(EISDIR));
  }
  EXPECT_FALSE(stream.isOpen());
  EXPECT_FALSE(channelIsOpen(9));
}

TEST_F(FileChannelsTest, LineEndIsAddedUnlessTheTextEndsInTwoLineEndCharacters) {
  EXPECT_EQ(writeLines({u"abc"}), "abc\r\n");
  EXPECT_EQ(writeLines({u"abc\r\n"}), "abc\r\n");
  EXPECT_EQ(writeLines({u"abc\n\r", u"abc\n"}), "abc\n\rabc\n\r\n");
  EXPECT_EQ(writeLines({u""}), "");
  EXPECT_EQ(writeLines({u"\r\n", u"x\n"}), "\r\n\r\nx\n\r\n");  // two characters or fewer: always
  EXPECT_EQ(writeLines({Text{u'a', u'\u00E9', u'\u0141', u'\u00FF'}}), "a\xE9\x41\xFF\r\n");
}

TEST_F(FileChannelsTest, SingleCharacterLineEndsSkipAByteAndATailStaysPut) {
  dir_.write("in.txt", "ab\ncd\nef");
  ChannelStream stream;
  ASSERT_TRUE(xcOpen(stream, 11, u'I', path("in.txt")));
  EXPECT_EQ(readLine(stream, 11).first, u"ab");
  EXPECT_EQ(readLine(stream, 11).first, u"d");
  // No line end left: the text comes back, the position stays, and a reading loop must stop.
  EXPECT_EQ(readLine(stream, 11), std::make_pair(Text(u"f"), true));
  EXPECT_EQ(channelReadPosition(11), 7);
}

TEST_F(FileChannelsTest, BytesBecomeCharactersOfTheSameCodeFromAtMost4096Bytes) {
  dir_.write("in.txt", std::string("\x01\x80\xE9\xFF\r\n", 6) + std::string(5000, 'z') + "\r\n");
  ChannelStream stream;
  ASSERT_TRUE(xcOpen(stream, 12, u'I', path("in.txt")));
  EXPECT_EQ(readLine(stream, 12).first, (Text{u'\x01', u'\x80', u'\u00E9', u'\u00FF'}));
  EXPECT_EQ(readLine(stream, 12).first, Text(4096, u'z'));
  EXPECT_EQ(channelReadPosition(12), 6);
}

TEST_F(FileChannelsTest, WithoutAnOpenFileReadsEndAndWritesAndOddClosesDoNothing) {
  ChannelStream stream;
  EXPECT_EQ(readLine(stream, 15), std::make_pair(Text(), true));
  xcWriteLine(stream, u"lost");
  ASSERT_TRUE(xcOpen(stream, 16, u'O', path("c.txt")));
  xcClose(stream, 41);
  EXPECT_TRUE(stream.isOpen());
}

TEST_F(FileChannelsTest, PathMacrosAndFileNameHelpers) {
  EXPECT_EQ(xcExpandPath(u"{JM}data.txt"), u"data.txt");  // the folders are empty
  EXPECT_EQ(xcExpandPath(u"  {J}data.txt  "), u"data.txt");
  EXPECT_EQ(xcExpandPath(u"{jm}x"), u"{jm}x");
  librarySettings().jmFolder = dir_.text();
  ChannelStream stream;
  ASSERT_TRUE(xcOpen(stream, 17, u'O', u"{JM}data.txt"));
  xcClose(stream, 17);
  EXPECT_TRUE(xcFileExists(path("data.txt")));

  EXPECT_EQ(xcFileBaseName(u"/tmp/Report-a.b.txt"), u"Report-a.b");
  EXPECT_EQ(xcFileBaseName(u"/a.d/README"), u"README");
  EXPECT_EQ(xcFileBaseName(u"/home/me/.profile"), u"");
  EXPECT_EQ(xcPathNoExt(u"/tmp/Report-a.b.txt"), u"/tmp/Report-a.b");
}

}  // namespace
}  // namespace varko
