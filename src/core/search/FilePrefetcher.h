#pragma once
// Examines the files of a run on worker threads ahead of the run, handing the outcomes back in
// list order. Workers stay a bounded number of files ahead so memory stays small. Entries are
// claimed and handed over through atomics, so threads meet in the kernel only when one waits.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "lib/Progress.h"
#include "examine/FileExamination.h"
#include "find/FileFinders.h"

namespace varko {

// The entries of a file search list as the scan finds them, so workers can start on the first
// files while later folders are still being listed. One thread pushes; any thread reads.
class PathFeed {
public:
  PathFeed();
  ~PathFeed();
  // folder: the open folder the file is in (or nullptr), held for the entry until taken.
  void push(const Text& path, FolderHandle* folder = nullptr);
  // The entry's folder, once: the taker opens the file in it, then releases it.
  FolderHandle* takeFolder(size_t index);
  // Lets go of the folders of entries not taken.
  void releaseFolders();
  // No more entries will come (also after a failed or stopped scan).
  void finish();
  // Entry index into path, waiting until it is pushed; false when the feed finished before it.
  bool at(size_t index, Text& path);
  // The number of entries, once the feed is finished.
  bool finishedCount(size_t& count) const;

private:
  static constexpr size_t kChunkBits = 14;
  static constexpr size_t kChunks = 65536;
  static constexpr uint64_t kWakeAfter = 16;
  static constexpr size_t kBlockBytes = 256 * 1024;
  // Paths are kept as the system's bytes, one after another in blocks that never move. An entry
  // keeps only what follows the start it shares with the entry before (files of one folder
  // come together), except every kRestart-th, which is whole: a path is rebuilt from there.
  static constexpr size_t kRestart = 8;
  struct Entry {
    const char* bytes = nullptr;
    uint32_t length = 0;
    uint32_t shared = 0;  // leading bytes taken from the entry before
    std::atomic<FolderHandle*> folder{nullptr};
  };
  Entry& entry(size_t index) const { return chunks_[index >> kChunkBits][index & ((size_t{1} << kChunkBits) - 1)]; }
  std::unique_ptr<std::unique_ptr<Entry[]>[]> chunks_;
  std::vector<std::unique_ptr<char[]>> blocks_;  // only the pushing thread touches these
  char* room_ = nullptr;
  size_t roomLeft_ = 0;
  std::string bytes_;
  std::string previous_;  // the last entry's whole path
  Progress published_;
  std::atomic<bool> finished_{false};
};

class FilePrefetcher {
public:
  // feed must outlive the prefetcher; clock.now() must be safe to call from several threads.
  FilePrefetcher(PathFeed& feed, const ExamineOptions& options, const LineMatcher& matcher, const Clock& clock,
                 int threads, size_t ahead = 16384, size_t heldBytes = size_t{2} << 20);
  ~FilePrefetcher();
  FilePrefetcher(const FilePrefetcher&) = delete;
  FilePrefetcher& operator=(const FilePrefetcher&) = delete;

  // The outcome of entry index (0-based), in order: each index is taken once, ascending, and
  // given back once applied, so its storage serves a later entry. A large file's parts
  // (isPart) come first, each taken by a call of its own; they are not given back.
  std::unique_ptr<FileOutcome> take(size_t index);
  void giveBack(size_t index, std::unique_ptr<FileOutcome> outcome);

  // Threads to use; "auto" (negative) means one per core, at most eight.
  static int threadsFor(int requested);

private:
  // Most files give no line and no error: their outcome is kept in its slot in a few bytes, so
  // the workers may run far ahead (while the folders are still listed) in little memory.
  struct Plain {
    int64_t linesExamined = 0;
    int32_t matchesInFile = 0;
    SkipReason skipReason = SkipReason::None;
    bool skipped = false, pathMatch = false, isText = false, loadAttempted = false, loaded = false,
         cutShort = false, tooSlow = false, shrank = false;
  };
  struct Slot {
    std::atomic<uint64_t> ready{0};  // entry index + 1 once its outcome is here
    std::unique_ptr<FileOutcome> outcome;  // or null, and the outcome is plain
    size_t bytes = 0;
    Plain plain;
  };
  static bool keepPlain(const FileOutcome& outcome, Plain& plain);
  void fromPlain(const Plain& plain, uint64_t index, FileOutcome& outcome);
  void work();
  bool handOverPart(uint64_t index, std::unique_ptr<FileOutcome> part);
  std::unique_ptr<FileOutcome> takePart(uint64_t index);
  bool partWaiting(uint64_t index);
  bool waitForRoom(uint64_t index);
  void waitReady(uint64_t index, bool next, uint64_t partsOf);
  void wakeRun();
  static constexpr uint64_t kBatch = 256;
  static constexpr uint64_t kNoEntry = ~uint64_t{0};
  PathFeed& feed_;
  ExamineOptions options_;
  LineMatcher matcher_;
  const Clock& clock_;
  size_t ahead_;
  // Workers stay within ahead_ files and heldCap_ bytes of outcomes not yet taken, so they keep
  // busy while the folders are listed without holding many files' lines.
  size_t heldCap_;
  std::atomic<size_t> held_{0};
  std::unique_ptr<Slot[]> slots_;   // entry i lives in slot i % ahead_
  std::atomic<uint64_t> nextToClaim_{0};
  Progress taken_;  // entries the run has taken: workers sleep on it for room
  std::atomic<bool> stopping_{false};
  // The entry the run sleeps for (index + 1), or 0: the worker that readies it wakes the run.
  std::atomic<uint64_t> runWants_{0};
  std::atomic<int> roomSleepers_{0};  // workers sleeping for room
  std::mutex runMutex_;
  std::condition_variable runWake_;
  std::vector<std::thread> workers_;
  // Outcomes given back, newest last, for the workers to fill again.
  static constexpr size_t kPoolSize = 64;
  std::mutex poolMutex_;
  std::vector<std::unique_ptr<FileOutcome>> pool_;
  // Parts of large files not yet taken, by entry, oldest first.
  std::mutex partsMutex_;
  std::map<uint64_t, std::deque<std::unique_ptr<FileOutcome>>> parts_;
  std::atomic<size_t> partsWaiting_{0};
};

}  // namespace varko
