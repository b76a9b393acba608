#include "platform/runloop/thread.h"

#include "platform/runloop/loop_core.h"

#include <cstdio>
#include <exception>
#include <thread>

namespace platform {

void NSThread::detachNewThread(std::function<void()> task) {
  auto loop = detail::mainLoopCore();
  auto& scheduler = loop->scheduler();
  auto worker = scheduler.addWorker();
  try {
    std::thread([loop, worker, task = std::move(task)] {
      loop->scheduler().enterWorker(worker);
      try {
        task();
      } catch (const std::exception& e) {
        std::fprintf(stderr, "platform: uncaught exception in a worker thread: %s\n", e.what());
        std::terminate();
      }
      loop->scheduler().exitWorker(worker);
    }).detach();
  } catch (...) {
    scheduler.dropWorker(worker);
    throw;
  }
}

void NSThread::sleepUntilDate(TimeInterval date) {
  auto loop = detail::mainLoopCore();
  auto& scheduler = loop->scheduler();
  auto self = scheduler.self();
  while (scheduler.now() < date) scheduler.park(*self, date);
}

void NSThread::sleepForTimeInterval(TimeInterval seconds) {
  sleepUntilDate(detail::mainLoopCore()->scheduler().now() + seconds);
}

bool NSThread::isMainThread() { return detail::mainLoopCore()->scheduler().isMainThread(); }

int NSThread::liveWorkerCount() { return detail::mainLoopCore()->scheduler().liveWorkerCount(); }

}  // namespace platform
