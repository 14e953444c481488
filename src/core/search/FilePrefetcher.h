#pragma once
// Examines the files of a run on worker threads ahead of the run, handing the outcomes back in
// list order. Workers stay a bounded number of files ahead so memory stays small.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>
#include "search/FileExamination.h"

namespace varko {

class FilePrefetcher {
public:
  // paths must outlive the prefetcher; clock.now() must be safe to call from several threads.
  FilePrefetcher(const TextList& paths, const ExamineOptions& options, const LineMatcher& matcher,
                 const Clock& clock, int threads, size_t ahead = 256);
  ~FilePrefetcher();
  FilePrefetcher(const FilePrefetcher&) = delete;
  FilePrefetcher& operator=(const FilePrefetcher&) = delete;

  // The outcome of entry index (0-based), in order: each index is taken once, ascending.
  FileOutcome take(size_t index);

  // Threads to use when asked for "auto" (negative), from VARKO_THREADS or the cores.
  static int threadsFor(int requested);

private:
  void work();
  const TextList& paths_;
  ExamineOptions options_;
  LineMatcher matcher_;
  const Clock& clock_;
  size_t ahead_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  size_t nextToClaim_ = 0;
  size_t nextToTake_ = 0;
  std::deque<FileOutcome> outcomes_;  // slot i holds entry nextToTake_ + i
  std::vector<bool> done_;            // parallel to outcomes_
  bool stopping_ = false;
  bool consumerWaiting_ = false;
  int workersWaiting_ = 0;
  std::vector<std::thread> workers_;
};

}  // namespace varko
