#include "search/Directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <string>

#include "lib/DateTime.h"

namespace varko {

bool xcNameLess(const Text& a, const Text& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = xcUpCaseChar(a[i]), y = xcUpCaseChar(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

int xcOpenFolder(const Text& folder) {
  const std::string path = textToPath(folder);
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0 || errno != ENAMETOOLONG) return fd;
  // A path longer than the system takes at once is opened a folder at a time.
  fd = ::open(path.front() == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (size_t start = 0; fd >= 0 && start < path.size();) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      int next = ::openat(fd, path.substr(start, end - start).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      const int error = errno;
      ::close(fd);
      errno = error;
      fd = next;
    }
    start = end + 1;
  }
  return fd;
}

std::vector<DirectoryEntry> xcListDirectory(const Text& folder, bool withDates) {
  int fd = xcOpenFolder(folder);
  if (fd < 0) return {};
  auto entries = xcListDirectoryFd(fd, withDates);
  ::close(fd);
  return entries;
}

std::vector<DirectoryEntry> xcListDirectoryFd(int dirFd, bool withDates) {
  std::vector<DirectoryEntry> entries;
  alignas(8) char buffer[32 * 1024];
  for (;;) {
    ssize_t got = getdents64(dirFd, buffer, sizeof buffer);
    if (got <= 0) break;  // the end, or a folder that cannot be read on: what was listed stays
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
        e.isSystem = true;  // dangling link or vanished entry
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
