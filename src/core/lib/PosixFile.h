#pragma once
// Files through POSIX descriptors: one owner of a descriptor, one read loop and one write loop
// that a signal does not cut short, and one way to read a regular file and nothing else.
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include "lib/Text.h"

namespace varko {

// An open descriptor, closed when its owner goes. A failing close is ignored, as nothing could
// be done about it.
class FileDescriptor {
public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }
  // The descriptor is the caller's from now on.
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

private:
  int fd_ = -1;
};

// One read, repeated when a signal interrupts it: the bytes read (0 at the end), or -1 with
// errno set. Inline, as the search reads every file through it.
// A system call repeated while a signal interrupts it: its result, -1 with errno set on failure.
template <class Call>
auto retryInterrupted(Call call) {
  for (;;) {
    auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}

inline ssize_t xcReadSome(int fd, void* to, size_t count) {
  return retryInterrupted([&] { return ::read(fd, to, count); });
}

// Reads until count bytes are in or the file ends: the bytes read, or -1 with errno set.
ssize_t xcReadFull(int fd, void* to, size_t count);

// Writes all count bytes, going on after a signal or a short write: false with errno set on
// failure (ENOSPC when a write makes no progress, as on a full disk).
bool writeFull(int fd, const void* from, size_t count);

// What opening or reading a file gave: 0, an errno value, or this.
inline constexpr int kNotRegularFile = -1;
// "Not a regular file", or the platform's text of the errno value.
Text fileErrorText(int error);

// Opens path for reading when it names a regular file, and nothing else: a FIFO, socket or
// device could block or never end. The name is looked at before the open and the file after
// it, as the name may be replaced in between. Gives 0 and the file and its size, or the error.
int openRegularFile(const std::string& path, FileDescriptor& file, int64_t& size);

// The whole of a regular file: 0, or the error (bytes then hold what was read).
int readRegularFile(const std::string& path, std::string& bytes);

}  // namespace varko
