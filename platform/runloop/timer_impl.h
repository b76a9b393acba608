#pragma once
// NSTimer's state. Internal to platform/runloop.
#include "platform/runloop/loop_core.h"
#include "platform/runloop/timer.h"

#include <atomic>
#include <optional>

namespace platform {

struct NSTimer::Impl {
  std::weak_ptr<detail::LoopCore> loop;
  Callback callback;
  TimeInterval interval = 0;
  TimeInterval start = 0;  // loop time when scheduled
  bool repeats = false;
  std::atomic<bool> valid{true};
  std::atomic<TimeInterval> fireDate{0};
  // Guarded by the loop's mutex.
  std::uint64_t ticks = 0;                          // firings scheduled so far
  std::optional<detail::LoopCore::Key> queued;      // its task in the loop's queue

  // Queues the next firing; caller holds the loop's mutex.
  static void queueNextLocked(const std::shared_ptr<NSTimer>& timer, detail::LoopCore& loop);
  // The loop's task for a due timer.
  static void due(const std::shared_ptr<NSTimer>& timer);
};

}  // namespace platform
