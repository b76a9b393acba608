#pragma once
// The scheduler behind one run loop: which platform thread may run, how
// threads block and wake, and the loop clock. Internal to platform/.
//
// Every blocking wait of a platform thread (the run loop going idle,
// sleepUntilDate, a contended NSLock, waiting for a main-thread request) is a
// `park`: the thread waits until another thread `unpark`s it or the loop time
// reaches its wake time. park/unpark follow the permit discipline: an unpark
// that comes before the park makes the next park return at once, so callers
// re-check their own condition in a loop.
//
// Virtual mode: registered threads (the main thread and NSThread workers)
// take turns holding one baton; only the holder runs platform code. The
// holder keeps the baton until it parks or ends; the baton then goes to the
// next runnable thread after it in registration order. When no thread is
// runnable, time jumps to the earliest wake time. If nothing can ever wake,
// the main thread idling in run() is told so (it returns kStalledStatus);
// any other all-blocked state is a deadlock and aborts with a message.
//
// Paced (Virtual mode, interactive use): time jumps as above, but not before
// the wall clock, scaled by the pace's speed, reaches the new time; speed 0
// holds it still. Meanwhile an unpark (work posted from another thread)
// ends the wait at once, and the clock moves up to the paced time first.
// A paced scheduler never stalls: with nothing scheduled it waits for such
// work.
//
// RealTime mode: threads run freely; park waits on a condition variable with
// a wall-clock deadline.
//
// Threads the platform did not start ("foreign" threads, e.g. a test's own
// std::thread) may post, stop and lock; they wait for real on their own
// condition variable and never hold the baton. In Virtual mode they cannot
// sleep on the loop clock.
#include "platform/runloop/run_loop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::detail {

inline constexpr TimeInterval kNever = std::numeric_limits<TimeInterval>::infinity();

struct Participant {
  enum class State { Runnable, Parked, Finished };

  std::uint64_t schedulerId = 0;
  bool registered = false;  // main thread or NSThread worker
  bool isMain = false;
  // All below guarded by the scheduler's mutex.
  State state = State::Runnable;
  TimeInterval wakeAt = kNever;
  bool permit = false;
  bool stallable = false;  // the main loop's idle wait: may end in "stalled"
  bool stalled = false;
  bool watching = false;   // the main loop's idle wait inside runUntil
  bool weakWake = false;   // wakeAt is a watchdog's: it alone does not move time
  std::condition_variable cv;
};

class Scheduler {
 public:
  enum class Wake { Normal, Stalled };

  explicit Scheduler(RunLoop::Mode mode);
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  RunLoop::Mode mode() const { return mode_; }
  bool isVirtual() const { return mode_ == RunLoop::Mode::Virtual; }
  TimeInterval now() const;

  // The calling thread becomes this scheduler's main thread and holds the baton.
  std::shared_ptr<Participant> adoptCallingThreadAsMain();
  // The calling thread's participant: the main thread, a worker, or a foreign
  // thread (created on first use, never in the turn order).
  std::shared_ptr<Participant> self();
  bool isMainThread();

  // A new worker, runnable but not yet started. Call from any thread.
  std::shared_ptr<Participant> addWorker();
  // Forgets a worker whose thread could not be started.
  void dropWorker(const std::shared_ptr<Participant>& worker);
  // First and last call on a worker's own thread.
  void enterWorker(const std::shared_ptr<Participant>& worker);
  void exitWorker(const std::shared_ptr<Participant>& worker);
  int liveWorkerCount();

  // Blocks the calling thread (`self`) until unparked or until loop time
  // `wakeAt` (kNever: no time limit). See the file comment. The main loop
  // parks `stallable` in run() and `watching` in runUntil(): a watching main
  // thread is woken whenever another thread blocks or ends, so that it sees
  // a condition that thread made true at the time it became true.
  // A `weakWake` time (the run loop's watchdog) is kept only while some
  // other thread has a wake time too: alone it counts as stalled.
  Wake park(Participant& self, TimeInterval wakeAt, bool stallable = false,
            bool watching = false, bool weakWake = false);
  void unpark(const std::shared_ptr<Participant>& p);
  // Virtual mode: lets every other runnable thread take its turn before the
  // caller goes on; returns whether any did. RealTime mode: false.
  bool yieldToOthers(Participant& self);

  // Starts pacing (or changes its speed, from the current time on);
  // speed 0 pauses. Virtual mode only. Any thread.
  void setPace(double speed);

  // The mutex that also guards the run loop's queue (see LoopCore).
  std::mutex& mutex() { return mutex_; }

 private:
  using Lock = std::unique_lock<std::mutex>;
  Participant* nextRunnable(const Participant* after) const;
  void passBaton(Lock& lock, Participant& from);
  void waitForBaton(Lock& lock, Participant& self);
  bool advanceTime(Lock& lock);
  bool advancePaced(Lock& lock);
  TimeInterval pacedNow() const;
  void wakeWatcher(const Participant& blocking);
  Participant* stall();
  std::chrono::steady_clock::time_point wallTime(TimeInterval loopTime) const;

  const RunLoop::Mode mode_;
  const std::uint64_t id_;
  const std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::atomic<TimeInterval> virtualNow_{0.0};
  std::vector<std::shared_ptr<Participant>> order_;  // main first, then workers
  Participant* holder_ = nullptr;                    // virtual mode: the baton
  int liveWorkers_ = 0;
  // Pacing, guarded by mutex_: off while pace_ is negative. The paced time
  // is paceOrigin_ + (wall clock − paceWallOrigin_) × pace_.
  double pace_ = -1;
  TimeInterval paceOrigin_ = 0;
  std::chrono::steady_clock::time_point paceWallOrigin_;
  std::condition_variable paceWait_;
};

}  // namespace platform::detail
