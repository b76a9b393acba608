#pragma once
// UIAccelerometer: the current device's accelerometer. While it has a
// delegate it delivers a sample every update interval on the main run
// loop, taken from the device's motion script (still by default).
//
// Setting the delegate or the interval (re)starts delivery on the current
// main run loop: samples come at that moment + k × interval, k = 1, 2, ...
// Scenarios and tests choose the motion, now or from a given loop time.
// Main thread only.
#include "platform/runloop/timer.h"
#include "platform/sensors/acceleration.h"
#include "platform/sensors/motion_script.h"

#include <memory>
#include <vector>

namespace platform {

class Device;
class UIAccelerometer;

// Held weakly by the accelerometer.
class UIAccelerometerDelegate {
 public:
  virtual ~UIAccelerometerDelegate() = default;
  virtual void accelerometerDidAccelerate(UIAccelerometer& accelerometer,
                                          const UIAcceleration& acceleration) = 0;
};

class UIAccelerometer {
 public:
  static constexpr TimeInterval kDefaultUpdateInterval = 0.1;

  // The current device's accelerometer; it lives as long as that device.
  static UIAccelerometer& sharedAccelerometer();
  explicit UIAccelerometer(Device& device);
  ~UIAccelerometer();
  UIAccelerometer(const UIAccelerometer&) = delete;
  UIAccelerometer& operator=(const UIAccelerometer&) = delete;

  std::shared_ptr<UIAccelerometerDelegate> delegate() const { return delegate_.lock(); }
  // A null delegate stops delivery.
  void setDelegate(std::weak_ptr<UIAccelerometerDelegate> delegate);
  TimeInterval updateInterval() const { return interval_; }
  // Seconds between samples; 0 or less keeps the previous interval.
  void setUpdateInterval(TimeInterval seconds);

  // ---- for scenarios and tests
  // The motion from now on.
  void setMotion(MotionScript script);
  // The motion from loop time `when` on (a later switch may follow); a
  // script's own time starts at `when`.
  void setMotionAt(TimeInterval when, MotionScript script);
  // What the accelerometer reads at loop time `when`.
  UIAcceleration sampleAt(TimeInterval when) const;

 private:
  struct Scheduled {
    TimeInterval from;
    MotionScript script;
  };
  void restart();
  void deliver();

  std::weak_ptr<UIAccelerometerDelegate> delegate_;
  TimeInterval interval_ = kDefaultUpdateInterval;
  std::vector<Scheduled> motion_;  // sorted by `from`
  std::shared_ptr<NSTimer> timer_;
};

}  // namespace platform
