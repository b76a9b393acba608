#include "platform/runloop/run_loop.h"

#include "platform/runloop/loop_core.h"

#include <mutex>

namespace platform {
namespace {

std::mutex mainLoopMutex;
std::unique_ptr<RunLoop> mainLoop;  // guarded by mainLoopMutex

}  // namespace

namespace detail {
std::shared_ptr<LoopCore> mainLoopCore() { return RunLoop::main().impl().core; }
}  // namespace detail

RunLoop::RunLoop(Mode mode)
    : impl_(std::make_unique<Impl>(Impl{std::make_shared<detail::LoopCore>(mode)})) {}

RunLoop::~RunLoop() { impl_->core->shutdown(); }

RunLoop& RunLoop::main() {
  std::lock_guard lock(mainLoopMutex);
  if (!mainLoop) mainLoop.reset(new RunLoop(Mode::Virtual));
  return *mainLoop;
}

void RunLoop::resetMain(Mode mode) {
  std::unique_ptr<RunLoop> old;
  {
    std::lock_guard lock(mainLoopMutex);
    old = std::move(mainLoop);
    mainLoop.reset(new RunLoop(mode));
  }
}

RunLoop::Mode RunLoop::mode() const { return impl_->core->scheduler().mode(); }
TimeInterval RunLoop::now() const { return impl_->core->scheduler().now(); }

void RunLoop::post(Task task) {
  auto& core = *impl_->core;
  core.schedule(core.scheduler().now(), std::move(task));
}

void RunLoop::performOnMainThread(Task task, bool waitUntilDone) {
  impl_->core->performOnMainThread(std::move(task), waitUntilDone);
}

void RunLoop::postAt(TimeInterval when, Task task) { impl_->core->schedule(when, std::move(task)); }

int RunLoop::run() { return impl_->core->run(); }

bool RunLoop::runUntil(const std::function<bool()>& condition, TimeInterval timeout) {
  return impl_->core->runUntil(condition, timeout);
}

void RunLoop::runFor(TimeInterval seconds) { impl_->core->runFor(seconds); }
void RunLoop::setWatchdog(TimeInterval when, Task task) {
  impl_->core->setWatchdog(when, std::move(task));
}
void RunLoop::setPace(double speed) { impl_->core->scheduler().setPace(speed); }
void RunLoop::setObserver(Task observer) { impl_->core->setObserver(std::move(observer)); }
void RunLoop::stop(int status) { impl_->core->stop(status); }
bool RunLoop::stopped() const { return impl_->core->stopped(); }

}  // namespace platform
