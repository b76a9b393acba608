// Worker threads, NSLock and main-thread requests, in virtual and real time.
#include "platform/runloop/lock.h"
#include "platform/runloop/timer.h"
#include "tests/platform/run_loop_fixture.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using ThreadTest = testsupport::RunLoopTest;

// "what@time" lines; only the thread holding the turn runs, so no lock.
struct Trace {
  std::vector<std::string> lines;
  void add(const std::string& what) {
    char at[32];
    std::snprintf(at, sizeof at, "@%.1f", RunLoop::main().now());
    lines.push_back(what + at);
  }
};

TEST_F(ThreadTest, SleepingWorkersAndTimersInterleaveByVirtualTime) {
  Trace trace;
  auto sleeper = [&trace](std::string name, TimeInterval pause) {
    return [&trace, name, pause] {
      for (int i = 0; i < 3; ++i) {
        trace.add(name);
        NSThread::sleepForTimeInterval(pause);
      }
    };
  };
  NSThread::detachNewThread(sleeper("A", 0.5));
  NSThread::detachNewThread(sleeper("B", 0.7));
  auto timer = NSTimer::scheduledTimerWithTimeInterval(0.6, [&](NSTimer&) { trace.add("T"); }, true);
  EXPECT_EQ(NSThread::liveWorkerCount(), 2);
  EXPECT_TRUE(trace.lines.empty()) << "workers wait for their turn";
  loop().runFor(2.0);
  timer->invalidate();
  EXPECT_EQ(trace.lines, (std::vector<std::string>{"A@0.0", "B@0.0", "A@0.5", "T@0.6", "B@0.7",
                                                   "A@1.0", "T@1.2", "B@1.4", "T@1.8"}));
  EXPECT_EQ(NSThread::liveWorkerCount(), 1) << "A has ended at 1.5, B sleeps until 2.1";
}

// Workers contending for one lock, with ties in time everywhere.
std::vector<std::string> contendedRun() {
  RunLoop::resetMain(RunLoop::Mode::Virtual);
  auto lock = std::make_shared<NSLock>();
  auto trace = std::make_shared<Trace>();
  for (int w = 0; w < 4; ++w) {
    NSThread::detachNewThread([lock, trace, w] {
      for (int i = 0; i < 5; ++i) {
        lock->lock();
        trace->add("w" + std::to_string(w) + "+");
        NSThread::sleepForTimeInterval(0.1 * (w % 2));
        trace->add("w" + std::to_string(w) + "-");
        lock->unlock();
        NSThread::sleepForTimeInterval(0.1);
      }
    });
  }
  auto tick = NSTimer::scheduledTimerWithTimeInterval(0.1, [trace](NSTimer&) { trace->add("T"); }, true);
  RunLoop::main().runUntil([] { return NSThread::liveWorkerCount() == 0; }, 60);
  tick->invalidate();
  return trace->lines;
}

TEST_F(ThreadTest, SameProgramGivesTheSameInterleavingEveryRun) {
  auto first = contendedRun();
  std::vector<std::string> held;  // the lock keeps each holder's two lines together
  for (const auto& line : first)
    if (line[0] == 'w') held.push_back(line.substr(0, 3));
  ASSERT_EQ(held.size(), 40u);
  for (std::size_t i = 0; i < held.size(); i += 2) {
    EXPECT_EQ(held[i][2], '+') << i;
    EXPECT_EQ(held[i + 1], held[i].substr(0, 2) + "-") << i;
  }
  for (int run = 0; run < 5; ++run) EXPECT_EQ(contendedRun(), first) << "run " << run;
}

// RealTime mode: the wall clock and ordinary concurrency.
TEST_F(ThreadTest, WorkersShareALockAndReachTheMainThreadInRealTime) {
  RunLoop::resetMain(RunLoop::Mode::RealTime);
  NSLock lock;
  int counter = 0;  // guarded by lock
  std::atomic<int> requests{0};
  for (int w = 0; w < 4; ++w)
    NSThread::detachNewThread([&] {
      for (int i = 0; i < 1000; ++i) {
        lock.lock();
        ++counter;
        lock.unlock();
      }
      RunLoop::main().performOnMainThread(
          [&] { requests += NSThread::isMainThread() ? 1 : 100; }, true);
      NSThread::sleepForTimeInterval(0.001);
    });
  ASSERT_TRUE(runUntilWorkersEnd(10));
  EXPECT_EQ(counter, 4000);
  EXPECT_EQ(requests, 4);
}

}  // namespace
}  // namespace platform
