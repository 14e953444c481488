#pragma once
// The two file finders that build the file search list.
#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#include "lib/Clock.h"
#include "lib/PosixFile.h"
#include "lib/Text.h"
#include "find/Directory.h"
#include "find/GitIgnore.h"
#include "find/Mask.h"
#include "find/SkipReason.h"

namespace varko {

// An entry a finder leaves out that the run lists when asked: a folder path ends with '/'; one
// that could not be opened or listed comes with the system's text. A receiver may also take the
// path and reason alone.
class SkippedEntryCallback {
public:
  SkippedEntryCallback() = default;
  SkippedEntryCallback(std::nullptr_t) {}
  template <class F>
    requires std::invocable<F&, Text&&, SkipReason, Text&&>
  SkippedEntryCallback(F f) : call_(std::move(f)) {}
  template <class F>
    requires(!std::invocable<F&, Text&&, SkipReason, Text&&> && std::invocable<F&, Text&&, SkipReason>)
  SkippedEntryCallback(F f)
      : call_([f = std::move(f)](Text&& path, SkipReason reason, Text&&) mutable { f(std::move(path), reason); }) {}

  explicit operator bool() const { return static_cast<bool>(call_); }
  void operator()(Text&& path, SkipReason reason, Text&& detail = Text()) const {
    call_(std::move(path), reason, std::move(detail));
  }

private:
  std::function<void(Text&&, SkipReason, Text&&)> call_;
};

// Folder names (a-z in either case) that neither finder enters, below the start folders.
bool isExcludedFolder(const TextList& excluded, const Text& name);

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

  TextList ExcludedFolders;    // names of subfolders not entered
  SkippedEntryCallback OnSkipped;  // each excluded folder, and each that cannot be listed
  int64_t ExcludedCount() const { return excluded_; }

  const TextList& SearchForFiles();
  const TextList& result() const { return result_; }

private:
  void scan(const Text& folder, unsigned attrMask);
  Text path_;
  TextList result_;
  int64_t excluded_ = 0;
};

// A listed folder kept open, so the files found in it can be opened by name alone rather than
// by walking their whole path again. The scan holds it while listing; each file found in it
// holds it until examined; the last to let go closes it. Only so many are open at once, so a
// large tree cannot use up the descriptors: beyond that, files are opened by path.
// Owners hold it through FolderRef; a raw pointer carries one counted hold across a queue of
// entries, and whoever takes it releases it (or adopts it back into a FolderRef).
class FolderHandle {
public:
  int fd() const { return fd_.get(); }
  void retain() { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release();
  static int openCount() { return open_.load(); }
  // The folder is on a disk file system, where a file's size is the count of its bytes (not
  // procfs or sysfs, whose files read bytes yet have size 0). Asked of the system once.
  bool sizesReliable() const;
  // The most held open at once: half the descriptors the process may have, within bounds.
  static int limit();
  // Grows the process's table of descriptors to hold limit() folders and the files being read.
  // The system grows it by doubling, and in a process with threads each growth waits until
  // every processor has passed a quiescent point: milliseconds each, all threads stalled,
  // several times at the start of a run. Grown once before the run's threads start, it is not.
  static void reserveDescriptors();

private:
  friend class FolderRef;
  explicit FolderHandle(int fd) : fd_(fd) {}  // counted in open_ by FolderRef::take
  ~FolderHandle() { open_.fetch_sub(1); }
  FileDescriptor fd_;
  std::atomic<int> refs_{1};
  mutable std::atomic<int> sizesReliable_{-1};  // not asked yet
  static std::atomic<int> open_;
};

// One hold on an open folder: copies share it, the last one closes it.
class FolderRef {
public:
  FolderRef() = default;
  // Takes fd when fewer than limit() folders are held open; else stays empty and fd stays the
  // caller's.
  static FolderRef take(int fd);
  // Takes over the hold a raw pointer carried (see share).
  static FolderRef adopt(FolderHandle* held) { return FolderRef(held); }
  FolderRef(const FolderRef& other) : handle_(other.share()) {}
  FolderRef(FolderRef&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  FolderRef& operator=(FolderRef other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~FolderRef() { reset(); }

  explicit operator bool() const { return handle_ != nullptr; }
  FolderHandle* get() const { return handle_; }
  int fd() const { return handle_ ? handle_->fd() : -1; }
  // A further hold as a raw pointer (nullptr when empty), for the receiver to release.
  FolderHandle* share() const {
    if (handle_) handle_->retain();
    return handle_;
  }
  void reset();

private:
  explicit FolderRef(FolderHandle* held) : handle_(held) {}
  FolderHandle* handle_ = nullptr;
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
  // Inside a git work tree, leave out what git ignores (and .git itself), each through OnSkipped.
  bool RespectGitignore = false;
  TextList ExcludedFolders;  // names of subfolders not entered
  // Each excluded folder and each that cannot be listed, and, as they are met, the files the
  // masks take that are special files, could not be looked at, or are outside the date window;
  // unset, nothing is looked at for it. With RespectGitignore, also each file the masks take
  // and each folder that git ignores (a start folder is searched all the same).
  SkippedEntryCallback OnSkipped;
  int64_t ExcludedCount() const { return excluded_; }
  int64_t IgnoredCount() const { return ignored_; }  // what git ignores, as reported to OnSkipped

  int64_t ProgressFolders() const { return progressFolders_; }
  int64_t ProgressFiles() const { return progressFiles_; }

  // Throws EMaskException when a mask is invalid; the list keeps what was found before.
  const TextList& SearchForFiles();
  const TextList& result() const { return result_; }

private:
  struct Listing;
  struct Root;
  class FolderLister;
  // above and name: where the folder stands in its work tree (see GitIgnore::enter).
  void scan(const Text& folder, const GitIgnoreFolderPtr& above, TextView name);
  // Opened and listed here.
  Listing listFolder(const Text& folder, const GitIgnoreFolderPtr& above, TextView name) const;
  void skipIgnored(Text&& path);
  // excluded, when given, tells whether the name alone kept it out.
  bool entersFolder(const DirectoryEntry& e, bool* excluded = nullptr) const;
  FolderLister* lister_ = nullptr;
  bool nameMatches(const Text& name);
  const Clock& clock_;
  std::vector<std::optional<varko::FileMask>> masks_;
  std::function<void()> processEvents_;
  TextList result_;
  int64_t progressFolders_ = 0;
  int64_t progressFiles_ = 0;
  int64_t found_ = 0;
  int64_t excluded_ = 0;
  int64_t ignored_ = 0;
  std::unique_ptr<GitIgnore> git_;  // the last scan's, when it respected .gitignore
  DateTimeValue nextReport_ = 0;
};

}  // namespace varko
