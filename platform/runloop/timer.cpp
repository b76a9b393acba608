#include "platform/runloop/timer.h"

#include "platform/runloop/timer_impl.h"

#include <cmath>

namespace platform {
namespace {
// Shortest interval a timer accepts, as on the phone (0.1 ms).
constexpr TimeInterval kMinimumInterval = 0.0001;
}  // namespace

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(TimeInterval interval,
                                                                 Callback callback,
                                                                 bool repeats) {
  std::shared_ptr<NSTimer> timer(new NSTimer());
  timer->impl_ = std::make_unique<Impl>();
  Impl& impl = *timer->impl_;
  auto loop = detail::mainLoopCore();
  impl.loop = loop;
  impl.callback = std::move(callback);
  impl.interval = interval > kMinimumInterval ? interval : kMinimumInterval;
  impl.repeats = repeats;
  {
    std::lock_guard lock(loop->scheduler().mutex());
    impl.start = loop->scheduler().now();
    Impl::queueNextLocked(timer, *loop);
  }
  loop->wakeMain();
  return timer;
}

void NSTimer::Impl::queueNextLocked(const std::shared_ptr<NSTimer>& timer, detail::LoopCore& loop) {
  Impl& impl = *timer->impl_;
  // The next k with start + k * interval after now: missed ticks are skipped.
  TimeInterval now = loop.scheduler().now();
  auto k = std::max<std::uint64_t>(impl.ticks + 1,
                                    std::uint64_t(std::floor((now - impl.start) / impl.interval)) + 1);
  while (impl.start + TimeInterval(k) * impl.interval <= now) ++k;
  impl.ticks = k;
  TimeInterval when = impl.start + TimeInterval(k) * impl.interval;
  impl.fireDate.store(when);
  impl.queued = loop.scheduleLocked(when, [timer] { due(timer); });
}

void NSTimer::Impl::due(const std::shared_ptr<NSTimer>& timer) {
  Impl& impl = *timer->impl_;
  auto loop = impl.loop.lock();
  if (!loop) return;
  {
    std::lock_guard lock(loop->scheduler().mutex());
    impl.queued.reset();
    if (!impl.valid) return;
    // Queued before the callback, so that the callback can invalidate it.
    if (impl.repeats) queueNextLocked(timer, *loop);
  }
  impl.callback(*timer);
  if (!impl.repeats) timer->invalidate();
}

void NSTimer::invalidate() {
  auto self = shared_from_this();  // the queued task may hold the last reference
  if (!impl_->valid.exchange(false)) return;
  auto loop = impl_->loop.lock();
  if (!loop) return;
  RunLoop::Task dropped;
  {
    std::lock_guard lock(loop->scheduler().mutex());
    if (impl_->queued) dropped = loop->cancelLocked(*impl_->queued);
    impl_->queued.reset();
  }
}

NSTimer::~NSTimer() = default;

}  // namespace platform
