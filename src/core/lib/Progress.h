#pragma once
// A count that only grows, which threads can sleep on until it reaches a target. Moving it on
// costs two atomic operations unless a sleeper's target is reached: waking is the expensive part,
// so it happens only for someone who asked, and a sleeper can ask for a target a little further
// on to be woken once for several steps.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace varko {

class Progress {
public:
  uint64_t value() const { return value_.load(std::memory_order_acquire); }

  void advance(uint64_t to) {
    value_.store(to, std::memory_order_seq_cst);
    if (to >= wanted_.load(std::memory_order_seq_cst)) wakeAll();
  }

  // Wakes every sleeper, whatever it waits for (it then looks again at what it needs).
  void wakeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    wanted_.store(kNobody, std::memory_order_relaxed);
    changed_.notify_all();
  }

  // Sleeps until the count reaches target or done() holds; done is looked at after every wake.
  template <class Done>
  void waitFor(uint64_t target, Done done) {
    if (value() >= target || done()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      // Announced before looking again, so an advance in between either is seen here or sees us.
      if (target < wanted_.load(std::memory_order_relaxed)) wanted_.store(target, std::memory_order_seq_cst);
      if (value_.load(std::memory_order_seq_cst) >= target || done()) return;
      changed_.wait(lock);
    }
  }
  void waitFor(uint64_t target) {
    waitFor(target, [] { return false; });
  }

private:
  static constexpr uint64_t kNobody = UINT64_MAX;
  std::atomic<uint64_t> value_{0};
  std::atomic<uint64_t> wanted_{kNobody};  // the lowest target anyone sleeps for
  std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace varko
