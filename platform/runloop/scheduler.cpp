#include "platform/runloop/scheduler.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace platform::detail {
namespace {

std::atomic<std::uint64_t> nextSchedulerId{1};
constexpr TimeInterval kFarFuture = 1e9;  // about 31 years

// The calling thread's participant in the scheduler it was registered with
// (main thread or worker), and its stand-in when it is a foreign thread.
thread_local std::shared_ptr<Participant> tlRegistered;
thread_local std::shared_ptr<Participant> tlForeign;

const char* stateName(Participant::State s) {
  switch (s) {
    case Participant::State::Runnable: return "runnable";
    case Participant::State::Parked: return "blocked";
    case Participant::State::Finished: return "finished";
  }
  return "?";
}

}  // namespace

Scheduler::Scheduler(RunLoop::Mode mode)
    : mode_(mode), id_(nextSchedulerId++), start_(std::chrono::steady_clock::now()) {}

TimeInterval Scheduler::now() const {
  if (isVirtual()) return virtualNow_.load(std::memory_order_acquire);
  return std::chrono::duration<TimeInterval>(std::chrono::steady_clock::now() - start_).count();
}

std::chrono::steady_clock::time_point Scheduler::wallTime(TimeInterval loopTime) const {
  auto offset = std::chrono::ceil<std::chrono::steady_clock::duration>(
      std::chrono::duration<TimeInterval>(loopTime));
  return start_ + offset;
}

std::shared_ptr<Participant> Scheduler::adoptCallingThreadAsMain() {
  auto p = std::make_shared<Participant>();
  p->schedulerId = id_;
  p->registered = true;
  p->isMain = true;
  Lock lock(mutex_);
  order_.insert(order_.begin(), p);
  holder_ = p.get();
  tlRegistered = p;
  return p;
}

std::shared_ptr<Participant> Scheduler::self() {
  if (tlRegistered && tlRegistered->schedulerId == id_) return tlRegistered;
  if (!tlForeign || tlForeign->schedulerId != id_) {
    tlForeign = std::make_shared<Participant>();
    tlForeign->schedulerId = id_;
  }
  return tlForeign;
}

bool Scheduler::isMainThread() {
  return tlRegistered && tlRegistered->schedulerId == id_ && tlRegistered->isMain;
}

std::shared_ptr<Participant> Scheduler::addWorker() {
  auto p = std::make_shared<Participant>();
  p->schedulerId = id_;
  p->registered = true;
  Lock lock(mutex_);
  order_.push_back(p);
  ++liveWorkers_;
  return p;
}

void Scheduler::dropWorker(const std::shared_ptr<Participant>& worker) {
  Lock lock(mutex_);
  std::erase(order_, worker);
  --liveWorkers_;
}

void Scheduler::enterWorker(const std::shared_ptr<Participant>& worker) {
  tlRegistered = worker;
  if (!isVirtual()) return;
  Lock lock(mutex_);
  waitForBaton(lock, *worker);
}

void Scheduler::exitWorker(const std::shared_ptr<Participant>& worker) {
  {
    Lock lock(mutex_);
    worker->state = Participant::State::Finished;
    --liveWorkers_;
    wakeWatcher(*worker);
    if (isVirtual()) passBaton(lock, *worker);
    std::erase(order_, worker);
  }
  tlRegistered.reset();
}

int Scheduler::liveWorkerCount() {
  Lock lock(mutex_);
  return liveWorkers_;
}

Scheduler::Wake Scheduler::park(Participant& self, TimeInterval wakeAt, bool stallable,
                                 bool watching, bool weakWake) {
  Lock lock(mutex_);
  if (self.permit) {
    self.permit = false;
    return Wake::Normal;
  }
  wakeWatcher(self);
  if (!self.registered || !isVirtual()) {
    if (isVirtual() && wakeAt != kNever)
      throw std::logic_error(
          "platform: a thread not started through NSThread cannot sleep on the virtual clock");
    self.state = Participant::State::Parked;
    self.watching = watching;
    auto permitted = [&] { return self.permit; };
    // A wake time decades away is no deadline (and would overflow the clock).
    if (wakeAt > kFarFuture)
      wakeAt = kNever;
    else if (!(wakeAt >= 0))
      wakeAt = 0;
    if (wakeAt == kNever)
      self.cv.wait(lock, permitted);
    else
      self.cv.wait_until(lock, wallTime(wakeAt), permitted);
    self.state = Participant::State::Runnable;
    self.watching = false;
    self.permit = false;
    return Wake::Normal;
  }
  self.state = Participant::State::Parked;
  self.wakeAt = wakeAt;
  self.stallable = stallable;
  self.watching = watching;
  self.weakWake = weakWake;
  self.stalled = false;
  passBaton(lock, self);
  waitForBaton(lock, self);
  self.wakeAt = kNever;
  self.weakWake = false;
  self.stallable = false;
  self.watching = false;
  self.permit = false;
  return self.stalled ? Wake::Stalled : Wake::Normal;
}

void Scheduler::unpark(const std::shared_ptr<Participant>& p) {
  Lock lock(mutex_);
  p->permit = true;
  if (p->state != Participant::State::Parked) return;
  if (p->registered && isVirtual()) {
    p->state = Participant::State::Runnable;  // runs when the baton reaches it
    if (pace_ >= 0) paceWait_.notify_all();
  } else {
    p->cv.notify_one();
  }
}

