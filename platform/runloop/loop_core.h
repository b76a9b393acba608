#pragma once
// The state behind the main run loop: its scheduler and its queue of timed
// tasks. Internal to platform/. A LoopCore is shared by the RunLoop that owns
// it, the worker threads started on it and (weakly) its timers, so a worker
// left behind by RunLoop::resetMain never touches freed memory.
#include "platform/runloop/run_loop.h"
#include "platform/runloop/scheduler.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

namespace platform::detail {

class LoopCore {
 public:
  // Identifies a queued task: its loop time and its place among tasks queued
  // for the same time.
  using Key = std::pair<TimeInterval, std::uint64_t>;

  // The calling thread becomes the loop's main thread.
  explicit LoopCore(RunLoop::Mode mode);
  ~LoopCore();

  Scheduler& scheduler() { return scheduler_; }

  // Queues a task for the main thread at loop time `when` (not earlier than
  // now), after tasks already queued for that time. Any thread.
  Key schedule(TimeInterval when, RunLoop::Task task);
  // The same with the scheduler's mutex already held by the caller.
  Key scheduleLocked(TimeInterval when, RunLoop::Task task);
  // Takes a queued task off the queue and hands it back, so that the caller
  // destroys it outside the mutex. Caller holds the scheduler's mutex.
  RunLoop::Task cancelLocked(const Key& key);

  // Makes the main thread look at the queue again if it idles (other threads
  // call this after queueing through scheduleLocked).
  void wakeMain();

  void performOnMainThread(RunLoop::Task task, bool waitUntilDone);
  void stop(int status);
  bool stopped();
  void setObserver(RunLoop::Task observer) { observer_ = std::move(observer); }
  void setWatchdog(TimeInterval when, RunLoop::Task task);
  int run();
  bool runUntil(const std::function<bool()>& condition, TimeInterval timeout);
  void runFor(TimeInterval seconds);

  // Drops every queued task; the loop runs nothing more. Called when the
  // owning RunLoop goes away.
  void shutdown();

 private:
  enum class Exit { Stopped, Condition, Deadline, Stalled };
  Exit loop(const std::function<bool()>* condition, TimeInterval deadline);

  Scheduler scheduler_;
  std::shared_ptr<Participant> main_;
  // Guarded by scheduler_.mutex().
  std::map<Key, RunLoop::Task> queue_;
  std::uint64_t nextSeq_ = 0;
  bool stopped_ = false;
  int status_ = 0;
  RunLoop::Task observer_;  // main thread only
  // Guarded by scheduler_.mutex(): the watchdog's time and task.
  TimeInterval watchdogAt_ = kNever;
  RunLoop::Task watchdog_;
};

// The current main run loop's core (creating the loop on first use).
std::shared_ptr<LoopCore> mainLoopCore();

}  // namespace platform::detail

namespace platform {
struct RunLoop::Impl {
  std::shared_ptr<detail::LoopCore> core;
};
}  // namespace platform
