#pragma once
// A regular file mapped read-only for one pass over its bytes. Reading a mapped page past the
// file's end raises SIGBUS, which a file truncated meanwhile would turn into a crash; while a
// mapping lives, a guard answers that signal by putting zero pages in place of the missing
// ones and noting it, so the reader sees NUL bytes and asks truncated() afterwards.
#include <cstddef>

namespace varko {

class MappedFile {
public:
  MappedFile() = default;
  ~MappedFile() { reset(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps size bytes of fd from its start; false (nothing mapped) when the system refuses or
  // every guard place is taken.
  bool map(int fd, size_t size);
  void reset();

  const char* data() const { return data_; }
  size_t size() const { return size_; }
  // Some page could not be read because the file was shorter: its bytes read as zeros.
  bool truncated() const;

private:
  const char* data_ = nullptr;
  size_t size_ = 0;
  int guard_ = -1;  // this mapping's place in the guard's table
};

}  // namespace varko
