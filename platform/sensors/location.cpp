#include "platform/sensors/location.h"

#include <cmath>
#include <numbers>

namespace platform {

CLLocationDistance CLLocation::distanceFromLocation(const CLLocation& other) const {
  constexpr double kEarthRadius = 6371008.8;  // mean radius, metres
  constexpr double kToRadians = std::numbers::pi / 180.0;
  const double lat1 = coordinate_.latitude * kToRadians, lat2 = other.coordinate_.latitude * kToRadians;
  const double dLat = lat2 - lat1;
  const double dLon = (other.coordinate_.longitude - coordinate_.longitude) * kToRadians;
  // Haversine: well conditioned for the short distances a filter compares.
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(lat1) * std::cos(lat2) * std::sin(dLon / 2) * std::sin(dLon / 2);
  if (std::isnan(h)) return h;
  return 2 * kEarthRadius * std::asin(std::sqrt(std::min(1.0, h)));
}

}  // namespace platform
