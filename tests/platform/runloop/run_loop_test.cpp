// The main run loop in Virtual mode: task order, the clock, run/stop and the
// runUntil/runFor drivers.
#include "platform/runloop/lock.h"
#include "platform/runloop/run_loop.h"
#include "tests/platform/run_loop_fixture.h"

#include <string>
#include <vector>

namespace platform {
namespace {

using RunLoopTest = testsupport::RunLoopTest;

TEST_F(RunLoopTest, PostedTasksRunInOrderWithoutMovingTheClock) {
  std::vector<int> ran;
  for (int i = 0; i < 5; ++i) loop().post([&, i] { ran.push_back(i); });
  loop().runFor(0);
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(loop().now(), 0.0);
}

TEST_F(RunLoopTest, TimedEventsRunAtTheirTimeAndInQueueOrderOnTies) {
  std::vector<std::string> ran;
  auto record = [&](std::string what) {
    return [&ran, what] { ran.push_back(what + "@" + std::to_string(RunLoop::main().now())); };
  };
  loop().postAt(2.0, record("b"));
  loop().postAt(1.0, record("a"));
  loop().postAt(2.0, record("c"));
  loop().post(record("now"));
  loop().runFor(10);
  EXPECT_EQ(ran, (std::vector<std::string>{"now@0.000000", "a@1.000000", "b@2.000000",
                                           "c@2.000000"}));
  EXPECT_EQ(loop().now(), 10.0);
}

TEST_F(RunLoopTest, EventInThePastRunsNowAfterThoseAlreadyQueued) {
  loop().runFor(5);
  std::vector<int> ran;
  loop().post([&] { ran.push_back(1); });
  loop().postAt(1.0, [&] { ran.push_back(2); });
  loop().runFor(0);
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  EXPECT_EQ(loop().now(), 5.0);
}

TEST_F(RunLoopTest, RunForIncludesEventsDueExactlyAtTheEnd) {
  bool ran = false;
  loop().postAt(0.3, [&] { ran = true; });
  loop().runFor(0.3);
  EXPECT_TRUE(ran);
}

TEST_F(RunLoopTest, RunUntilStopsAsSoonAsTheConditionHolds) {
  int count = 0;
  for (int i = 1; i <= 10; ++i) loop().postAt(i, [&] { ++count; });
  EXPECT_TRUE(loop().runUntil([&] { return count == 3; }, 100));
  EXPECT_EQ(loop().now(), 3.0);
  EXPECT_EQ(count, 3);
}

TEST_F(RunLoopTest, RunUntilGivesUpAtTheTimeoutWithTheClockThere) {
  EXPECT_FALSE(loop().runUntil([] { return false; }, 7.5));
  EXPECT_EQ(loop().now(), 7.5);
}

TEST_F(RunLoopTest, StopEndsRunWithItsStatusAndIsFinal) {
  loop().postAt(1.0, [] { RunLoop::main().stop(3); });
  bool late = false;
  loop().postAt(2.0, [&] { late = true; });
  EXPECT_EQ(loop().run(), 3);
  EXPECT_TRUE(loop().stopped());
  EXPECT_EQ(loop().now(), 1.0);
  EXPECT_EQ(loop().run(), 3);
  loop().runFor(5);
  EXPECT_FALSE(late);
}

TEST_F(RunLoopTest, RunReportsAStallWhenNothingCanEverHappen) {
  bool ran = false;
  loop().postAt(4.0, [&] { ran = true; });
  EXPECT_EQ(loop().run(), RunLoop::kStalledStatus);
  EXPECT_TRUE(ran);
  EXPECT_EQ(loop().now(), 4.0);
}

TEST_F(RunLoopTest, PerformOnMainThreadWithWaitOnTheMainThreadRunsAtOnce) {
  std::vector<int> ran;
  loop().performOnMainThread([&] { ran.push_back(1); }, false);
  loop().performOnMainThread([&] { ran.push_back(2); }, true);
  EXPECT_EQ(ran, (std::vector<int>{2}));
  loop().runFor(0);
  EXPECT_EQ(ran, (std::vector<int>{2, 1}));
}

TEST_F(RunLoopTest, ResetMainGivesAFreshLoop) {
  bool ran = false;
  loop().postAt(1.0, [&] { ran = true; });
  loop().runFor(0.5);
  RunLoop::resetMain(RunLoop::Mode::Virtual);
  EXPECT_EQ(loop().now(), 0.0);
  loop().runFor(2);
  EXPECT_FALSE(ran);
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

}  // namespace
}  // namespace platform
