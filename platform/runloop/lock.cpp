#include "platform/runloop/lock.h"

#include "platform/runloop/loop_core.h"

#include <deque>
#include <mutex>
#include <stdexcept>

namespace platform {

// Ownership passes straight from the unlocking thread to the longest waiter,
// so waiters are served in arrival order and no thread can barge in.
struct NSLock::Impl {
  struct Waiter {
    std::shared_ptr<detail::LoopCore> loop;
    std::shared_ptr<detail::Participant> thread;
    bool granted = false;  // guarded by mutex
  };
  std::mutex mutex;
  bool locked = false;
  std::deque<std::shared_ptr<Waiter>> waiters;
};

NSLock::NSLock() : impl_(std::make_unique<Impl>()) {}
NSLock::~NSLock() = default;

void NSLock::lock() {
  std::shared_ptr<Impl::Waiter> waiter;
  {
    std::lock_guard guard(impl_->mutex);
    if (!impl_->locked) {
      impl_->locked = true;
      return;
    }
    // Contended: only now find the loop whose scheduler parks this thread.
    auto loop = detail::mainLoopCore();
    waiter = std::make_shared<Impl::Waiter>(Impl::Waiter{loop, loop->scheduler().self()});
    impl_->waiters.push_back(waiter);
  }
  for (;;) {
    {
      std::lock_guard guard(impl_->mutex);
      if (waiter->granted) return;
    }
    waiter->loop->scheduler().park(*waiter->thread, detail::kNever);
  }
}

void NSLock::unlock() {
  std::shared_ptr<Impl::Waiter> next;
  {
    std::lock_guard guard(impl_->mutex);
    if (!impl_->locked) throw std::logic_error("NSLock: unlock of a lock that is not locked");
    if (impl_->waiters.empty()) {
      impl_->locked = false;
      return;
    }
    next = std::move(impl_->waiters.front());
    impl_->waiters.pop_front();
    next->granted = true;
  }
  next->loop->scheduler().unpark(next->thread);
}

}  // namespace platform
