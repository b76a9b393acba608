#pragma once
// Fixtures: a fresh run loop (and, for DeviceUITest, a fresh device), and no
// alerts or animation records left over.
#include "platform/ui/ui_state.h"
#include "tests/platform/device_fixture.h"

namespace platform::testsupport {

template <class Base>
class CleanUserInterface : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    resetUserInterface();
  }
  void TearDown() override {
    resetUserInterface();
    Base::TearDown();
  }
};

using UITest = CleanUserInterface<RunLoopTest>;
using DeviceUITest = CleanUserInterface<DeviceTest>;

}  // namespace platform::testsupport
