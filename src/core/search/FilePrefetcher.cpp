#include "search/FilePrefetcher.h"

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

FilePrefetcher::FilePrefetcher(const TextList& paths, const ExamineOptions& options, const LineMatcher& matcher,
                               const Clock& clock, int threads, size_t ahead)
    : paths_(paths), options_(options), matcher_(matcher), clock_(clock), ahead_(ahead) {
  for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

FilePrefetcher::~FilePrefetcher() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  room_.notify_all();
  ready_.notify_all();
  for (auto& t : workers_) t.join();
}

void FilePrefetcher::work() {
  ExamineBuffers buffers;  // one buffer per worker, reused for every file
  for (;;) {
    size_t index;
    {
      std::unique_lock lock(mutex_);
      ++workersWaiting_;
      room_.wait(lock, [&] { return stopping_ || nextToClaim_ < std::min(paths_.size(), nextToTake_ + ahead_); });
      --workersWaiting_;
      if (stopping_) return;
      index = nextToClaim_++;
      while (outcomes_.size() <= index - nextToTake_) {
        outcomes_.emplace_back();
        done_.push_back(false);
      }
    }
    FileOutcome outcome = xcExamineFile(paths_[index], options_, matcher_, clock_, buffers);
    bool wake;
    {
      std::lock_guard lock(mutex_);
      size_t slot = index - nextToTake_;
      outcomes_[slot] = std::move(outcome);
      done_[slot] = true;
      // Wake the run only when it waits for this very entry: fewer switches between threads.
      wake = consumerWaiting_ && slot == 0;
    }
    if (wake) ready_.notify_one();
  }
}

FileOutcome FilePrefetcher::take(size_t index) {
  std::unique_lock lock(mutex_);
  auto frontReady = [&] { return !done_.empty() && done_.front(); };
  auto waitFront = [&] {
    consumerWaiting_ = true;
    ready_.wait(lock, frontReady);
    consumerWaiting_ = false;
  };
  // Entries are taken in order; the run may only skip ahead by stopping.
  while (nextToTake_ < index) {
    waitFront();
    outcomes_.pop_front();
    done_.erase(done_.begin());
    ++nextToTake_;
  }
  waitFront();
  FileOutcome outcome = std::move(outcomes_.front());
  outcomes_.pop_front();
  done_.erase(done_.begin());
  ++nextToTake_;
  bool wake = workersWaiting_ > 0;
  lock.unlock();
  if (wake) room_.notify_all();
  return outcome;
}

}  // namespace varko
