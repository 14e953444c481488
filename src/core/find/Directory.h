#pragma once
// One folder's entries as the finders see them, in a fixed order.
#include <sys/stat.h>
#include <string>
#include <vector>
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

struct DirectoryEntry {
  Text name;
  bool isFolder = false;      // a folder, or a link to one
  bool isFolderLink = false;  // a symbolic link to a folder: listed, never entered
  bool isHidden = false;      // name starts with "." ("." and ".." are not hidden)
  bool isSystem = false;      // neither a regular file nor a folder (FIFO, socket, device,
                              // dangling link), or an entry that could not be looked at
  int error = 0;              // why the look at it failed (it went, a link loop), else 0
  DateTimeValue lastWrite = 0;  // local time, two-second steps
};

// The entries of folder (with trailing '/'), "." and ".." included, sorted by name with the
// letters a-z compared without regard to case, then by bytes. A folder that cannot be opened or
// read on gives what was listed, and error (when given) gets the errno value; else 0.
std::vector<DirectoryEntry> xcListDirectory(const Text& folder, bool withDates, int* error = nullptr);
// The same for a folder already open; the descriptor stays open.
std::vector<DirectoryEntry> listDirectoryFd(int dirFd, bool withDates, int* error = nullptr);
// A folder opened for listing (-1 with errno set when it cannot be).
int openFolder(const Text& folder);

// open(2) and stat(2) for a path of any length: a path the system refuses as too long is
// reached in pieces it takes. -1 with errno set on failure.
int xcOpenPath(const std::string& path, int flags);
int xcStatPath(const std::string& path, struct stat& st);

// Order of names in listings and sorted lists.
bool xcNameLess(const Text& a, const Text& b);

}  // namespace varko