void Scheduler::setPace(double speed) {
  if (!isVirtual() || !(speed >= 0)) return;
  const Participant* caller = self().get();
  Lock lock(mutex_);
  // From the time the clock shows now: the paced time, but not past the
  // next wake time.
  TimeInterval from = virtualNow_.load(std::memory_order_relaxed);
  if (pace_ >= 0) {
    TimeInterval earliest = kNever;
    for (const auto& p : order_)
      if (p->state == Participant::State::Parked) earliest = std::min(earliest, p->wakeAt);
    from = std::max(from, std::min(pacedNow(), earliest));
    // Not under another thread's running task: it keeps its time.
    const bool othersRun = holder_ != nullptr && holder_ != caller && holder_->state == Participant::State::Runnable;
    if (!othersRun) virtualNow_.store(from, std::memory_order_release);
  }
  paceOrigin_ = from;
  paceWallOrigin_ = std::chrono::steady_clock::now();
  pace_ = speed;
  paceWait_.notify_all();
}

TimeInterval Scheduler::pacedNow() const {
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - paceWallOrigin_).count();
  return paceOrigin_ + wall * pace_;
}

bool Scheduler::yieldToOthers(Participant& self) {
  if (!isVirtual() || !self.registered) return false;
  Lock lock(mutex_);
  Participant* next = nextRunnable(&self);
  if (next == nullptr || next == &self) return false;
  holder_ = next;
  next->cv.notify_one();
  waitForBaton(lock, self);
  return true;
}

Participant* Scheduler::nextRunnable(const Participant* after) const {
  auto at = std::find_if(order_.begin(), order_.end(),
                         [after](const auto& p) { return p.get() == after; });
  std::size_t start = at == order_.end() ? 0 : std::size_t(at - order_.begin()) + 1;
  for (std::size_t i = 0; i < order_.size(); ++i) {
    Participant* p = order_[(start + i) % order_.size()].get();
    if (p->state == Participant::State::Runnable) return p;
  }
  return nullptr;
}

void Scheduler::passBaton(Lock& lock, Participant& from) {
  (void)lock;
  Participant* next = nextRunnable(&from);
  if (next == nullptr && advanceTime(lock)) next = nextRunnable(&from);
  if (next == nullptr) next = stall();
  holder_ = next;
  if (next != &from) next->cv.notify_one();
}

void Scheduler::waitForBaton(Lock& lock, Participant& self) {
  self.cv.wait(lock, [&] { return holder_ == &self; });
}

void Scheduler::wakeWatcher(const Participant& blocking) {
  if (order_.empty() || !order_.front()->isMain) return;
  Participant& main = *order_.front();
  if (&main == &blocking || main.state != Participant::State::Parked || !main.watching) return;
  main.permit = true;
  if (isVirtual())
    main.state = Participant::State::Runnable;
  else
    main.cv.notify_one();
}

bool Scheduler::advanceTime(Lock& lock) {
  if (pace_ >= 0) return advancePaced(lock);
  TimeInterval earliest = kNever;
  bool strong = false;  // some wake time other than a watchdog's
  for (const auto& p : order_)
    if (p->state == Participant::State::Parked) {
      earliest = std::min(earliest, p->wakeAt);
      strong = strong || (p->wakeAt != kNever && !p->weakWake);
    }
  if (earliest == kNever || !strong) return false;
  TimeInterval now = std::max(virtualNow_.load(std::memory_order_relaxed), earliest);
  virtualNow_.store(now, std::memory_order_release);
  for (const auto& p : order_)
    if (p->state == Participant::State::Parked && p->wakeAt <= now)
      p->state = Participant::State::Runnable;
  return true;
}

// Waits (the mutex released) until the paced clock reaches the earliest
// wake time, or until some thread is made runnable; the clock moves up to
// the paced time either way. Always ends with a runnable thread.
bool Scheduler::advancePaced(Lock& lock) {
  for (;;) {
    if (nextRunnable(nullptr) != nullptr) return true;
    TimeInterval earliest = kNever;
    for (const auto& p : order_)
      if (p->state == Participant::State::Parked) earliest = std::min(earliest, p->wakeAt);
    const TimeInterval paced = pacedNow();
    const TimeInterval now = virtualNow_.load(std::memory_order_relaxed);
    if (earliest <= paced) {
      virtualNow_.store(std::max(now, earliest), std::memory_order_release);
      for (const auto& p : order_)
        if (p->state == Participant::State::Parked && p->wakeAt <= earliest)
          p->state = Participant::State::Runnable;
      return true;
    }
    if (paced > now) virtualNow_.store(paced, std::memory_order_release);
    if (pace_ > 0 && earliest <= kFarFuture) {
      const auto until = paceWallOrigin_ + std::chrono::ceil<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>((earliest - paceOrigin_) / pace_));
      paceWait_.wait_until(lock, until);
    } else {
      paceWait_.wait(lock);
    }
    const TimeInterval woke = std::min(pacedNow(), earliest);
    if (woke > virtualNow_.load(std::memory_order_relaxed)) virtualNow_.store(woke, std::memory_order_release);
  }
}

Participant* Scheduler::stall() {
  Participant* main = order_.empty() ? nullptr : order_.front().get();
  if (main && main->isMain && main->state == Participant::State::Parked && main->stallable) {
    main->stalled = true;
    main->state = Participant::State::Runnable;
    return main;
  }
  std::fprintf(stderr,
               "platform: deadlock at virtual time %.6f: every platform thread is blocked "
               "and nothing is scheduled to wake one\n",
               virtualNow_.load());
  for (std::size_t i = 0; i < order_.size(); ++i)
    std::fprintf(stderr, "  %s %zu: %s\n", order_[i]->isMain ? "main thread" : "worker", i,
                 stateName(order_[i]->state));
  std::abort();
}

}  // namespace platform::detail
