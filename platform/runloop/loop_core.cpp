#include "platform/runloop/loop_core.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace platform::detail {

LoopCore::LoopCore(RunLoop::Mode mode)
    : scheduler_(mode), main_(scheduler_.adoptCallingThreadAsMain()) {}

LoopCore::~LoopCore() = default;

LoopCore::Key LoopCore::schedule(TimeInterval when, RunLoop::Task task) {
  Key key;
  {
    std::lock_guard lock(scheduler_.mutex());
    key = scheduleLocked(when, std::move(task));
  }
  wakeMain();
  return key;
}

LoopCore::Key LoopCore::scheduleLocked(TimeInterval when, RunLoop::Task task) {
  if (!(when >= scheduler_.now())) when = scheduler_.now();  // also catches NaN
  Key key{when, nextSeq_++};
  queue_.emplace(key, std::move(task));
  return key;
}

RunLoop::Task LoopCore::cancelLocked(const Key& key) {
  auto node = queue_.extract(key);
  return node.empty() ? RunLoop::Task{} : std::move(node.mapped());
}

// The main thread re-reads the queue before it goes idle, so only other
// threads need to wake it.
void LoopCore::wakeMain() {
  if (!scheduler_.isMainThread()) scheduler_.unpark(main_);
}

void LoopCore::performOnMainThread(RunLoop::Task task, bool waitUntilDone) {
  if (waitUntilDone && scheduler_.isMainThread()) {
    task();
    return;
  }
  if (!waitUntilDone) {
    schedule(scheduler_.now(), std::move(task));
    return;
  }
  auto self = scheduler_.self();
  auto done = std::make_shared<std::atomic<bool>>(false);
  schedule(scheduler_.now(), [this, task = std::move(task), done, self] {
    struct Finish {
      LoopCore* core;
      std::atomic<bool>& done;
      const std::shared_ptr<Participant>& waiter;
      ~Finish() {
        done.store(true, std::memory_order_release);
        core->scheduler_.unpark(waiter);
      }
    } finish{this, *done, self};
    task();
  });
  while (!done->load(std::memory_order_acquire)) scheduler_.park(*self, kNever);
}

void LoopCore::setWatchdog(TimeInterval when, RunLoop::Task task) {
  {
    std::lock_guard lock(scheduler_.mutex());
    watchdogAt_ = when >= scheduler_.now() ? when : scheduler_.now();
    watchdog_ = std::move(task);
  }
  wakeMain();
}

void LoopCore::stop(int status) {
  {
    std::lock_guard lock(scheduler_.mutex());
    if (stopped_) return;
    stopped_ = true;
    status_ = status;
  }
  wakeMain();
}

bool LoopCore::stopped() {
  std::lock_guard lock(scheduler_.mutex());
  return stopped_;
}

LoopCore::Exit LoopCore::loop(const std::function<bool()>* condition, TimeInterval deadline) {
  if (!scheduler_.isMainThread())
    throw std::logic_error("RunLoop: run, runUntil and runFor belong to the main thread");
  for (;;) {
    if (condition && (*condition)()) return Exit::Condition;
    RunLoop::Task task;
    TimeInterval nextDue = kNever;
    bool onlyWatchdog = false;  // nothing but the watchdog can wake the loop
    {
      std::lock_guard lock(scheduler_.mutex());
      if (stopped_) return Exit::Stopped;
      if (!queue_.empty()) {
        auto first = queue_.begin();
        if (first->first.first <= scheduler_.now())
          task = std::move(queue_.extract(first).mapped());
        else
          nextDue = first->first.first;
      }
      if (!task && watchdog_) {
        if (watchdogAt_ <= scheduler_.now()) {
          task = std::move(watchdog_);
          watchdog_ = nullptr;
          watchdogAt_ = kNever;
        } else {
          onlyWatchdog = queue_.empty();
          nextDue = std::min(nextDue, watchdogAt_);
        }
      }
    }
    if (task) {
      task();
      task = nullptr;  // what it holds goes before the observer looks
      if (observer_) observer_();
      continue;
    }
    if (scheduler_.now() >= deadline) {
      // Let every other thread finish its turn at this time first.
      if (scheduler_.yieldToOthers(*main_)) continue;
      return Exit::Deadline;
    }
    auto wake = scheduler_.park(*main_, std::min(nextDue, deadline), deadline == kNever,
                                condition != nullptr, onlyWatchdog && deadline == kNever);
    if (wake == Scheduler::Wake::Stalled) return Exit::Stalled;
  }
}

int LoopCore::run() {
  if (loop(nullptr, kNever) == Exit::Stalled) return RunLoop::kStalledStatus;
  std::lock_guard lock(scheduler_.mutex());
  return status_;
}

bool LoopCore::runUntil(const std::function<bool()>& condition, TimeInterval timeout) {
  if (!(timeout > 0)) timeout = 0;
  return loop(&condition, scheduler_.now() + timeout) == Exit::Condition;
}

void LoopCore::runFor(TimeInterval seconds) {
  if (!(seconds > 0)) seconds = 0;
  loop(nullptr, scheduler_.now() + seconds);
}

void LoopCore::shutdown() {
  std::map<Key, RunLoop::Task> dropped;
  {
    std::lock_guard lock(scheduler_.mutex());
    stopped_ = true;
    dropped.swap(queue_);
  }
}

}  // namespace platform::detail
