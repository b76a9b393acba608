#pragma once
// Fixture for suites that drive the platform's main run loop: every test gets
// a fresh Virtual-mode loop, and every worker thread it started must have
// ended by the time the test is over (the fixture runs the loop for them).
//
//   class SaveTest : public platform::testsupport::RunLoopTest {};
//   TEST_F(SaveTest, ...) { ...; ASSERT_TRUE(loop().runUntil([&] { return done; }, 5)); }
#include "platform/runloop/run_loop.h"
#include "platform/runloop/thread.h"

#include <gtest/gtest.h>

namespace platform::testsupport {

class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { RunLoop::resetMain(RunLoop::Mode::Virtual); }
  void TearDown() override { finishWorkers(); }

  static RunLoop& loop() { return RunLoop::main(); }

  // Runs the loop until every worker has ended (at most an hour of virtual
  // time, or ten seconds in RealTime mode); a test that leaves one behind
  // fails.
  static void finishWorkers() {
    TimeInterval timeout = loop().mode() == RunLoop::Mode::Virtual ? 3600 : 10;
    if (!loop().stopped())
      loop().runUntil([] { return NSThread::liveWorkerCount() == 0; }, timeout);
    EXPECT_EQ(NSThread::liveWorkerCount(), 0) << "worker threads still alive at the end of the test";
  }
};

}  // namespace platform::testsupport
