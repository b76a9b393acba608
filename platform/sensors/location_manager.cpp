#include "platform/sensors/location_manager.h"

#include "platform/device/device.h"

#include <algorithm>
#include <utility>

namespace platform {

LocationService& LocationService::current() { return Device::current()->state<LocationService>(); }

void LocationService::play(LocationReplay replay) {
  replay_ = std::move(replay);
  std::erase_if(managers_, [](const auto& weak) { return weak.expired(); });
  for (const auto& weak : managers_)
    if (auto manager = weak.lock(); manager && manager->updating()) manager->follow(replay_);
}

void CLLocationManager::startUpdatingLocation() {
  updating_ = true;
  lastReported_.reset();
  LocationService& service = LocationService::current();
  auto& started = service.managers_;
  const bool known = std::any_of(started.begin(), started.end(),
                                 [this](const auto& weak) { return weak.lock().get() == this; });
  if (!known) started.push_back(weak_from_this());
  follow(service.replay());
}

void CLLocationManager::follow(const LocationReplay& replay) {
  const std::uint64_t generation = ++generation_;
  RunLoop& loop = RunLoop::main();
  const TimeInterval now = loop.now();
  std::weak_ptr<CLLocationManager> weak = weak_from_this();
  for (const LocationEvent& event : replay.events()) {
    loop.postAt(std::max(now, event.at), [weak, generation, event] {
      auto self = weak.lock();
      if (self && self->updating_ && self->generation_ == generation) self->deliver(event);
    });
  }
}

void CLLocationManager::stopUpdatingLocation() {
  updating_ = false;
  ++generation_;
}

void CLLocationManager::deliver(const LocationEvent& event) {
  auto delegate = delegate_.lock();
  if (event.kind == LocationEvent::Kind::Error) {
    if (delegate) delegate->locationManagerDidFailWithError(*this, event.error);
    return;
  }
  const NSDate stamp = event.timestamp ? NSDate::dateWithTimeIntervalSince1970(*event.timestamp)
                                       : NSDate::dateWithTimeIntervalSinceNow(-event.age);
  auto fix = std::make_shared<const CLLocation>(
      CLLocationCoordinate2D{event.latitude, event.longitude}, event.altitude,
      event.horizontalAccuracy, stamp);
  // A fix whose distance cannot be measured (not finite) is not held back.
  if (lastReported_ && distanceFilter_ > 0 &&
      fix->distanceFromLocation(*lastReported_) < distanceFilter_)
    return;
  CLLocationRef previous = std::exchange(lastReported_, fix);
  if (delegate) delegate->locationManagerDidUpdateToLocation(*this, fix, previous);
}

}  // namespace platform
