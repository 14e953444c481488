#include "find/Directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <string_view>

#include "lib/DateTime.h"

namespace varko {

namespace {

void closeKeepingErrno(int fd) {
  const int error = errno;
  ::close(fd);
  errno = error;
}

// A folder whose path is longer than the system takes at once, opened in pieces it takes, each
// from the one before.
int openFolderInPieces(std::string_view path) {
  int at = AT_FDCWD;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.size();
    if (end - start >= PATH_MAX) {
      end = path.rfind('/', start + PATH_MAX - 1);
      if (end == std::string_view::npos || end <= start) {  // one name beyond the limit
        if (at >= 0) ::close(at);
        errno = ENAMETOOLONG;
        return -1;
      }
    }
    const std::string piece(path.substr(start, end - start));
    const int next = ::openat(at, piece.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (at >= 0) closeKeepingErrno(at);
    if (next < 0) return -1;
    at = next;
    start = end;
    while (start < path.size() && path[start] == '/') ++start;
  }
  if (at >= 0) return at;
  errno = ENOENT;
  return -1;
}

// Calls f(folder, name) with the folder holding path's last name opened in pieces; "." when the
// path ends with '/'.
template <class F>
int atParent(const std::string& path, F f) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return f(AT_FDCWD, path.c_str());
  std::string name = path.substr(slash + 1);
  if (name.empty()) name = ".";
  const int folder = openFolderInPieces(std::string_view(path).substr(0, slash == 0 ? 1 : slash));
  if (folder < 0) return -1;
  const int result = f(folder, name.c_str());
  closeKeepingErrno(folder);
  return result;
}

}  // namespace

bool xcNameLess(const Text& a, const Text& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = xcUpCaseChar(a[i]), y = xcUpCaseChar(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

int xcOpenPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags);
  if (fd >= 0 || errno != ENAMETOOLONG) return fd;
  return atParent(path, [flags](int folder, const char* name) { return ::openat(folder, name, flags); });
}

int xcStatPath(const std::string& path, struct stat& st) {
  if (::stat(path.c_str(), &st) == 0) return 0;
  if (errno != ENAMETOOLONG) return -1;
  return atParent(path, [&st](int folder, const char* name) { return ::fstatat(folder, name, &st, 0); });
}

int openFolder(const Text& folder) { return xcOpenPath(textToPath(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

std::vector<DirectoryEntry> xcListDirectory(const Text& folder, bool withDates, int* error) {
  const int fd = openFolder(folder);
  if (fd < 0) {
    if (error) *error = errno;
    return {};
  }
  auto entries = listDirectoryFd(fd, withDates, error);
  ::close(fd);
  return entries;
}

std::vector<DirectoryEntry> listDirectoryFd(int dirFd, bool withDates, int* error) {
  if (error) *error = 0;
  std::vector<DirectoryEntry> entries;
  alignas(8) char buffer[32 * 1024];
  for (;;) {
    ssize_t got = getdents64(dirFd, buffer, sizeof buffer);
    if (got < 0 && error) *error = errno;  // a folder removed since it was opened: ENOENT
    if (got <= 0) break;  // what was listed stays
    for (ssize_t at = 0; at < got;) {
      const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
      at += d->d_reclen;
      DirectoryEntry e;
      std::string_view name(d->d_name);
      e.name = pathToText(name);
      bool dots = name == "." || name == "..";
      e.isHidden = !dots && name.front() == '.';
      // d_type spares a stat for plain files and folders; links and unknown types need one.
      bool needStat = withDates || d->d_type == DT_LNK || d->d_type == DT_UNKNOWN;
      struct stat st {};
      if (!needStat) {
        if (d->d_type == DT_DIR)
          e.isFolder = true;
        else if (d->d_type != DT_REG)
          e.isSystem = true;
      } else if (fstatat(dirFd, d->d_name, &st, 0) != 0) {
        e.isSystem = true;
        // A link to nothing is a special file; any other entry that cannot be looked at has its
        // reason (it went since it was listed, a link loop).
        const int failed = errno;
        struct stat lst;
        if (failed != ENOENT || fstatat(dirFd, d->d_name, &lst, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(lst.st_mode))
          e.error = failed;
      } else if (S_ISDIR(st.st_mode)) {
        e.isFolder = true;
        if (!dots) {
          struct stat lst;
          e.isFolderLink = d->d_type == DT_LNK ||
                           (d->d_type == DT_UNKNOWN &&
                            fstatat(dirFd, d->d_name, &lst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(lst.st_mode));
        }
      } else if (!S_ISREG(st.st_mode)) {
        e.isSystem = true;
      }
      if (withDates && !e.isSystem) e.lastWrite = xcUnixToDateTime(st.st_mtime, true);
      entries.push_back(std::move(e));
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return xcNameLess(a.name, b.name); });
  return entries;
}

}  // namespace varko
