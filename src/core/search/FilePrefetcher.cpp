#include "search/FilePrefetcher.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace varko {

int FilePrefetcher::threadsFor(int requested) {
  if (requested >= 0) return requested;
  unsigned cores = std::thread::hardware_concurrency();
  if (cores <= 1) return 0;
  return static_cast<int>(std::min(cores, 8u));
}

PathFeed::PathFeed() : chunks_(new std::unique_ptr<Entry[]>[kChunks]) {}

PathFeed::~PathFeed() { releaseFolders(); }

void PathFeed::releaseFolders() {
  uint64_t n = published_.value();
  for (uint64_t i = 0; i < n; ++i)
    if (FolderHandle* folder = entry(i).folder.exchange(nullptr)) folder->release();
}

void PathFeed::push(const Text& path, FolderHandle* folder) {
  uint64_t n = published_.value();
  size_t chunk = n >> kChunkBits;
  textToPathInto(path, bytes_);
  if (chunk >= kChunks || bytes_.size() > UINT32_MAX) {  // beyond a billion entries the rest are examined by the run
    if (folder) folder->release();
    return;
  }
  if (!chunks_[chunk]) chunks_[chunk].reset(new Entry[size_t{1} << kChunkBits]);
  size_t shared = 0;
  if (n % kRestart != 0) {
    size_t most = std::min(bytes_.size(), previous_.size());
    while (shared < most && bytes_[shared] == previous_[shared]) ++shared;
  }
  size_t rest = bytes_.size() - shared;
  if (roomLeft_ < rest) {
    size_t size = std::max(kBlockBytes, rest);
    blocks_.emplace_back(new char[size]);
    room_ = blocks_.back().get();
    roomLeft_ = size;
  }
  std::memcpy(room_, bytes_.data() + shared, rest);
  Entry& e = entry(n);
  e.bytes = room_;
  e.length = static_cast<uint32_t>(rest);
  e.shared = static_cast<uint32_t>(shared);
  room_ += rest;
  roomLeft_ -= rest;
  previous_.swap(bytes_);
  e.folder.store(folder, std::memory_order_relaxed);
  published_.advance(n + 1);
}

void PathFeed::finish() {
  finished_.store(true);
  published_.wakeAll();
}

FolderHandle* PathFeed::takeFolder(size_t index) {
  if (index >= published_.value()) return nullptr;
  return entry(index).folder.exchange(nullptr);
}

bool PathFeed::finishedCount(size_t& count) const {
  if (!finished_.load()) return false;
  count = published_.value();
  return true;
}

bool PathFeed::at(size_t index, Text& path) {
  // A worker that caught up with the scan sleeps until a few entries are there, not one.
  if (published_.value() <= index) published_.waitFor(index + kWakeAfter, [this] { return finished_.load(); });
  if (index >= published_.value()) return false;
  thread_local std::string bytes;
  bytes.clear();
  for (size_t i = index - index % kRestart; i <= index; ++i) {
    const Entry& e = entry(i);
    bytes.resize(e.shared);
    bytes.append(e.bytes, e.length);
  }
  path = pathToText(bytes);
  return true;
}

