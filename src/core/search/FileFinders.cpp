#include "search/FileFinders.h"

#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>

#include "lib/Library.h"
#include "search/Directory.h"
#include "search/Mask.h"

namespace varko {

namespace {

unsigned attributeMask(unsigned attrs) {
  if (attrs & ffaAnyFile) return 511;
  unsigned mask = 0;
  if (attrs & ffaReadOnly) mask |= 1;
  if (attrs & ffaHidden) mask |= 2;
  if (attrs & ffaSysFile) mask |= 4;
  if (attrs & ffaVolumeID) mask |= 8;
  if (attrs & ffaDirectory) mask |= 16;
  if (attrs & ffaArchive) mask |= 32;
  return mask;
}

// The listing leaves out an entry whose hidden, system or folder attribute is not in the mask.
bool inListing(const DirectoryEntry& e, unsigned mask) {
  if (e.isHidden && !(mask & 2)) return false;
  if (e.isSystem && !(mask & 4)) return false;
  if (e.isFolder && !(mask & 16)) return false;
  return true;
}

bool isDots(const Text& name) { return name == u"." || name == u".."; }

Text currentFolder() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return u"/";
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return xcIncludeTrailingSeparator(pathToText(buffer));
}

}  // namespace

TFindFile::TFindFile() : path_(currentFolder()) {}

void TFindFile::SetPath(const Text& path) {
  if (path == path_ || path.empty() || !xcFolderExists(path)) return;
  path_ = xcIncludeTrailingSeparator(path);
}

const TextList& TFindFile::SearchForFiles() {
  result_.clear();
  scan(path_, attributeMask(FileAttr));
  return result_;
}

void TFindFile::scan(const Text& folder, unsigned attrMask) {
  auto entries = xcListDirectory(folder, false);
  for (const auto& e : entries)
    if (inListing(e, attrMask) && xcMatchesListingPattern(e.name, FileMask)) result_.push_back(folder + e.name);
  if (!InSubFolders) return;
  for (const auto& e : entries) {
    if (!inListing(e, 16) || !e.isFolder || isDots(e.name) || e.isFolderLink) continue;
    scan(folder + e.name + u"/", attrMask);
  }
}

TZEQFindFiles::TZEQFindFiles(const Clock& clock, std::function<void()> processEvents)
    : clock_(clock), processEvents_(std::move(processEvents)) {}

bool TZEQFindFiles::nameMatches(const Text& name) {
  for (size_t i = 0; i < FileMask.size(); ++i) {
    auto& compiled = masks_[i];
    // Compiled on first use, so an invalid mask fails only when a name meets it.
    if (!compiled) compiled.emplace(FileMask[i]);
    if (compiled->matches(name)) return true;
  }
  return false;
}

const TextList& TZEQFindFiles::SearchForFiles() {
  result_.clear();
  progressFolders_ = 0;
  progressFiles_ = 0;
  found_ = 0;
  nextReport_ = clock_.now();
  ContinueScan = true;
  masks_.assign(FileMask.size(), std::nullopt);
  for (const auto& entry : Paths) {
    if (!ContinueScan) break;
    if (xcTrim(entry).empty() || !xcFolderExists(entry)) continue;
    ++progressFolders_;
    Text folder = xcIncludeTrailingSeparator(entry);
    scan(folder, xcOpenFolder(folder));
  }
  if (Sorted) std::stable_sort(result_.begin(), result_.end(), xcNameLess);
  return result_;
}

void TZEQFindFiles::scan(const Text& folder, int fd) {
  // The folder is open (or -1) on entry and closed here, or handed on with the files in it.
  FolderHandle* handle = nullptr;
  if (ShareFolders && OnFound && fd >= 0) handle = FolderHandle::adopt(fd);
  auto letGo = [&] {
    if (handle)
      handle->release();
    else if (fd >= 0)
      ::close(fd);
  };
  if (!ContinueScan) return letGo();
  if (FileAttr & ffaDirectory)
    ++progressFolders_;
  else
    ++progressFiles_;
  std::vector<DirectoryEntry> entries;
  if (fd >= 0) entries = xcListDirectoryFd(fd, SelectOnDates);  // an unreadable folder gives none
  for (const auto& e : entries) {
    if (!ContinueScan) return letGo();
    // Listing mask 0: hidden files, system files and folders are left out.
    if (!e.isFolder && !e.isHidden && !e.isSystem && nameMatches(e.name)) {
      bool selected = true;
      if (SelectOnDates)
        selected = !(SelectStartDate > e.lastWrite || SelectEndDate <= 0 || e.lastWrite > SelectEndDate);
      if (selected) {
        ++found_;
        if (handle) handle->retain();
        if (KeepList) {
          result_.push_back(folder + e.name);
          if (OnFound) OnFound(result_.back(), handle);
        } else if (OnFound) {
          OnFound(folder + e.name, handle);
        }
      }
    }
    DateTimeValue now = clock_.now();
    if (now > nextReport_) {
      if (OnProgress) OnProgress(progressFolders_, progressFiles_, found_);
      nextReport_ = now + kOneSecond;
      if (processEvents_) processEvents_();
    }
  }
  // Let go before going down, so the scan itself holds one folder open at a time however deep
  // the tree is.
  letGo();
  if (!InSubFolders) return;
  for (const auto& e : entries) {
    if (!ContinueScan) break;
    if (!e.isFolder || isDots(e.name) || e.isFolderLink) continue;
    if (e.isHidden && !SearchHistory) continue;
    if (e.isSystem) continue;
    Text sub = folder + e.name + u"/";
    scan(sub, xcOpenFolder(sub));
  }
}

std::atomic<int> FolderHandle::open_{0};

int FolderHandle::limit() {
  static const int limit = [] {
    struct rlimit rl {};
    if (getrlimit(RLIMIT_NOFILE, &rl) != 0 || rl.rlim_cur == RLIM_INFINITY) return 4096;
    // Room is left for the files being read and whatever else the program has open.
    rlim_t half = rl.rlim_cur / 2;
    return static_cast<int>(std::min<rlim_t>(half > 32 ? half - 32 : 0, 16384));
  }();
  return limit;
}

FolderHandle* FolderHandle::adopt(int fd) {
  if (open_.fetch_add(1) >= limit()) {
    open_.fetch_sub(1);
    return nullptr;
  }
  return new FolderHandle(fd);
}

void FolderHandle::release() {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

FolderHandle::~FolderHandle() {
  ::close(fd_);
  open_.fetch_sub(1);
}

}  // namespace varko
