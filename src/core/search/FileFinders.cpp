#include "search/FileFinders.h"

#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

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

struct TZEQFindFiles::Listing {
  int fd = -1;
  std::vector<DirectoryEntry> entries;
};

// Lists the folders on threads of their own, ahead of the scan, and hands the listings over in
// the scan's order: a folder's subfolders come right after it. A folder's subfolders are listed
// before its later siblings, so the listings the scan needs next are the ones being made.
class TZEQFindFiles::FolderLister {
public:
  FolderLister(const TZEQFindFiles& finder, const std::vector<Text>& roots, int threads) : finder_(finder) {
    for (const auto& root : roots) {
      auto slot = std::make_shared<Slot>(root);
      slot->at = order_.insert(order_.end(), slot);
      tasks_.push_back(slot);
    }
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
  }
  ~FolderLister() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (auto& t : threads_) t.join();
  }
  // The listing of the next folder in the scan's order.
  Listing next() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return order_.empty() || order_.front()->ready || failed_; });
    if (order_.empty() || !order_.front()->ready) return Listing();  // out of memory: nothing more
    std::shared_ptr<Slot> slot = std::move(order_.front());
    order_.pop_front();
    Listing l;
    l.fd = std::exchange(slot->fd, -1);
    if (l.fd >= 0) --openFolders_;
    l.entries = std::move(slot->entries);
    return l;
  }

private:
  struct Slot {
    explicit Slot(Text f) : folder(std::move(f)) {}
    ~Slot() {
      if (fd >= 0) ::close(fd);
    }
    Text folder;
    bool ready = false;
    int fd = -1;
    std::vector<DirectoryEntry> entries;
    std::list<std::shared_ptr<Slot>>::iterator at;  // its place in order_, until handed over
  };

  void run() {
    try {
      for (;;) {
        std::shared_ptr<Slot> slot;
        {
          std::unique_lock<std::mutex> lock(mutex_);
          changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
          if (stopping_) return;
          slot = std::move(tasks_.front());
          tasks_.pop_front();
        }
        Listing listed = finder_.listFolder(slot->folder);
        int fd = listed.fd;
        std::vector<std::shared_ptr<Slot>> subs;
        if (finder_.InSubFolders)
          for (const auto& e : listed.entries)
            if (finder_.entersFolder(e)) subs.push_back(std::make_shared<Slot>(slot->folder + e.name + u"/"));
        bool keepOpen = false;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          // Kept open for the workers only while few are waiting: a scan far behind must not
          // use up the descriptors.
          keepOpen = fd >= 0 && openFolders_ < maxOpen_;
          if (keepOpen) ++openFolders_;
          slot->fd = keepOpen ? fd : -1;
          slot->entries = std::move(listed.entries);
          slot->ready = true;
          auto after = std::next(slot->at);
          for (auto& sub : subs) sub->at = order_.insert(after, sub);
          tasks_.insert(tasks_.begin(), subs.begin(), subs.end());
        }
        if (!keepOpen && fd >= 0) ::close(fd);
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      failed_ = true;
      changed_.notify_all();
    }
  }

  // Within the folder handles' share of the descriptors, which these become.
  const int maxOpen_ = std::min(256, FolderHandle::limit() / 4);
  const TZEQFindFiles& finder_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::list<std::shared_ptr<Slot>> order_;   // listed or not, in the scan's order
  std::deque<std::shared_ptr<Slot>> tasks_;  // not yet listed, next first
  int openFolders_ = 0;
  bool stopping_ = false;
  bool failed_ = false;
  std::vector<std::thread> threads_;
};

bool TZEQFindFiles::entersFolder(const DirectoryEntry& e) const {
  if (!e.isFolder || isDots(e.name) || e.isFolderLink) return false;
  if (e.isHidden && !SearchHistory) return false;
  return !e.isSystem;
}

const TextList& TZEQFindFiles::SearchForFiles() {
  result_.clear();
  progressFolders_ = 0;
  progressFiles_ = 0;
  found_ = 0;
  nextReport_ = clock_.now();
  ContinueScan = true;
  masks_.assign(FileMask.size(), std::nullopt);
  std::vector<Text> roots;
  for (const auto& entry : Paths)
    if (!xcTrim(entry).empty() && xcFolderExists(entry)) roots.push_back(xcIncludeTrailingSeparator(entry));
  std::unique_ptr<FolderLister> lister;
  if (ListAhead) lister = std::make_unique<FolderLister>(*this, roots, 2);
  lister_ = lister.get();
  try {
    for (const auto& folder : roots) {
      if (!ContinueScan) break;
      ++progressFolders_;
      scan(folder);
    }
  } catch (...) {
    lister_ = nullptr;
    throw;
  }
  lister_ = nullptr;
  if (Sorted) std::stable_sort(result_.begin(), result_.end(), xcNameLess);
  return result_;
}

TZEQFindFiles::Listing TZEQFindFiles::listFolder(const Text& folder) const {
  Listing l;
  l.fd = xcOpenFolder(folder);
  if (l.fd >= 0) l.entries = xcListDirectoryFd(l.fd, SelectOnDates);  // an unreadable folder gives none
  return l;
}

void TZEQFindFiles::scan(const Text& folder) {
  // Listings come from the lister in this very order, or are made here.
  Listing listed = lister_ ? lister_->next() : listFolder(folder);
  int fd = listed.fd;
  // The folder is open (or -1) here and closed here, or handed on with the files in it, also
  // when a mask turns out invalid.
  struct Hold {
    int fd;
    FolderHandle* handle = nullptr;
    void letGo() {
      if (handle)
        handle->release();
      else if (fd >= 0)
        ::close(fd);
      handle = nullptr;
      fd = -1;
    }
    ~Hold() { letGo(); }
  } hold{fd};
  if (ShareFolders && OnFound && fd >= 0) hold.handle = FolderHandle::adopt(fd);
  FolderHandle* handle = hold.handle;
  if (!ContinueScan) return;
  if (FileAttr & ffaDirectory)
    ++progressFolders_;
  else
    ++progressFiles_;
  const std::vector<DirectoryEntry>& entries = listed.entries;
  for (const auto& e : entries) {
    if (!ContinueScan) return;
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
  hold.letGo();
  if (!InSubFolders) return;
  for (const auto& e : entries) {
    if (!ContinueScan) break;
    if (!entersFolder(e)) continue;
    scan(folder + e.name + u"/");
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
