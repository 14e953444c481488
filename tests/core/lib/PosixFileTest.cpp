#include "lib/PosixFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "support/TestSupport.h"

using namespace varko;
using varko::test::TempDir;

namespace {

struct ReadCase {
  const char* name;
  int expectedError;
  const char* expectedText;  // of the error; the bytes when read
};

}  // namespace

TEST(PosixFileTest, OnlyARegularFileIsRead) {
  TempDir dir;
  dir.write("full.txt", "one\r\ntwo");
  dir.write("empty.txt", "");
  dir.mkdir("folder");
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
  const ReadCase cases[] = {
      {"full.txt", 0, "one\r\ntwo"},
      {"empty.txt", 0, ""},
      {"folder", kNotRegularFile, "Not a regular file"},
      {"pipe", kNotRegularFile, "Not a regular file"},  // refused without blocking
      {"missing.txt", ENOENT, "No such file or directory"},
  };
  for (const ReadCase& c : cases) {
    std::string bytes = "left over";
    const int error = readRegularFile(dir.file(c.name), bytes);
    EXPECT_EQ(error, c.expectedError) << c.name;
    if (error == 0)
      EXPECT_EQ(bytes, c.expectedText) << c.name;
    else
      EXPECT_EQ(fileErrorText(error), fromAscii(c.expectedText)) << c.name;
  }
}

TEST(PosixFileTest, FullReadStopsAtTheEndAndTheDescriptorClosesWithItsOwner) {
  TempDir dir;
  FileDescriptor file;
  int64_t size = 0;
  ASSERT_EQ(openRegularFile(dir.write("a.txt", "abc"), file, size), 0);
  EXPECT_EQ(size, 3);
  char buffer[8] = {};
  EXPECT_EQ(xcReadFull(file.get(), buffer, sizeof buffer), 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  const int fd = file.get();
  FileDescriptor moved(std::move(file));
  EXPECT_FALSE(file.isOpen());
  moved.reset();
  EXPECT_EQ(xcReadFull(fd, buffer, 1), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST(PosixFileTest, FullWriteGivesEveryByteOrFailsWithTheSystemError) {
  TempDir dir;
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  FileDescriptor reader(channel[0]), writer(channel[1]);
  FileDescriptor readOnly(open(dir.write("a.txt", "").c_str(), O_RDONLY));
  FileDescriptor full(open("/dev/full", O_WRONLY));  // every write fails as on a full disk
  ASSERT_TRUE(full.isOpen());
  const struct {
    const char* name;
    int fd;
    int expectedError;
  } cases[] = {
      {"pipe", writer.get(), 0},
      {"read-only file", readOnly.get(), EBADF},
      {"full disk", full.get(), ENOSPC},
  };
  const std::string bytes = "one\r\ntwo";
  for (const auto& c : cases) {
    const bool written = writeFull(c.fd, bytes.data(), bytes.size());
    EXPECT_EQ(written ? 0 : errno, c.expectedError) << c.name;
  }
  writer.reset();
  char received[32] = {};
  EXPECT_EQ(xcReadFull(reader.get(), received, sizeof received), static_cast<ssize_t>(bytes.size()));
  EXPECT_EQ(std::string(received, bytes.size()), bytes);
}
