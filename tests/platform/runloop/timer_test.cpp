// NSTimer on the main run loop.
#include "platform/runloop/thread.h"
#include "platform/runloop/timer.h"
#include "tests/platform/run_loop_fixture.h"

#include <memory>
#include <vector>

namespace platform {
namespace {

using TimerTest = testsupport::RunLoopTest;

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

TEST_F(TimerTest, LoopKeepsAScheduledTimerAliveUntilInvalidated) {
  auto owner = std::make_shared<int>(0);
  std::weak_ptr<int> watch = owner;
  std::weak_ptr<NSTimer> timer = NSTimer::scheduledTimerWithTimeInterval(
      1, [owner](NSTimer&) { ++*owner; }, true);
  owner.reset();
  loop().runFor(3);
  ASSERT_FALSE(watch.expired());
  EXPECT_EQ(*watch.lock(), 3);
  timer.lock()->invalidate();
  EXPECT_TRUE(timer.expired()) << "an invalidated timer is released by the loop";
  EXPECT_TRUE(watch.expired());
}

TEST_F(TimerTest, InvalidateInsideItsOwnCallbackStopsIt) {
  int count = 0;
  NSTimer::scheduledTimerWithTimeInterval(
      0.5,
      [&](NSTimer& t) {
        if (++count == 3) t.invalidate();
      },
      true);
  loop().runFor(10);
  EXPECT_EQ(count, 3);
}

TEST_F(TimerTest, OneShotTimerFiresOnceAndThenIsInvalid) {
  int count = 0;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(2, [&](NSTimer&) { ++count; }, false);
  EXPECT_TRUE(timer->isValid());
  EXPECT_EQ(timer->fireDate(), 2.0);
  EXPECT_EQ(timer->timeInterval(), 0.0);
  loop().runFor(10);
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(timer->isValid());
}

TEST_F(TimerTest, FireRunsTheCallbackNowAndEndsAOneShotTimer) {
  int count = 0;
  auto oneShot = NSTimer::scheduledTimerWithTimeInterval(2, [&](NSTimer&) { ++count; }, false);
  oneShot->fire();
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(oneShot->isValid());
  loop().runFor(5);
  EXPECT_EQ(count, 1);
  oneShot->fire();
  EXPECT_EQ(count, 1) << "an invalid timer does not fire";

  auto repeating = NSTimer::scheduledTimerWithTimeInterval(1, [&](NSTimer&) { ++count; }, true);
  repeating->fire();
  EXPECT_TRUE(repeating->isValid());
  EXPECT_EQ(repeating->fireDate(), loop().now() + 1) << "fire leaves the schedule alone";
  repeating->invalidate();
}

TEST_F(TimerTest, LateRepeatingTimerFiresOnceAndSkipsMissedTicks) {
  std::vector<TimeInterval> fired;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(
      0.3, [&](NSTimer&) { fired.push_back(RunLoop::main().now()); }, true);
  // The main thread is busy until 1.0: ticks at 0.3, 0.6 and 0.9 are missed.
  loop().postAt(0.1, [] { NSThread::sleepUntilDate(1.0); });
  loop().runFor(1.5);
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0], 1.0);
  EXPECT_DOUBLE_EQ(fired[1], 1.2);
  EXPECT_DOUBLE_EQ(fired[2], 1.5);
  timer->invalidate();
}

TEST_F(TimerTest, NonPositiveIntervalIsRaisedToTheMinimum) {
  int count = 0;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(0, [&](NSTimer&) { ++count; }, true);
  loop().runFor(0.00105);
  EXPECT_EQ(count, 10);
  timer->invalidate();
}

}  // namespace
}  // namespace platform
