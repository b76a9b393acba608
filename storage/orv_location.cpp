#include "storage/orv_location.h"

#include "storage/location_text.h"

#include <cmath>

namespace holdstill {

using namespace platform;

FixVerdict judgeFix(const CLLocation& fix, bool firstDataPoint, double ageSeconds) {
  if (firstDataPoint && std::trunc(ageSeconds) < OrvLocation::kStaleFirstFixSeconds) return FixVerdict::Stale;
  const double accuracy = fix.horizontalAccuracy();
  if (std::signbit(accuracy) || !std::isfinite(accuracy) || !std::isfinite(fix.coordinate().latitude) ||
      !std::isfinite(fix.coordinate().longitude))
    return FixVerdict::NoValidPosition;
  return FixVerdict::Accepted;
}

std::shared_ptr<OrvLocation> OrvLocation::init(std::shared_ptr<LocationReceiver> receiver) {
  std::shared_ptr<OrvLocation> self(new OrvLocation(std::move(receiver)));
  self->_manager = std::make_shared<CLLocationManager>();
  self->_manager->setDelegate(self);
  self->_manager->setDistanceFilter(kDistanceFilter);
  self->_manager->setDesiredAccuracy(kCLLocationAccuracyBest);
  self->_bFirstDataPoint = true;
  self->_manager->startUpdatingLocation();
  return self;
}

std::string OrvLocation::description(const CLLocation& fix) const { return locationDescription(fix); }

void OrvLocation::locationManagerDidUpdateToLocation(CLLocationManager&, const CLLocationRef& newLocation,
                                                     const CLLocationRef&) {
  if (!newLocation) return;
  const double age = newLocation->timestamp() ? newLocation->timestamp()->timeIntervalSinceNow() : 0.0;
  const FixVerdict verdict = judgeFix(*newLocation, _bFirstDataPoint, age);
  _bFirstDataPoint = false;
  if (!receiver_) return;
  receiver_->judged(verdict, newLocation, nullptr);
  if (verdict == FixVerdict::Accepted)
    receiver_->newGPSPoint(newLocation);
  else
    receiver_->failedGPSPoint(nullptr);
}

void OrvLocation::locationManagerDidFailWithError(CLLocationManager&, const NSError& error) {
  if (!receiver_) return;
  receiver_->judged(FixVerdict::NoValidPosition, nullptr, &error);
  receiver_->failedGPSPoint(&error);
}

}  // namespace holdstill
