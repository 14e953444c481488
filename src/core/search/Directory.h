#pragma once
// One folder's entries as the finders see them, in a fixed order.
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
                              // dangling link)
  DateTimeValue lastWrite = 0;  // local time, two-second steps
};

// The entries of folder (with trailing '/'), "." and ".." included, sorted by name with the
// letters a-z compared without regard to case, then by bytes. An unreadable folder gives none.
std::vector<DirectoryEntry> xcListDirectory(const Text& folder, bool withDates);
// The same for a folder already open; the descriptor stays open.
std::vector<DirectoryEntry> xcListDirectoryFd(int dirFd, bool withDates);
// A folder opened for listing (-1 when it cannot be).
int xcOpenFolder(const Text& folder);

// Order of names in listings and sorted lists.
bool xcNameLess(const Text& a, const Text& b);

}  // namespace varko
