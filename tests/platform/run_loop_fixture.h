#pragma once
// Fixture: a fresh Virtual-mode main loop per test, no worker left alive after it.
#include "platform/runloop/run_loop.h"
#include "platform/runloop/thread.h"

#include <gtest/gtest.h>

namespace platform::testsupport {

class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { RunLoop::resetMain(RunLoop::Mode::Virtual); }
  void TearDown() override { finishWorkers(); }

  static RunLoop& loop() { return RunLoop::main(); }
  // Runs the loop until every worker has ended; whether they did in time.
  static bool runUntilWorkersEnd(TimeInterval timeout) {
    return loop().runUntil([] { return NSThread::liveWorkerCount() == 0; }, timeout);
  }
  static void finishWorkers() {
    if (!loop().stopped()) runUntilWorkersEnd(loop().mode() == RunLoop::Mode::Virtual ? 3600 : 10);
    EXPECT_EQ(NSThread::liveWorkerCount(), 0) << "worker threads still alive at the end of the test";
  }
};

}  // namespace platform::testsupport
