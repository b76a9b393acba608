#pragma once
// The main run loop and its clock.
//
// One main run loop per process runs all user-interface work: posted tasks,
// timers and main-thread requests, one at a time, on the main thread: the
// thread that created the loop (its first user, or the caller of
// resetMain). Any thread may post to it.
//
// Two clock modes:
//  - Virtual (simulator and tests): time starts at 0 and only moves when
//    nothing can run: the main thread has no task due, and every worker
//    thread started through NSThread is blocked (sleeping in sleepUntilDate,
//    waiting on an NSLock, or waiting for a main-thread request). Time then
//    jumps to the earliest due timer or sleeper. Platform threads take turns
//    (only one runs at a time) in a fixed order, so the same inputs give the
//    same results on every run, at any machine speed.
//    Paced (setPace), the virtual clock follows the wall clock instead of
//    jumping ahead of it, with the same turn-taking.
//  - RealTime: the wall clock; timers wait for real.
//
// Tasks due at the same loop time run in the order they were queued. In
// Virtual mode platform threads must block through the platform
// (sleepUntilDate, NSLock, waiting main-thread requests) to let others run:
// a worker that spins holds virtual time still, and one that blocks on
// anything else (a std::mutex held by a thread waiting for its turn, a
// join) stops them all.
#include <climits>
#include <functional>
#include <memory>

namespace platform {

using TimeInterval = double;  // seconds

class RunLoop {
 public:
  enum class Mode { Virtual, RealTime };
  using Task = std::function<void()>;
  // What run() returns in Virtual mode when nothing can ever happen again:
  // no task, timer or event is queued and every worker is blocked for good.
  static constexpr int kStalledStatus = INT_MIN;

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

  // Runs the task on the main thread at loop time `when`, unless the loop
  // stalls first: unlike postAt it keeps nothing going, so a loop whose
  // only work left is its watchdog has stalled (run() returns
  // kStalledStatus). One per loop; a new one replaces the old. Virtual
  // mode; any thread.
  void setWatchdog(TimeInterval when, Task task);

  // Paces the virtual clock for interactive use: time moves only when
  // nothing can run, as before, but never ahead of the wall clock times
  // `speed` (counted from this call); 0 holds it still, a later call
  // resumes or changes the speed. While the loop waits for its time, work
  // posted from another thread runs at once, at the current paced time; a
  // paced loop with nothing scheduled waits for such work instead of
  // stalling. Virtual mode only (ignored otherwise); any thread.
  void setPace(double speed);

  // Runs until stop(); returns the status given to stop() (or
  // kStalledStatus). Main thread only (std::logic_error otherwise).
  int run();
  // Runs until the condition holds (checked before each task and whenever
  // another platform thread blocks or ends) or the loop time reaches
  // now() + timeout; returns whether the condition held. In
  // Virtual mode the clock then stands at the deadline and every thread has
  // had its turn at that time. Main thread only. For tests.
  bool runUntil(const std::function<bool()>& condition, TimeInterval timeout);
  // Runs everything due up to and at now() + seconds, then returns.
  void runFor(TimeInterval seconds);
  // Called on the main thread after every task the loop runs, to watch
  // what the tasks changed (the simulator's event log); an empty function
  // removes it. Main thread only.
  void setObserver(Task observer);

  // Ends run() with the status once the current task returns. Any thread.
  // Stopping is final: the process is ending, and later run calls return at
  // once without running anything.
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
