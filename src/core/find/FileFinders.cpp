#include "find/FileFinders.h"

#include <sys/vfs.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "lib/Errors.h"
#include "lib/Library.h"
#include "find/Directory.h"
#include "find/Mask.h"

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

bool isExcludedFolder(const TextList& excluded, const Text& name) {
  for (const Text& e : excluded)
    if (xcSameText(e, name)) return true;
  return false;
}

TFindFile::TFindFile() : path_(currentFolder()) {}

void TFindFile::SetPath(const Text& path) {
  if (path == path_ || path.empty() || !xcFolderExists(path)) return;
  path_ = xcIncludeTrailingSeparator(path);
}

const TextList& TFindFile::SearchForFiles() {
  result_.clear();
  excluded_ = 0;
  scan(path_, attributeMask(FileAttr));
  return result_;
}

void TFindFile::scan(const Text& folder, unsigned attrMask) {
  int error = 0;
  auto entries = xcListDirectory(folder, false, &error);
  if (error && OnSkipped) OnSkipped(Text(folder), SkipReason::Unreadable, systemErrorText(error));
  for (const auto& e : entries)
    if (inListing(e, attrMask) && matchesListingPattern(e.name, FileMask)) result_.push_back(folder + e.name);
  if (!InSubFolders) return;
  for (const auto& e : entries) {
    if (!inListing(e, 16) || !e.isFolder || isDots(e.name) || e.isFolderLink) continue;
    if (!ExcludedFolders.empty() && isExcludedFolder(ExcludedFolders, e.name)) {
      ++excluded_;
      if (OnSkipped) OnSkipped(folder + e.name + u"/", SkipReason::ExcludedFolder);
      continue;
    }
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
  int error = 0;  // why it could not be opened or listed to the end
  GitIgnoreFolderPtr git;     // its place in its work tree, when the scan respects .gitignore
  std::vector<bool> ignored;  // the subfolders git ignores, by entry; empty when none
  bool ignoresFolder(size_t i) const { return i < ignored.size() && ignored[i]; }
};

struct TZEQFindFiles::Root {
  Text folder;
  GitIgnoreFolderPtr above;
  Text name;
};

// Lists the folders ahead of the scan, on a thread of its own, and hands the listings over in
// the scan's order: a folder's subfolders come right after it, before its later siblings. The
// scan lists the next folder itself when no thread has started on it, so it seldom waits, and
// the threads stay a bounded number of folders ahead, so the listings' folders can stay open
// and memory stays bounded. Threads are woken only when one sleeps and there is work for it.
class TZEQFindFiles::FolderLister {
public:
  FolderLister(const TZEQFindFiles& finder, const std::vector<Root>& roots, int threads)
      : finder_(finder), window_(1024) {
    for (const auto& root : roots) {
      auto slot = std::make_shared<Slot>(root.folder, root.above, root.name);
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
    listersWake_.notify_all();
    for (auto& t : threads_) t.join();
  }
  // The listing of the next folder in the scan's order.
  Listing next() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (order_.empty() || failed_) return Listing();  // failed: out of memory, nothing more
      std::shared_ptr<Slot> front = order_.front();
      if (front->state == Slot::Ready) break;
      // Rather than wait for a thread that is listing the next folder, the scan lists the
      // next one nobody has started on: the next folder itself at any time, others within the
      // window.
      while (!tasks_.empty() && tasks_.front()->state != Slot::Unlisted) tasks_.pop_front();
      std::shared_ptr<Slot> task;
      if (front->state == Slot::Unlisted)
        task = front;  // left in tasks_: takers skip it
      else if (!tasks_.empty() && readyAhead_ < window_)
        task = tasks_.front();
      if (task) {
        task->state = Slot::Listing;
        lock.unlock();
        Made made = make(*task);
        lock.lock();
        publish(task, made);
        continue;
      }
      scanWaiting_ = true;
      scanWake_.wait(lock, [&] { return front->state == Slot::Ready || failed_; });
      scanWaiting_ = false;
    }
    std::shared_ptr<Slot> slot = std::move(order_.front());
    order_.pop_front();
    --readyAhead_;
    Listing l;
    l.fd = std::exchange(slot->fd, -1);
    if (l.fd >= 0) --openAhead_;
    l.entries = std::move(slot->entries);
    l.error = slot->error;
    l.git = std::move(slot->git);
    l.ignored = std::move(slot->ignored);
    // Woken once the threads have room for a good few folders, not for every one.
    if (listersWaiting_ > 0 && readyAhead_ == window_ / 2) listersWake_.notify_all();
    return l;
  }

private:
  struct Slot {
    enum State { Unlisted, Listing, Ready };
    Slot(Text f, GitIgnoreFolderPtr a, TextView n) : folder(std::move(f)), above(std::move(a)), name(n) {}
    ~Slot() {
      if (fd >= 0) ::close(fd);
    }
    Text folder;
    State state = Unlisted;
    int fd = -1;
    std::vector<DirectoryEntry> entries;
    int error = 0;
    GitIgnoreFolderPtr above;  // the folder above it in its work tree, and its name there
    Text name;
    GitIgnoreFolderPtr git;
    std::vector<bool> ignored;
    std::list<std::shared_ptr<Slot>>::iterator at;  // its place in order_, until handed over
  };
  struct Made {
    TZEQFindFiles::Listing listed;
    std::vector<std::shared_ptr<Slot>> subs;
  };

  // Outside the lock: the system calls and the memory of one folder's listing.
  Made make(const Slot& slot) {
    Made made;
    made.listed = finder_.listFolder(slot.folder, slot.above, slot.name);
    if (finder_.InSubFolders) {
      const auto& entries = made.listed.entries;
      for (size_t i = 0; i < entries.size(); ++i)
        if (finder_.entersFolder(entries[i]) && !made.listed.ignoresFolder(i))
          made.subs.push_back(std::make_shared<Slot>(slot.folder + entries[i].name + u"/", made.listed.git,
                                                     finder_.git_ ? TextView(entries[i].name) : TextView()));
    }
    return made;
  }

  // Under the lock.
  void publish(const std::shared_ptr<Slot>& slot, Made& made) {
    // Kept open for the files in it only within the folder handles' share of the descriptors.
    if (made.listed.fd >= 0 && openAhead_ >= maxOpen_) ::close(std::exchange(made.listed.fd, -1));
    if (made.listed.fd >= 0) ++openAhead_;
    slot->fd = made.listed.fd;
    slot->entries = std::move(made.listed.entries);
    slot->error = made.listed.error;
    slot->git = std::move(made.listed.git);
    slot->ignored = std::move(made.listed.ignored);
    slot->state = Slot::Ready;
    ++readyAhead_;
    auto after = std::next(slot->at);
    for (auto& sub : made.subs) sub->at = order_.insert(after, sub);
    tasks_.insert(tasks_.begin(), made.subs.begin(), made.subs.end());
    if (scanWaiting_ && order_.front() == slot) scanWake_.notify_one();
    if (listersWaiting_ > 0 && !made.subs.empty() && readyAhead_ < window_) listersWake_.notify_all();
  }

  // The next folder for a thread to list, or nullptr when stopping.
  std::shared_ptr<Slot> claim(std::unique_lock<std::mutex>& lock) {
    for (;;) {
      if (stopping_) return nullptr;
      while (!tasks_.empty() && tasks_.front()->state != Slot::Unlisted) tasks_.pop_front();
      if (!tasks_.empty() && readyAhead_ < window_) break;
      ++listersWaiting_;
      listersWake_.wait(lock);
      --listersWaiting_;
    }
    std::shared_ptr<Slot> slot = std::move(tasks_.front());
    tasks_.pop_front();
    slot->state = Slot::Listing;
    return slot;
  }

  void run() {
    try {
      std::unique_lock<std::mutex> lock(mutex_);
      while (std::shared_ptr<Slot> slot = claim(lock)) {
        lock.unlock();
        Made made = make(*slot);
        lock.lock();
        publish(slot, made);
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      failed_ = true;
      scanWake_.notify_all();
    }
  }

  const TZEQFindFiles& finder_;
  const int window_;  // the most folders the threads list ahead of the scan
  // Listed folders not yet taken by the scan stay open, within the folder handles' share of the
  // descriptors, which these become.
  const int maxOpen_ = std::min(2 * window_, FolderHandle::limit() / 4);
  int openAhead_ = 0;
  std::mutex mutex_;
  std::condition_variable scanWake_;
  std::condition_variable listersWake_;
  std::list<std::shared_ptr<Slot>> order_;   // listed or not, in the scan's order
  std::deque<std::shared_ptr<Slot>> tasks_;  // not yet listed, next first; some already taken by the scan
  int readyAhead_ = 0;
  bool scanWaiting_ = false;
  int listersWaiting_ = 0;
  bool stopping_ = false;
  bool failed_ = false;
  std::vector<std::thread> threads_;
};

bool TZEQFindFiles::entersFolder(const DirectoryEntry& e, bool* excluded) const {
  if (!e.isFolder || isDots(e.name) || e.isFolderLink) return false;
  if (e.isHidden && !SearchHistory) return false;
  if (e.isSystem) return false;
  // Read by the listing threads too: the list does not change while a scan runs.
  bool out = !ExcludedFolders.empty() && isExcludedFolder(ExcludedFolders, e.name);
  if (excluded) *excluded = out;
  return !out;
}

const TextList& TZEQFindFiles::SearchForFiles() {
  result_.clear();
  progressFolders_ = 0;
  progressFiles_ = 0;
  found_ = 0;
  excluded_ = 0;
  ignored_ = 0;
  nextReport_ = clock_.now();
  ContinueScan = true;
  masks_.assign(FileMask.size(), std::nullopt);
  // The user's git configuration is read once a scan, before any thread lists.
  git_ = RespectGitignore ? std::make_unique<GitIgnore>() : nullptr;
  std::vector<Root> roots;
  for (const auto& entry : Paths) {
    if (xcTrim(entry).empty() || !xcFolderExists(entry)) continue;
    Root root{xcIncludeTrailingSeparator(entry), nullptr, Text()};
    if (git_) {
      // A start folder is searched even where git ignores it: the user asked for it, and the
      // rules still apply to what it holds.
      GitIgnore::Start start = git_->start(root.folder);
      root.above = std::move(start.above);
      root.name = std::move(start.name);
    }
    roots.push_back(std::move(root));
  }
  std::unique_ptr<FolderLister> lister;
  if (ListAhead) lister = std::make_unique<FolderLister>(*this, roots, 1);
  lister_ = lister.get();
  try {
    for (const auto& root : roots) {
      if (!ContinueScan) break;
      ++progressFolders_;
      scan(root.folder, root.above, root.name);
    }
  } catch (...) {
    lister_ = nullptr;
    throw;
  }
  lister_ = nullptr;
  if (Sorted) std::stable_sort(result_.begin(), result_.end(), xcNameLess);
  return result_;
}

TZEQFindFiles::Listing TZEQFindFiles::listFolder(const Text& folder, const GitIgnoreFolderPtr& above,
                                                TextView name) const {
  Listing l;
  l.fd = openFolder(folder);
  if (l.fd < 0)
    l.error = errno;
  else
    l.entries = listDirectoryFd(l.fd, SelectOnDates, &l.error);
  if (git_) {
    // Subfolders are judged here, where the threads listing ahead need it; files as the scan
    // meets them, only those the masks take.
    l.git = git_->enter(above, name, folder, l.fd, l.entries);
    for (size_t i = 0; i < l.entries.size(); ++i) {
      const DirectoryEntry& e = l.entries[i];
      if (!InSubFolders || !entersFolder(e)) continue;
      // Git never lists its own folder.
      if (e.name == u".git" || (l.git && l.git->ignores(e.name, true))) {
        l.ignored.resize(l.entries.size());
        l.ignored[i] = true;
      }
    }
  }
  return l;
}

void TZEQFindFiles::skipIgnored(Text&& path) {
  ++ignored_;
  if (OnSkipped) OnSkipped(std::move(path), SkipReason::IgnoredByGit);
}

void TZEQFindFiles::scan(const Text& folder, const GitIgnoreFolderPtr& above, TextView name) {
  // Listings come from the lister in this very order, or are made here.
  Listing listed = lister_ ? lister_->next() : listFolder(folder, above, name);
  const GitIgnoreFolder* git = listed.git.get();
  int fd = listed.fd;
  // The folder is open (or -1) here and closed here, or handed on with the files in it, also
  // when a mask turns out invalid.
  FolderRef handle;
  if (ShareFolders && OnFound && fd >= 0) handle = FolderRef::take(fd);
  FileDescriptor unshared(handle ? -1 : fd);
  if (!ContinueScan) return;
  if (listed.error && OnSkipped) OnSkipped(Text(folder), SkipReason::Unreadable, systemErrorText(listed.error));
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
      if (git && git->ignores(e.name, false)) {
        selected = false;
        skipIgnored(folder + e.name);
      } else if (SelectOnDates) {
        selected = !(SelectStartDate > e.lastWrite || SelectEndDate <= 0 || e.lastWrite > SelectEndDate);
        if (!selected && OnSkipped) OnSkipped(folder + e.name, SkipReason::DateWindow);
      }
      if (selected) {
        ++found_;
        if (KeepList) {
          result_.push_back(folder + e.name);
          if (OnFound) OnFound(Text(result_.back()), handle.share());
        } else if (OnFound) {
          // Sized exactly: the path is kept for the whole run.
          Text path;
          path.reserve(folder.size() + e.name.size());
          path.append(folder).append(e.name);
          OnFound(std::move(path), handle.share());
        }
      }
    } else if (OnSkipped && e.isSystem && !e.isFolder && !e.isHidden && nameMatches(e.name)) {
      if (git && git->ignores(e.name, false))
        skipIgnored(folder + e.name);
      else if (e.error)
        OnSkipped(folder + e.name, SkipReason::Unreadable, systemErrorText(e.error));
      else
        OnSkipped(folder + e.name, SkipReason::SpecialFile);
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
  handle.reset();
  unshared.reset();
  if (!InSubFolders) return;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!ContinueScan) break;
    const DirectoryEntry& e = entries[i];
    bool excluded = false;
    if (!entersFolder(e, &excluded)) {
      if (excluded) {
        ++excluded_;
        if (OnSkipped) OnSkipped(folder + e.name + u"/", SkipReason::ExcludedFolder);
      }
      continue;
    }
    if (listed.ignoresFolder(i)) {
      skipIgnored(folder + e.name + u"/");
      continue;
    }
    scan(folder + e.name + u"/", listed.git, e.name);
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

void FolderHandle::reserveDescriptors() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct rlimit rl {};
    if (getrlimit(RLIMIT_NOFILE, &rl) != 0) return;
    rlim_t wanted = static_cast<rlim_t>(limit()) + 256;
    if (rl.rlim_cur != RLIM_INFINITY) wanted = std::min(wanted, rl.rlim_cur);
    // A descriptor at the top of that range makes the table that large; it stays so once closed.
    FileDescriptor root(::open("/", O_PATH | O_CLOEXEC));
    if (root.get() < 0 || wanted < 1) return;
    FileDescriptor high(::fcntl(root.get(), F_DUPFD_CLOEXEC, static_cast<int>(wanted - 1)));
  });
}

