#include "search/FilePrefetcher.h"

#include <algorithm>
#include <cstdlib>

namespace varko {

int FilePrefetcher::threadsFor(int requested) {
  if (requested >= 0) return requested;
  if (const char* env = std::getenv("VARKO_THREADS")) {
    int n = std::atoi(env);
    if (n >= 1) return n <= 1 ? 0 : n;  // one thread: the run examines its files itself
  }
  unsigned cores = std::thread::hardware_concurrency();
  if (cores <= 1) return 0;
  return static_cast<int>(std::min(cores, 8u));
}

PathFeed::PathFeed() : chunks_(new std::unique_ptr<Entry[]>[kChunks]) {}

PathFeed::~PathFeed() { releaseFolders(); }

void PathFeed::releaseFolders() {
  uint64_t n = published_.load();
  for (uint64_t i = 0; i < n; ++i)
    if (FolderHandle* folder = entry(i).folder.exchange(nullptr)) folder->release();
}

void PathFeed::push(const Text& path, FolderHandle* folder) {
  uint64_t n = published_.load(std::memory_order_relaxed);
  size_t chunk = n >> kChunkBits;
  if (chunk >= kChunks) {  // beyond a billion entries the rest are examined by the run
    if (folder) folder->release();
    return;
  }
  if (!chunks_[chunk]) chunks_[chunk].reset(new Entry[size_t{1} << kChunkBits]);
  Entry& e = entry(n);
  e.path = path;
  e.folder.store(folder, std::memory_order_relaxed);
  published_.store(n + 1, std::memory_order_release);
  // Waking the workers for every entry would cost more than most files: they are woken for
  // every few, and at the finish.
  if ((n & (kWakeEvery - 1)) == 0) {
    changes_.fetch_add(1);
    changes_.notify_all();
  }
}

void PathFeed::finish() {
  finished_.store(true);
  changes_.fetch_add(1);
  changes_.notify_all();
}

FolderHandle* PathFeed::takeFolder(size_t index) {
  if (index >= published_.load(std::memory_order_acquire)) return nullptr;
  return entry(index).folder.exchange(nullptr);
}

bool PathFeed::finishedCount(size_t& count) const {
  if (!finished_.load()) return false;
  count = published_.load(std::memory_order_acquire);
  return true;
}

const Text* PathFeed::at(size_t index) {
  for (;;) {
    uint64_t seen = changes_.load();
    uint64_t n = published_.load(std::memory_order_acquire);
    if (index < n) return &entry(index).path;
    if (finished_.load()) return nullptr;
    changes_.wait(seen);
  }
}

FilePrefetcher::FilePrefetcher(PathFeed& feed, const ExamineOptions& options, const LineMatcher& matcher,
                               const Clock& clock, int threads, size_t ahead)
    : feed_(feed), options_(options), matcher_(matcher), clock_(clock), ahead_(std::max<size_t>(ahead, 1)),
      slots_(new Slot[ahead_]) {
  for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

FilePrefetcher::~FilePrefetcher() {
  stopping_.store(true);
  feed_.finish();
  // Workers waiting for room look at nextToTake_; move it on so they wake and see the stop.
  nextToTake_.store(UINT64_MAX / 2);
  nextToTake_.notify_all();
  for (auto& t : workers_) t.join();
  feed_.releaseFolders();  // of entries no worker got to: a stopped run keeps no folder open
}

void FilePrefetcher::work() {
  ExamineBuffers buffers;  // one buffer per worker, reused for every file
  for (;;) {
    uint64_t index = nextToClaim_.fetch_add(1);
    const Text* path = feed_.at(index);
    if (!path || stopping_.load()) return;
    // Wait for room: the slot of this entry is free once the run took the entry ahead_ before it.
    for (uint64_t taken = nextToTake_.load(); index >= taken + ahead_; taken = nextToTake_.load()) {
      if (stopping_.load()) return;
      nextToTake_.wait(taken);
    }
    if (stopping_.load()) return;
    Slot& slot = slots_[index % ahead_];
    // An outcome given back by the run keeps its storage from an earlier file.
    std::unique_ptr<FileOutcome> outcome;
    {
      std::lock_guard<std::mutex> lock(poolMutex_);
      if (!pool_.empty()) {
        outcome = std::move(pool_.back());
        pool_.pop_back();
      }
    }
    if (!outcome) outcome = std::make_unique<FileOutcome>();
    FolderHandle* folder = feed_.takeFolder(index);
    xcExamineFile(*path, options_, matcher_, clock_, buffers, *outcome, folder ? folder->fd() : -1);
    if (folder) folder->release();
    slot.outcome = std::move(outcome);
    slot.ready.store(index + 1, std::memory_order_release);
    slot.ready.notify_one();
  }
}

void FilePrefetcher::waitForBatch(uint64_t next) {
  // Waking the run costs more than examining a small file, so once the run has caught up it
  // sleeps until a batch of entries is ready rather than waking for each one. Workers claim in
  // order and finish almost in order, so the batch's last entry is ready about last.
  size_t total = 0;
  if (!feed_.finishedCount(total) || next >= total) return;
  uint64_t last = std::min<uint64_t>({next + kBatch, total - 1, next + ahead_ - 1});
  Slot& slot = slots_[last % ahead_];
  for (uint64_t seen = slot.ready.load(std::memory_order_acquire); seen != last + 1;
       seen = slot.ready.load(std::memory_order_acquire))
    slot.ready.wait(seen, std::memory_order_acquire);
}

std::unique_ptr<FileOutcome> FilePrefetcher::take(size_t index) {
  // Entries are taken in order; the run may only skip ahead by stopping.
  for (uint64_t next = nextToTake_.load();; ++next) {
    Slot& slot = slots_[next % ahead_];
    if (slot.ready.load(std::memory_order_acquire) != next + 1) waitForBatch(next);
    for (uint64_t seen = slot.ready.load(std::memory_order_acquire); seen != next + 1;
         seen = slot.ready.load(std::memory_order_acquire))
      slot.ready.wait(seen, std::memory_order_acquire);
    std::unique_ptr<FileOutcome> outcome = std::move(slot.outcome);
    if (next == index) return outcome;
    giveBack(next, std::move(outcome));
  }
}

void FilePrefetcher::giveBack(size_t index, std::unique_ptr<FileOutcome> outcome) {
  if (outcome && outcome->worthReusing()) {
    std::lock_guard<std::mutex> lock(poolMutex_);
    if (pool_.size() < kPoolSize) pool_.push_back(std::move(outcome));
  }
  nextToTake_.store(index + 1);
  nextToTake_.notify_all();
}

}  // namespace varko
