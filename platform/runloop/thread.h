#pragma once
// NSThread: detached worker threads that the run loop's scheduler knows about.
#include "platform/runloop/run_loop.h"

#include <functional>

namespace platform {

class NSThread {
 public:
  // Starts a detached thread running the task; it counts as busy (holding
  // virtual time back) until it blocks or ends.
  static void detachNewThread(std::function<void()> task);
  // Blocks the calling thread until the loop time reaches `date`. In
  // Virtual mode only platform threads (main, NSThread workers) may sleep:
  // other threads get std::logic_error.
  static void sleepUntilDate(TimeInterval date);
  static void sleepForTimeInterval(TimeInterval seconds);
  // Whether the caller is the thread that created the main run loop.
  static bool isMainThread();
  // Number of detached threads that have not finished yet.
  static int liveWorkerCount();
};

}  // namespace platform
