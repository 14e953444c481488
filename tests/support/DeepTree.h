#pragma once
// A file below folders nested past the system's path limit (PATH_MAX, 4096 bytes), made a level
// at a time as the system refuses the whole path.
#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace varko::test {

// Makes base/dddddddddd/.../leaf.txt, depth folders deep, holding "needle\n"; gives its path.
inline std::string makeDeepFile(const std::string& base, int depth) {
  std::string path = base;
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int level = 0; level < depth && fd >= 0; ++level) {
    int next = ::mkdirat(fd, "dddddddddd", 0755) == 0 ? ::openat(fd, "dddddddddd", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    ::close(fd);
    fd = next;
    path += "dddddddddd/";
  }
  int file = fd >= 0 ? ::openat(fd, "leaf.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644) : -1;
  bool written = file >= 0 && ::write(file, "needle\n", 7) == 7;
  if (file >= 0) ::close(file);
  if (fd >= 0) ::close(fd);
  if (!written) throw std::runtime_error("cannot make the deep tree below " + base);
  return path + "leaf.txt";
}

}  // namespace varko::test
