#pragma once
// CLLocation: one position fix as the location service reports it. An
// immutable value, shared read-only through CLLocationRef (any thread may
// read it).
#include "platform/foundation/date.h"

#include <memory>
#include <optional>

namespace platform {

using CLLocationDegrees = double;
using CLLocationDistance = double;  // metres
using CLLocationAccuracy = double;  // metres

struct CLLocationCoordinate2D {
  CLLocationDegrees latitude = 0;   // positive north of the equator
  CLLocationDegrees longitude = 0;  // positive east of Greenwich
};

// The desired accuracy that asks for the best the hardware gives.
inline constexpr CLLocationAccuracy kCLLocationAccuracyBest = -1;
// A distance filter that reports every fix.
inline constexpr CLLocationDistance kCLDistanceFilterNone = -1;

class CLLocation {
 public:
  // A negative horizontal accuracy marks a fix without a valid position.
  CLLocation(CLLocationCoordinate2D coordinate, CLLocationDistance altitude,
             CLLocationAccuracy horizontalAccuracy, std::optional<NSDate> timestamp)
      : coordinate_(coordinate), altitude_(altitude), horizontalAccuracy_(horizontalAccuracy),
        timestamp_(timestamp) {}

  CLLocationCoordinate2D coordinate() const { return coordinate_; }
  CLLocationDistance altitude() const { return altitude_; }  // above sea level, may be negative
  CLLocationAccuracy horizontalAccuracy() const { return horizontalAccuracy_; }
  // When the fix was taken; missing only for fixes made so on purpose.
  const std::optional<NSDate>& timestamp() const { return timestamp_; }

  // Great-circle distance in metres on a sphere of the earth's mean radius;
  // NaN when either position is not finite.
  CLLocationDistance distanceFromLocation(const CLLocation& other) const;

 private:
  CLLocationCoordinate2D coordinate_;
  CLLocationDistance altitude_;
  CLLocationAccuracy horizontalAccuracy_;
  std::optional<NSDate> timestamp_;
};

using CLLocationRef = std::shared_ptr<const CLLocation>;

}  // namespace platform
