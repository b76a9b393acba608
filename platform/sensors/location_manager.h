#pragma once
// CLLocationManager: the current device's location service as the
// application sees it.
//
// Once started it delivers the device's replay (see location_replay.h) on
// the main run loop: each fix or error at its loop time (one already due
// arrives at once). A fix is reported only when it lies at least the
// distance filter's metres (great-circle) from the last fix reported; the
// first is always reported. Errors are always reported and do not move the
// filter's reference. Each fix's timestamp is taken at delivery: its own
// one when the replay keeps the file's times, otherwise the delivery time
// less its age. Main thread only.
#include "platform/foundation/error.h"
#include "platform/sensors/location.h"
#include "platform/sensors/location_replay.h"

#include <cstdint>
#include <memory>

namespace platform {

class Device;
class CLLocationManager;

// Held weakly by the manager.
class CLLocationManagerDelegate {
 public:
  virtual ~CLLocationManagerDelegate() = default;
  // `oldLocation` is the fix reported before (null for the first).
  virtual void locationManagerDidUpdateToLocation(CLLocationManager& manager,
                                                  const CLLocationRef& newLocation,
                                                  const CLLocationRef& oldLocation) = 0;
  virtual void locationManagerDidFailWithError(CLLocationManager& manager, const NSError& error) = 0;
};

// The replay of one device; scenarios and tests set it before the
// application starts its manager (a manager takes the replay it finds
// when started), or switch to another while managers run (play).
class LocationService {
 public:
  explicit LocationService(Device&) {}
  // The current device's service; it lives as long as that device.
  static LocationService& current();
  void setReplay(LocationReplay replay) { replay_ = std::move(replay); }
  const LocationReplay& replay() const { return replay_; }
  // Replaces the replay at once: what the old one has not delivered yet is
  // dropped, and every manager updating now delivers the new one instead,
  // as it would have from its start (an event already due arrives at
  // once); an empty replay switches the fixes off. The distance filter
  // keeps its reference.
  void play(LocationReplay replay);

 private:
  friend class CLLocationManager;
  LocationReplay replay_;
  std::vector<std::weak_ptr<CLLocationManager>> managers_;  // started ones
};

class CLLocationManager : public std::enable_shared_from_this<CLLocationManager> {
 public:
  CLLocationManager() = default;
  CLLocationManager(const CLLocationManager&) = delete;
  CLLocationManager& operator=(const CLLocationManager&) = delete;

  std::shared_ptr<CLLocationManagerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<CLLocationManagerDelegate> delegate) { delegate_ = std::move(delegate); }
  CLLocationDistance distanceFilter() const { return distanceFilter_; }
  // Metres; kCLDistanceFilterNone (or any value not above 0) reports every fix.
  void setDistanceFilter(CLLocationDistance metres) { distanceFilter_ = metres; }
  CLLocationAccuracy desiredAccuracy() const { return desiredAccuracy_; }
  void setDesiredAccuracy(CLLocationAccuracy accuracy) { desiredAccuracy_ = accuracy; }

  // Schedules the current device's replay from now on. Must be called on a
  // manager held by std::shared_ptr. Starting again restarts the replay.
  void startUpdatingLocation();
  // No further deliveries.
  void stopUpdatingLocation();
  bool updating() const { return updating_; }
  // The last fix reported to the delegate (the distance filter's reference).
  const CLLocationRef& location() const { return lastReported_; }

 private:
  friend class LocationService;
  void deliver(const LocationEvent& event);
  // Schedules the replay's events under a new generation.
  void follow(const LocationReplay& replay);

  std::weak_ptr<CLLocationManagerDelegate> delegate_;
  CLLocationDistance distanceFilter_ = kCLDistanceFilterNone;
  CLLocationAccuracy desiredAccuracy_ = kCLLocationAccuracyBest;
  bool updating_ = false;
  std::uint64_t generation_ = 0;  // deliveries of an earlier start are dropped
  CLLocationRef lastReported_;
};

}  // namespace platform
