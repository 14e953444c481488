#include "lib/PosixFile.h"

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

TEST(posix_file_test, only_a_regular_file_is_read) {
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
    const int error = xcReadRegularFile(dir.file(c.name), bytes);
    EXPECT_EQ(error, c.expectedError) << c.name;
    if (error == 0)
      EXPECT_EQ(bytes, c.expectedText) << c.name;
    else
      EXPECT_EQ(xcFileErrorText(error), fromAscii(c.expectedText)) << c.name;
  }
}

TEST(posix_file_test, full_read_stops_at_the_end_and_the_descriptor_closes_with_its_owner) {
  TempDir dir;
  FileDescriptor file;
  int64_t size = 0;
  ASSERT_EQ(xcOpenRegularFile(dir.write("a.txt", "abc"), file, size), 0);
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
