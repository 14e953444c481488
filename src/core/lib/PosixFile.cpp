#include "lib/PosixFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "lib/Errors.h"

namespace varko {

ssize_t xcReadFull(int fd, void* to, size_t count) {
  auto* bytes = static_cast<char*>(to);
  size_t got = 0;
  while (got < count) {
    ssize_t n = xcReadSome(fd, bytes + got, count - got);
    if (n < 0) return -1;
    if (n == 0) break;  // the file ended, or shrank since its size was taken
    got += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

bool writeFull(int fd, const void* from, size_t count) {
  const auto* bytes = static_cast<const char*>(from);
  while (count > 0) {
    const ssize_t n = ::write(fd, bytes, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

Text fileErrorText(int error) { return error == kNotRegularFile ? Text(u"Not a regular file") : systemErrorText(error); }

int openRegularFile(const std::string& path, FileDescriptor& file, int64_t& size) {
  file.reset();
  size = 0;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return kNotRegularFile;
  // Not blocking, should the name have become a FIFO since.
  FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!opened.isOpen()) return errno;
  if (::fstat(opened.get(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return kNotRegularFile;
  file = std::move(opened);
  size = static_cast<int64_t>(st.st_size);
  return 0;
}

int readRegularFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  FileDescriptor file;
  int64_t size = 0;
  if (int error = openRegularFile(path, file, size)) return error;
  bytes.reserve(static_cast<size_t>(size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = xcReadSome(file.get(), buffer, sizeof buffer);
    if (n < 0) return errno;
    if (n == 0) return 0;
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace varko
