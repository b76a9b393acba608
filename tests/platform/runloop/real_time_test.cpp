// The run loop in RealTime mode: the wall clock and ordinary concurrency.
// Intervals are a few milliseconds; the tests wait on conditions, not sleeps.
#include "platform/runloop/lock.h"
#include "platform/runloop/thread.h"
#include "platform/runloop/timer.h"
#include "tests/platform/run_loop_fixture.h"

#include <atomic>

namespace platform {
namespace {

class RealTimeTest : public testsupport::RunLoopTest {
 protected:
  void SetUp() override { RunLoop::resetMain(RunLoop::Mode::RealTime); }
};

TEST_F(RealTimeTest, TimerFiresOnTheWallClockAndStopEndsRun) {
  ASSERT_EQ(loop().mode(), RunLoop::Mode::RealTime);
  int count = 0;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(
      0.002,
      [&](NSTimer& t) {
        if (++count == 3) {
          t.invalidate();
          RunLoop::main().stop(5);
        }
      },
      true);
  EXPECT_EQ(loop().run(), 5);
  EXPECT_EQ(count, 3);
  EXPECT_GE(loop().now(), 0.006);
}

TEST_F(RealTimeTest, WorkersShareALockAndReachTheMainThread) {
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
  ASSERT_TRUE(loop().runUntil([] { return NSThread::liveWorkerCount() == 0; }, 10));
  EXPECT_EQ(counter, 4000);
  EXPECT_EQ(requests, 4);
}

}  // namespace
}  // namespace platform
