#include "save/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "lib/PosixFile.h"

namespace varko {

Text saveStepName(SaveStep step) {
  switch (step) {
    case SaveStep::None: return u"none";
    case SaveStep::CheckUnchanged: return u"check unchanged";
    case SaveStep::WriteTemporary: return u"write temporary file";
    case SaveStep::AppendArchive: return u"append archive";
    case SaveStep::KeepBackup: return u"keep backup";
    case SaveStep::RecordUndo: return u"record undo";
    case SaveStep::ReplaceOriginal: return u"replace original";
    case SaveStep::SyncFolder: return u"sync folder";
  }
  return Text();
}

int FileSystem::open(const std::string& path, int flags, mode_t mode) {
  return retryInterrupted([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
}

ssize_t FileSystem::read(int fd, void* buffer, size_t count) { return xcReadSome(fd, buffer, count); }

ssize_t FileSystem::write(int fd, const void* buffer, size_t count) {
  return writeFull(fd, buffer, count) ? static_cast<ssize_t>(count) : -1;
}

int FileSystem::fsync(int fd) { return ::fsync(fd); }
int FileSystem::fstat(int fd, struct stat& st) { return ::fstat(fd, &st); }
int FileSystem::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileSystem::fchown(int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); }
int FileSystem::fsetxattr(int fd, const char* name, const void* value, size_t size) {
  return ::fsetxattr(fd, name, value, size, 0);
}
int FileSystem::flock(int fd, int operation) {
  return retryInterrupted([&] { return ::flock(fd, operation); });
}
int FileSystem::ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int FileSystem::close(int fd) { return ::close(fd); }
int FileSystem::link(const std::string& from, const std::string& to) { return ::link(from.c_str(), to.c_str()); }
int FileSystem::rename(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()); }
int FileSystem::unlink(const std::string& path) { return ::unlink(path.c_str()); }

FileSystem& FileSystem::real() {
  static FileSystem fs;
  return fs;
}

bool readAllBytes(FileSystem& fs, const std::string& path, std::string& bytes) {
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

bool writeAllBytes(FileSystem& fs, int fd, std::string_view bytes) {
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

std::string xcFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool syncFolderOf(FileSystem& fs, const std::string& path) {
  int fd = fs.open(xcFolderOf(path), O_RDONLY | O_DIRECTORY, 0);
  if (fd < 0) return false;
  int rc = fs.fsync(fd);
  int saved = errno;
  fs.close(fd);
  errno = saved;
  return rc == 0;
}

bool copyExtendedAttributes(FileSystem& fs, int from, int to, std::string& failedName) {
  std::vector<char> names;
  for (;;) {
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0) return errno == ENOTSUP;  // a file system without attributes has none to lose
    names.resize(static_cast<size_t>(size));
    const ssize_t got = size == 0 ? 0 : ::flistxattr(from, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<size_t>(got));
      break;
    }
    if (errno != ERANGE) return false;  // the list grew meanwhile: ask again
  }
  std::vector<char> value;
  // The access ACL last: setting the mode before it (fchmod) would otherwise rewrite its mask.
  std::vector<std::string> ordered;
  for (size_t at = 0; at < names.size();) {
    std::string name(names.data() + at);
    at += name.size() + 1;
    if (name.empty()) continue;
    if (name == "system.posix_acl_access") ordered.push_back(name);
    else ordered.insert(ordered.begin(), name);
  }
  for (const std::string& name : ordered) {
    ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
    if (size >= 0) {
      value.resize(static_cast<size_t>(size));
      size = ::fgetxattr(from, name.c_str(), value.data(), value.size());
    }
    // What we may not read we cannot lose either: the system hides it from us alone.
    if (size < 0) {
      if (errno == EPERM || errno == EACCES || errno == ENODATA) continue;
      failedName = name;
      return false;
    }
    if (fs.fsetxattr(to, name.c_str(), value.data(), static_cast<size_t>(size)) != 0) {
      failedName = name;
      return false;
    }
  }
  return true;
}

}  // namespace varko
