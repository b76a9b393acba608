#pragma once
// Fixture: a fresh run loop, and no alerts or animation records left over.
#include "platform/ui/ui_state.h"
#include "tests/platform/run_loop_fixture.h"

namespace platform::testsupport {

class UITest : public RunLoopTest {
 protected:
  void SetUp() override {
    RunLoopTest::SetUp();
    resetUserInterface();
  }
  void TearDown() override {
    resetUserInterface();
    RunLoopTest::TearDown();
  }
};

}  // namespace platform::testsupport
