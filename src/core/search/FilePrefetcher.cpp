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
      room_.wait(lock, [&] { return stopping_ || nextToClaim_ < std::min(paths_.size(), nextToTake_ + ahead_); });
      if (stopping_) return;
      index = nextToClaim_++;
      while (outcomes_.size() <= index - nextToTake_) {
        outcomes_.emplace_back();
        done_.push_back(false);
      }
    }
    FileOutcome outcome = xcExamineFile(paths_[index], options_, matcher_, clock_, buffers);
    {
      std::lock_guard lock(mutex_);
      size_t slot = index - nextToTake_;
      outcomes_[slot] = std::move(outcome);
      done_[slot] = true;
    }
    ready_.notify_all();
  }
}

FileOutcome FilePrefetcher::take(size_t index) {
  std::unique_lock lock(mutex_);
  // Entries are taken in order; the run may only skip ahead by stopping.
  while (nextToTake_ < index) {
    ready_.wait(lock, [&] { return !done_.empty() && done_.front(); });
    outcomes_.pop_front();
    done_.erase(done_.begin());
    ++nextToTake_;
  }
  ready_.wait(lock, [&] { return !done_.empty() && done_.front(); });
  FileOutcome outcome = std::move(outcomes_.front());
  outcomes_.pop_front();
  done_.erase(done_.begin());
  ++nextToTake_;
  lock.unlock();
  room_.notify_all();
  return outcome;
}

}  // namespace varko
