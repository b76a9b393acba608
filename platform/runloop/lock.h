#pragma once
// NSLock: a non-recursive mutual-exclusion lock whose waiters are known to
// the run loop's scheduler (a blocked waiter does not hold virtual time back)
// and are served in the order they arrived.
#include <memory>

namespace platform {

class NSLock {
 public:
  NSLock();
  ~NSLock();
  NSLock(const NSLock&) = delete;
  NSLock& operator=(const NSLock&) = delete;

  void lock();
  void unlock();  // std::logic_error when the lock is not locked

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
