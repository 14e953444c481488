#include "replace/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace varko {

Text xcSaveStepName(SaveStep step) {
  switch (step) {
    case SaveStep::None: return u"none";
    case SaveStep::CheckUnchanged: return u"check unchanged";
    case SaveStep::WriteTemporary: return u"write temporary file";
    case SaveStep::AppendArchive: return u"append archive";
    case SaveStep::KeepBackup: return u"keep backup";
    case SaveStep::ReplaceOriginal: return u"replace original";
    case SaveStep::SyncFolder: return u"sync folder";
  }
  return Text();
}

int FileSystem::open(const std::string& path, int flags, mode_t mode) {
  int fd;
  do fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

ssize_t FileSystem::read(int fd, void* buffer, size_t count) {
  ssize_t n;
  do n = ::read(fd, buffer, count);
  while (n < 0 && errno == EINTR);
  return n;
}

ssize_t FileSystem::write(int fd, const void* buffer, size_t count) {
  ssize_t n;
  do n = ::write(fd, buffer, count);
  while (n < 0 && errno == EINTR);
  return n;
}

int FileSystem::fsync(int fd) { return ::fsync(fd); }
int FileSystem::fstat(int fd, struct stat& st) { return ::fstat(fd, &st); }
int FileSystem::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileSystem::fchown(int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); }
int FileSystem::ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int FileSystem::close(int fd) { return ::close(fd); }
int FileSystem::link(const std::string& from, const std::string& to) { return ::link(from.c_str(), to.c_str()); }
int FileSystem::rename(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()); }
int FileSystem::unlink(const std::string& path) { return ::unlink(path.c_str()); }

FileSystem& FileSystem::real() {
  static FileSystem fs;
  return fs;
}

bool xcReadAllBytes(FileSystem& fs, const std::string& path, std::string& bytes) {
  bytes.clear();
  // O_NONBLOCK: a FIFO put in the file's place must not stall us.
  int fd = fs.open(path, O_RDONLY | O_NONBLOCK, 0);
  if (fd < 0) return false;
  struct stat st {};
  if (fs.fstat(fd, st) != 0) {
    int saved = errno;
    fs.close(fd);
    errno = saved;
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    fs.close(fd);
    errno = EINVAL;
    return false;
  }
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = fs.read(fd, buffer, sizeof buffer);
    if (n < 0) {
      int saved = errno;
      fs.close(fd);
      errno = saved;
      return false;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  fs.close(fd);
  return true;
}

bool xcWriteAllBytes(FileSystem& fs, int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = fs.write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) return false;
    if (n == 0) {  // a write that makes no progress: the disk is full
      errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool xcSyncFolderOf(FileSystem& fs, const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int fd = fs.open(folder, O_RDONLY | O_DIRECTORY, 0);
  if (fd < 0) return false;
  int rc = fs.fsync(fd);
  int saved = errno;
  fs.close(fd);
  errno = saved;
  return rc == 0;
}

}  // namespace varko
