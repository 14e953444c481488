#pragma once
// A scripted run host: a clock the test moves, recorded texts and messages, and a hook that runs
// whenever the run lets pending events through (where a test presses Stop).
#include <atomic>
#include <functional>
#include "search/RunHost.h"

namespace varko::test {

class FakeRunHost : public QuietRunHost {
public:
  FakeRunHost() : QuietRunHost(SystemClock::instance()) {}  // now() below is the clock
  DateTimeValue now() const override {
    ++clockReads;
    if (secondsPerClockRead > 0) current += secondsPerClockRead * kOneSecond;
    return current;
  }
  void processEvents() override {
    ++eventRounds;
    if (onEvents) onEvents();
  }
  void setStatusText(const Text& text) override {
    QuietRunHost::setStatusText(text);
    statusHistory.push_back(text);
  }
  void runStateChanged(RunState state) override {
    QuietRunHost::runStateChanged(state);
    stateHistory.push_back(state);
  }

  mutable DateTimeValue current = 45356.5;  // 2024-03-05 12:00
  // Workers read the clock too when a test asks for threads.
  mutable std::atomic<long> clockReads{0};
  double secondsPerClockRead = 0;  // > 0: every read of the clock moves it on
  long eventRounds = 0;
  std::function<void()> onEvents;
  TextList statusHistory;
  std::vector<int> stateHistory;
};

}  // namespace varko::test