void FolderHandle::release() { FolderRef::adopt(this).reset(); }

bool FolderHandle::sizesReliable() const {
  int known = sizesReliable_.load(std::memory_order_relaxed);
  if (known >= 0) return known == 1;
  // File systems known to keep sizes true; any other is asked file by file.
  static constexpr unsigned long kDiskSystems[] = {
      0xEF53,      // ext2, ext3, ext4
      0x58465342,  // xfs
      0x9123683E,  // btrfs
      0x01021994,  // tmpfs
      0x794C7630,  // overlayfs
      0xF2F52010,  // f2fs
      0x2FC12FC1,  // zfs
      0x6969,      // nfs
      0x2011BAB0,  // exfat
      0x4D44,      // vfat
  };
  struct statfs info {};
  bool reliable = ::fstatfs(fd(), &info) == 0 &&
                  std::find(std::begin(kDiskSystems), std::end(kDiskSystems),
                            static_cast<unsigned long>(info.f_type)) != std::end(kDiskSystems);
  sizesReliable_.store(reliable ? 1 : 0, std::memory_order_relaxed);
  return reliable;
}

FolderRef FolderRef::take(int fd) {
  // Counted before it exists, so threads taking folders at once cannot pass the limit together.
  if (FolderHandle::open_.fetch_add(1) >= FolderHandle::limit()) {
    FolderHandle::open_.fetch_sub(1);
    return FolderRef();
  }
  return FolderRef(new FolderHandle(fd));
}

void FolderRef::reset() {
  FolderHandle* handle = std::exchange(handle_, nullptr);
  if (handle && handle->refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete handle;
}

}  // namespace varko