FilePrefetcher::FilePrefetcher(PathFeed& feed, const ExamineOptions& options, const LineMatcher& matcher,
                               const Clock& clock, int threads, size_t ahead, size_t heldBytes)
    : feed_(feed), options_(options), matcher_(matcher), clock_(clock), ahead_(std::max<size_t>(ahead, 1)),
      heldCap_(heldBytes), slots_(new Slot[ahead_]) {
  for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

FilePrefetcher::~FilePrefetcher() {
  stopping_.store(true);
  feed_.finish();
  taken_.wakeAll();  // workers waiting for room see the stop
  for (auto& t : workers_) t.join();
  feed_.releaseFolders();  // of entries no worker got to: a stopped run keeps no folder open
}

bool FilePrefetcher::waitForRoom(uint64_t index) {
  // The slot of an entry is free once the run took the entry ahead_ before it; beyond that,
  // outcomes waiting for the run may hold only so many bytes, though the entry the run needs
  // next is always examined. A worker that has to wait sleeps until the run has taken a good
  // few more, so it is not woken for every entry.
  const uint64_t slack = std::min<uint64_t>(64, ahead_ - 1);
  for (;;) {
    if (stopping_.load()) return false;
    uint64_t taken = taken_.value();
    bool full = index >= taken + ahead_;
    bool heavy = index > taken && held_.load(std::memory_order_relaxed) > heldCap_;
    if (!full && !heavy) return true;
    uint64_t target = full ? index + 1 - ahead_ + slack : taken + slack;
    // A run sleeping until a later entry is ready must not wait for this one.
    roomSleepers_.fetch_add(1, std::memory_order_seq_cst);
    if (runWants_.load(std::memory_order_seq_cst) != 0) wakeRun();
    taken_.waitFor(std::min<uint64_t>(target, index), [this] { return stopping_.load(); });
    roomSleepers_.fetch_sub(1, std::memory_order_relaxed);
  }
}

bool FilePrefetcher::handOverPart(uint64_t index, std::unique_ptr<FileOutcome> part) {
  size_t bytes = part->bytesHeld();
  {
    std::lock_guard<std::mutex> lock(partsMutex_);
    parts_[index].push_back(std::move(part));
  }
  held_.fetch_add(bytes, std::memory_order_relaxed);
  partsWaiting_.fetch_add(1, std::memory_order_seq_cst);
  if (runWants_.load(std::memory_order_seq_cst) != 0) wakeRun();
  // A file ahead of the run waits here while too much waits for the run.
  return waitForRoom(index);
}

bool FilePrefetcher::partWaiting(uint64_t index) {
  if (index == kNoEntry || partsWaiting_.load(std::memory_order_seq_cst) == 0) return false;
  std::lock_guard<std::mutex> lock(partsMutex_);
  auto it = parts_.find(index);
  return it != parts_.end() && !it->second.empty();
}

std::unique_ptr<FileOutcome> FilePrefetcher::takePart(uint64_t index) {
  std::unique_ptr<FileOutcome> part;
  {
    std::lock_guard<std::mutex> lock(partsMutex_);
    auto it = parts_.find(index);
    if (it == parts_.end()) return nullptr;
    if (!it->second.empty()) {
      part = std::move(it->second.front());
      it->second.pop_front();
    }
    if (it->second.empty()) parts_.erase(it);
  }
  if (part) {
    partsWaiting_.fetch_sub(1, std::memory_order_relaxed);
    held_.fetch_sub(part->bytesHeld(), std::memory_order_relaxed);
  }
  return part;
}

void FilePrefetcher::work() {
  ExamineBuffers buffers;  // one buffer per worker, reused for every file
  uint64_t current = 0;
  Text path;
  std::unique_ptr<FileOutcome> spare;
  buffers.handOver = [this, &current](std::unique_ptr<FileOutcome> part) {
    return handOverPart(current, std::move(part)) && !stopping_.load();
  };
  for (;;) {
    uint64_t index = nextToClaim_.fetch_add(1);
    current = index;
    if (!feed_.at(index, path) || stopping_.load() || !waitForRoom(index)) return;
    Slot& slot = slots_[index % ahead_];
    // An outcome given back by the run keeps its storage from an earlier file.
    std::unique_ptr<FileOutcome> outcome = std::move(spare);
    if (!outcome) {
      std::lock_guard<std::mutex> lock(poolMutex_);
      if (!pool_.empty()) {
        outcome = std::move(pool_.back());
        pool_.pop_back();
      }
    }
    if (!outcome) outcome = std::make_unique<FileOutcome>();
    FolderHandle* folder = feed_.takeFolder(index);
    xcExamineFile(path, options_, matcher_, clock_, buffers, *outcome, folder ? folder->fd() : -1,
                  folder && folder->sizesReliable());
    if (folder) folder->release();
    if (keepPlain(*outcome, slot.plain)) {
      slot.bytes = 0;
      spare = std::move(outcome);
    } else {
      slot.bytes = outcome->bytesHeld();
      held_.fetch_add(slot.bytes, std::memory_order_relaxed);
      slot.outcome = std::move(outcome);
    }
    slot.ready.store(index + 1, std::memory_order_seq_cst);
    if (runWants_.load(std::memory_order_seq_cst) == index + 1) wakeRun();
  }
}

bool FilePrefetcher::keepPlain(const FileOutcome& outcome, Plain& plain) {
  if (!outcome.lines.empty() || !outcome.textTest.errorText.empty() || !outcome.load.errorText.empty())
    return false;
  plain.linesExamined = outcome.linesExamined;
  plain.matchesInFile = outcome.matchesInFile;
  plain.skipReason = outcome.skipReason;
  plain.skipped = outcome.skipped;
  plain.pathMatch = outcome.pathMatch;
  plain.isText = outcome.textTest.isText;
  plain.loadAttempted = outcome.loadAttempted;
  plain.loaded = outcome.load.loaded;
  plain.cutShort = outcome.load.cutShort;
  plain.tooSlow = outcome.tooSlow;
  plain.shrank = outcome.shrank;
  return true;
}

void FilePrefetcher::fromPlain(const Plain& plain, uint64_t index, FileOutcome& outcome) {
  outcome.reset();
  feed_.at(index, outcome.path);
  outcome.linesExamined = plain.linesExamined;
  outcome.matchesInFile = plain.matchesInFile;
  outcome.skipReason = plain.skipReason;
  outcome.skipped = plain.skipped;
  outcome.pathMatch = plain.pathMatch;
  outcome.textTest.isText = plain.isText;
  outcome.loadAttempted = plain.loadAttempted;
  outcome.load.loaded = plain.loaded;
  outcome.load.cutShort = plain.cutShort;
  outcome.tooSlow = plain.tooSlow;
  outcome.shrank = plain.shrank;
}

void FilePrefetcher::wakeRun() {
  // Through the lock, so the run is either still to look or already asleep; woken after it, so
  // it does not wake only to wait for the lock.
  { std::lock_guard<std::mutex> lock(runMutex_); }
  runWake_.notify_one();
}

void FilePrefetcher::waitReady(uint64_t index, bool next, uint64_t partsOf) {
  Slot& slot = slots_[index % ahead_];
  if (slot.ready.load(std::memory_order_acquire) == index + 1) return;
  std::unique_lock<std::mutex> lock(runMutex_);
  runWants_.store(index + 1, std::memory_order_seq_cst);
  // The next entry is always examined; a later one may wait for room, and then so would the run.
  while (slot.ready.load(std::memory_order_seq_cst) != index + 1 && !partWaiting(partsOf) &&
         (next || roomSleepers_.load(std::memory_order_seq_cst) == 0))
    runWake_.wait(lock);
  runWants_.store(0, std::memory_order_relaxed);
}

std::unique_ptr<FileOutcome> FilePrefetcher::take(size_t index) {
  // Entries are taken in order; the run may only skip ahead by stopping.
  for (uint64_t next = taken_.value();; ++next) {
    Slot& slot = slots_[next % ahead_];
    if (slot.ready.load(std::memory_order_acquire) != next + 1) {
      // Waking the run costs more than examining a small file, so once the run has caught up
      // it sleeps until a batch of entries is ready rather than waking for each one. Workers
      // claim in order and finish almost in order, so the batch's last entry is ready about last.
      size_t total = 0;
      if (next == index) {
        if (auto part = takePart(next)) return part;
      }
      // Only the entry asked for gives its parts; a skipped one is waited for whole.
      uint64_t partsOf = next == index ? next : kNoEntry;
      if (feed_.finishedCount(total) && next < total)
        waitReady(std::min<uint64_t>({next + kBatch, total - 1, next + ahead_ - 1}), false, partsOf);
      waitReady(next, true, partsOf);
      if (next == index && slot.ready.load(std::memory_order_acquire) != next + 1) return take(index);
    }
    // Parts still waiting come before the file's last outcome; those of a skipped entry go.
    if (next == index) {
      if (auto part = takePart(next)) return part;
    } else {
      while (takePart(next)) {
      }
    }
    std::unique_ptr<FileOutcome> outcome = std::move(slot.outcome);
    held_.fetch_sub(slot.bytes, std::memory_order_relaxed);
    if (!outcome && next == index) {
      {
        std::lock_guard<std::mutex> lock(poolMutex_);
        if (!pool_.empty()) {
          outcome = std::move(pool_.back());
          pool_.pop_back();
        }
      }
      if (!outcome) outcome = std::make_unique<FileOutcome>();
      fromPlain(slot.plain, next, *outcome);
    }
    if (next == index) return outcome;
    giveBack(next, std::move(outcome));
  }
}

void FilePrefetcher::giveBack(size_t index, std::unique_ptr<FileOutcome> outcome) {
  if (outcome && outcome->worthReusing()) {
    std::lock_guard<std::mutex> lock(poolMutex_);
    if (pool_.size() < kPoolSize) pool_.push_back(std::move(outcome));
  }
  taken_.advance(index + 1);
}

}  // namespace varko
