#pragma once
// NSTimer: a one-shot or repeating timer on the main run loop.
//
// A scheduled timer is held by the run loop until it is invalidated (or, for
// a one-shot timer, until it fires), so callers may drop their pointer.
// A repeating timer fires at start + k × interval; when the loop falls behind
// it fires once and skips the missed ticks, as the phone's timers do.
#include "platform/runloop/run_loop.h"

#include <functional>
#include <memory>

namespace platform {

class NSTimer : public std::enable_shared_from_this<NSTimer> {
 public:
  using Callback = std::function<void(NSTimer&)>;

  // Schedules on the main run loop; the first firing is `interval` from now
  // (an interval below 0.1 ms is raised to 0.1 ms). Any thread; the
  // callback runs on the main thread.
  static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(
      TimeInterval interval, Callback callback, bool repeats);

  void invalidate();    // stops it for good; safe inside its own callback

  struct Impl;
  ~NSTimer();

 private:
  NSTimer() = default;
  std::unique_ptr<Impl> impl_;
  friend struct Impl;
};

}  // namespace platform
