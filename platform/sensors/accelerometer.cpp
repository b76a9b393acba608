#include "platform/sensors/accelerometer.h"

#include "platform/device/device.h"

#include <algorithm>

namespace platform {

UIAccelerometer& UIAccelerometer::sharedAccelerometer() {
  return Device::current()->state<UIAccelerometer>();
}

UIAccelerometer::UIAccelerometer(Device&) { motion_.push_back({0, MotionScript::still()}); }

UIAccelerometer::~UIAccelerometer() {
  if (timer_) timer_->invalidate();
}

void UIAccelerometer::setDelegate(std::weak_ptr<UIAccelerometerDelegate> delegate) {
  delegate_ = std::move(delegate);
  restart();
}

void UIAccelerometer::setUpdateInterval(TimeInterval seconds) {
  if (seconds > 0) interval_ = seconds;
  restart();
}

void UIAccelerometer::setMotion(MotionScript script) {
  setMotionAt(RunLoop::main().now(), std::move(script));
}

void UIAccelerometer::setMotionAt(TimeInterval when, MotionScript script) {
  auto place = std::lower_bound(motion_.begin(), motion_.end(), when,
                                [](const Scheduled& s, TimeInterval t) { return s.from < t; });
  if (place != motion_.end() && place->from == when)
    place->script = std::move(script);
  else
    motion_.insert(place, {when, std::move(script)});
}

UIAcceleration UIAccelerometer::sampleAt(TimeInterval when) const {
  // The last script that has started by `when` (the first one before any has).
  auto started = std::upper_bound(motion_.begin(), motion_.end(), when,
                                  [](TimeInterval t, const Scheduled& s) { return t < s.from; });
  const Scheduled& current = started == motion_.begin() ? motion_.front() : *(started - 1);
  const MotionScript::Values v = current.script.at(std::max(0.0, when - current.from));
  return {v.x, v.y, v.z, when};
}

void UIAccelerometer::restart() {
  if (timer_) timer_->invalidate();
  timer_.reset();
  if (delegate_.expired()) return;
  timer_ = NSTimer::scheduledTimerWithTimeInterval(interval_, [this](NSTimer&) { deliver(); }, true);
}

void UIAccelerometer::deliver() {
  auto delegate = delegate_.lock();
  if (!delegate) {
    timer_->invalidate();
    return;
  }
  delegate->accelerometerDidAccelerate(*this, sampleAt(RunLoop::main().now()));
}

}  // namespace platform
