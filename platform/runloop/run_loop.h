#pragma once
// The main run loop and its clock.
//
// One main run loop per process runs all user-interface work: posted tasks,
// timers and main-thread requests, one at a time, on the thread that called
// run(). Any thread may post to it.
//
// Two clock modes:
//  - Virtual (simulator and tests): time starts at 0 and only moves when
//    nothing can run: the main thread has no task due, and every worker
//    thread started through NSThread is blocked (sleeping in sleepUntilDate,
//    waiting on an NSLock, or waiting for a main-thread request). Time then
//    jumps to the earliest due timer or sleeper. Platform threads take turns
//    (only one runs at a time) in a fixed order, so the same inputs give the
//    same results on every run, at any machine speed.
//  - RealTime (interactive use): the wall clock; timers wait for real.
#include <functional>
#include <memory>

namespace platform {

using TimeInterval = double;  // seconds

class RunLoop {
 public:
  enum class Mode { Virtual, RealTime };
  using Task = std::function<void()>;

  // The process's main run loop. Created on first use in Virtual mode.
  static RunLoop& main();
  // Replaces the main run loop with a fresh one (tests: one per test; the
  // simulator: once at start). No worker of the old loop may still run.
  static void resetMain(Mode mode);

  Mode mode() const;
  // Seconds since the loop's start (virtual or wall clock).
  TimeInterval now() const;

  // Queues a task for the main thread, after those already queued. Any thread.
  void post(Task task);
  // Runs the task on the main thread. With wait, returns once it has run;
  // called on the main thread with wait, runs it at once.
  void performOnMainThread(Task task, bool waitUntilDone);
  // Runs the task on the main thread at the given loop time (a one-shot
  // event, as a scenario schedules its touches and samples).
  void postAt(TimeInterval when, Task task);

  // Runs until stop(); returns the status given to stop(). Main thread only.
  int run();
  // Runs until the condition holds (checked between tasks) or the loop time
  // reaches now() + timeout; returns whether the condition held. For tests.
  bool runUntil(const std::function<bool()>& condition, TimeInterval timeout);
  // Runs everything due up to now() + seconds, then returns.
  void runFor(TimeInterval seconds);
  // Ends run() with the status once the current task returns. Any thread.
  void stop(int status);
  bool stopped() const;

  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  explicit RunLoop(Mode mode);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
