// The main run loop in Virtual mode, and NSTimer on it.
#include "platform/runloop/lock.h"
#include "platform/runloop/thread.h"
#include "platform/runloop/timer.h"
#include "tests/platform/run_loop_fixture.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using RunLoopTest = testsupport::RunLoopTest;
using TimerTest = testsupport::RunLoopTest;

TEST_F(RunLoopTest, TasksRunByTimeThenQueueOrderAndRunForIncludesItsEnd) {
  std::vector<std::string> ran;
  auto record = [&](std::string what) {
    return [&ran, what] { ran.push_back(what + "@" + std::to_string(RunLoop::main().now())); };
  };
  loop().postAt(2.0, record("b"));
  loop().postAt(1.0, record("a"));
  loop().postAt(2.0, record("c"));
  loop().post(record("now"));
  loop().post(record("then"));
  loop().postAt(10.3, record("end"));
  loop().runFor(10.3);
  EXPECT_EQ(ran, (std::vector<std::string>{"now@0.000000", "then@0.000000", "a@1.000000", "b@2.000000",
                                           "c@2.000000", "end@10.300000"}));
  EXPECT_EQ(loop().now(), 10.3);
}

TEST_F(RunLoopTest, RunUntilStopsWhenTheConditionHoldsOrAtTheTimeout) {
  int count = 0;
  for (int i = 1; i <= 10; ++i) loop().postAt(i, [&] { ++count; });
  EXPECT_TRUE(loop().runUntil([&] { return count == 3; }, 100));
  EXPECT_EQ(loop().now(), 3.0);
  EXPECT_FALSE(loop().runUntil([] { return false; }, 7.5));
  EXPECT_EQ(loop().now(), 10.5);
  EXPECT_EQ(count, 10);
}

// The watchdog is a time limit, not work: the loop stalls when nothing
// else is left, and it fires only while something else moves time on.
TEST_F(RunLoopTest, AWatchdogAloneDoesNotKeepTheLoopFromStalling) {
  bool fired = false, ran = false;
  loop().setWatchdog(10.0, [&] { fired = true; });
  loop().postAt(4.0, [&] { ran = true; });
  EXPECT_EQ(loop().run(), RunLoop::kStalledStatus);
  EXPECT_TRUE(ran);
  EXPECT_FALSE(fired);
  EXPECT_EQ(loop().now(), 4.0);
}

TEST_F(RunLoopTest, AWatchdogFiresWhileOtherWorkGoesOnAndItsTaskMayStopTheLoop) {
  int ticks = 0;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(3.0, [&](NSTimer&) { ++ticks; }, true);
  loop().setWatchdog(10.0, [] { RunLoop::main().stop(7); });
  EXPECT_EQ(loop().run(), 7);
  EXPECT_EQ(loop().now(), 10.0);
  EXPECT_EQ(ticks, 3);
  timer->invalidate();
}

TEST_F(RunLoopTest, AWorkerSleepingOnTheClockLetsTheWatchdogFireAndItsEndIsAStall) {
  NSThread::detachNewThread([] {
    for (int i = 0; i < 8; ++i) NSThread::sleepForTimeInterval(1.0);
  });
  double firedAt = -1;
  loop().setWatchdog(5.5, [&] { firedAt = RunLoop::main().now(); });
  EXPECT_EQ(loop().run(), RunLoop::kStalledStatus);
  EXPECT_EQ(firedAt, 5.5);
  EXPECT_EQ(loop().now(), 8.0);
}

// Paced: time never runs ahead of the wall clock times the speed (a lower
// bound, so machine speed cannot fail it), a paused clock still runs work
// posted from elsewhere, and a loop with nothing to do waits for such work.
TEST_F(RunLoopTest, APacedClockFollowsTheWallClockAndPausedOrIdleItWaitsForPostedWork) {
  const auto start = std::chrono::steady_clock::now();
  loop().setPace(10);
  double ranAt = -1;
  loop().postAt(0.5, [&] { ranAt = RunLoop::main().now(); });
  loop().runUntil([&] { return ranAt >= 0; }, 1);
  EXPECT_EQ(ranAt, 0.5);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

  for (double speed : {0.0, 1.0}) {
    SCOPED_TRACE(speed);
    loop().setPace(speed);
    bool timerFired = false;
    const double pausedAt = loop().now();
    auto timer = NSTimer::scheduledTimerWithTimeInterval(speed == 0 ? 0.001 : 100,
                                                         [&](NSTimer&) { timerFired = true; }, false);
    double first = -1, second = -1;
    std::thread other([&] {
      RunLoop::main().post([&] { first = RunLoop::main().now(); });
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      RunLoop::main().post([&] { second = RunLoop::main().now(); });
    });
    EXPECT_TRUE(loop().runUntil([&] { return second >= 0; }, 1000));
    other.join();
    EXPECT_FALSE(timerFired);
    EXPECT_GE(first, 0.5);
    if (speed == 0)
      EXPECT_TRUE(first == pausedAt && second == first) << "paused: the clock stands still";
    else
      EXPECT_GT(second, first) << "posted work runs at the paced time";
    timer->invalidate();
  }
  std::thread stopper([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RunLoop::main().stop(9);
  });
  EXPECT_EQ(loop().run(), 9) << "nothing scheduled: no stall";
  stopper.join();
}

TEST(RunLoopDeathTest, DeadlockOfEveryPlatformThreadAbortsWithAMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        RunLoop::resetMain(RunLoop::Mode::Virtual);
        NSLock lock;
        lock.lock();
        lock.lock();  // non-recursive: waits for itself
      },
      "deadlock");
}

TEST_F(TimerTest, RepeatingTimerFiresAtStartPlusMultiplesOfItsInterval) {
  loop().runFor(0.05);
  std::vector<TimeInterval> fired;
  NSTimer::scheduledTimerWithTimeInterval(
      0.3, [&](NSTimer&) { fired.push_back(RunLoop::main().now()); }, true);
  loop().runFor(60);
  ASSERT_EQ(fired.size(), 200u);
  for (std::size_t k = 0; k < fired.size(); ++k)
    EXPECT_EQ(fired[k], 0.05 + TimeInterval(k + 1) * 0.3) << "firing " << k;
}

TEST_F(TimerTest, LateRepeatingTimerFiresOnceAndSkipsMissedTicks) {
  std::vector<TimeInterval> fired;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(
      0.3, [&](NSTimer&) { fired.push_back(RunLoop::main().now()); }, true);
  loop().postAt(0.1, [] { NSThread::sleepUntilDate(1.0); });  // misses 0.3, 0.6, 0.9
  loop().runFor(1.5);
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0], 1.0);
  EXPECT_DOUBLE_EQ(fired[1], 1.2);
  EXPECT_DOUBLE_EQ(fired[2], 1.5);
  timer->invalidate();
}

}  // namespace
}  // namespace platform
