#pragma once
// UIAcceleration: one accelerometer sample, in units of g along the
// phone's axes (x to the right, y up the screen, z out of the screen), at a
// run-loop time in seconds.
#include "platform/runloop/run_loop.h"

namespace platform {

struct UIAcceleration {
  double x = 0, y = 0, z = 0;
  TimeInterval timestamp = 0;
};

}  // namespace platform
