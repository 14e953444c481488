#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "lib/Progress.h"

using namespace varko;

// Sleepers with different targets, some far ahead and some a step away, are all woken as the
// count passes their targets; a lost wake-up hangs this test.
TEST(ProgressTest, EverySleeperWakesOnceItsTargetIsReached) {
  for (int round = 0; round < 50; ++round) {
    Progress progress;
    std::atomic<int> woken{0};
    std::vector<std::thread> sleepers;
    std::vector<uint64_t> seen(8, 0);
    for (int k = 0; k < 8; ++k)
      sleepers.emplace_back([&, k] {
        uint64_t target = static_cast<uint64_t>(1 + k * 37 % 200);
        progress.waitFor(target);
        seen[static_cast<size_t>(k)] = progress.value();
        ++woken;
      });
    for (uint64_t v = 1; v <= 200; ++v) progress.advance(v);
    for (auto& t : sleepers) t.join();
    EXPECT_EQ(woken.load(), 8);
    for (int k = 0; k < 8; ++k) EXPECT_GE(seen[static_cast<size_t>(k)], static_cast<uint64_t>(1 + k * 37 % 200));
  }
}

// A sleeper whose target will never come is let go by its own condition and a wake.
TEST(ProgressTest, ASleeperIsLetGoByItsCondition) {
  Progress progress;
  std::atomic<bool> stop{false};
  std::thread sleeper([&] { progress.waitFor(1000, [&] { return stop.load(); }); });
  progress.advance(5);
  stop.store(true);
  progress.wakeAll();
  sleeper.join();
  EXPECT_EQ(progress.value(), 5u);
  progress.waitFor(5);  // already there: returns at once
}
