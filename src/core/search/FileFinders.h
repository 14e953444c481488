#pragma once
// The two file finders that build the file search list.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>
#include "lib/Clock.h"
#include "lib/Text.h"
#include "search/Directory.h"
#include "search/Mask.h"

namespace varko {

// TFileAttrKind as bits.
enum FileAttrKind : unsigned {
  ffaReadOnly = 1u << 0,
  ffaHidden = 1u << 1,
  ffaSysFile = 1u << 2,
  ffaVolumeID = 1u << 3,
  ffaDirectory = 1u << 4,
  ffaArchive = 1u << 5,
  ffaAnyFile = 1u << 6,
};

// The simple finder: one folder, one mask; lists folders too, and "." and "..".
class TFindFile {
public:
  TFindFile();
  unsigned FileAttr = ffaAnyFile;
  bool InSubFolders = false;
  Text FileMask = u"*.*";

  const Text& Path() const { return path_; }
  // Accepted only when different, not empty and an existing folder.
  void SetPath(const Text& path);

  const TextList& SearchForFiles();
  const TextList& result() const { return result_; }

private:
  void scan(const Text& folder, unsigned attrMask);
  Text path_;
  TextList result_;
};

// A listed folder kept open, so the files found in it can be opened by name alone rather than
// by walking their whole path again. The scan holds it while listing; each file found in it
// holds it until examined; the last to let go closes it. Only so many are open at once, so a
// large tree cannot use up the descriptors: beyond that, files are opened by path.
class FolderHandle {
public:
  // Takes fd, or gives nullptr (fd stays the caller's) when enough folders are held open.
  static FolderHandle* adopt(int fd);
  int fd() const { return fd_; }
  void retain() { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release();
  static int openCount() { return open_.load(); }
  // The most held open at once: half the descriptors the process may have, within bounds.
  static int limit();

private:
  explicit FolderHandle(int fd) : fd_(fd) {}
  ~FolderHandle();
  int fd_;
  std::atomic<int> refs_{1};
  static std::atomic<int> open_;
};

using TProgressCallback = std::function<void(int64_t folders, int64_t files, int64_t searchFiles)>;

// The multi-path finder: several folders and masks, hidden folders on request, date selection,
// progress once a second, stoppable through ContinueScan.
class TZEQFindFiles {
public:
  // clock and processEvents are the run's; processEvents runs after each progress report.
  TZEQFindFiles(const Clock& clock, std::function<void()> processEvents);

  unsigned FileAttr = ffaAnyFile;
  bool InSubFolders = false;
  TextList Paths;
  TextList FileMask;
  bool Sorted = false;
  Text Version = u"2.0";
  unsigned IncludeFields = 0;
  bool SelectOnDates = false;
  DateTimeValue SelectStartDate = 0;
  DateTimeValue SelectEndDate = 0;
  bool SearchHistory = true;
  bool ContinueScan = false;
  TProgressCallback OnProgress;
  // Each entry as it joins the list, for work that starts before the scan ends. With
  // ShareFolders, folder (when not null) is the open folder it is in, held for the receiver,
  // who releases it.
  std::function<void(Text&& path, FolderHandle* folder)> OnFound;
  bool ShareFolders = false;
  // Folders are opened and listed on threads of their own ahead of the scan, so the system
  // calls of listing run beside the scan's own work.
  bool ListAhead = false;
  // Off: entries go only to OnFound and the result list stays empty (the caller keeps them).
  bool KeepList = true;
  int64_t FoundCount() const { return found_; }

  int64_t ProgressFolders() const { return progressFolders_; }
  int64_t ProgressFiles() const { return progressFiles_; }

  // Throws EMaskException when a mask is invalid; the list keeps what was found before.
  const TextList& SearchForFiles();
  const TextList& result() const { return result_; }

private:
  struct Listing;
  class FolderLister;
  void scan(const Text& folder);
  Listing listFolder(const Text& folder) const;  // opened and listed here
  bool entersFolder(const DirectoryEntry& e) const;
  FolderLister* lister_ = nullptr;
  bool nameMatches(const Text& name);
  const Clock& clock_;
  std::vector<std::optional<varko::FileMask>> masks_;
  std::function<void()> processEvents_;
  TextList result_;
  int64_t progressFolders_ = 0;
  int64_t progressFiles_ = 0;
  int64_t found_ = 0;
  DateTimeValue nextReport_ = 0;
};

}  // namespace varko
