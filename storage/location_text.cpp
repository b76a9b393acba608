#include "storage/location_text.h"

#include "platform/foundation/bundle.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/string_format.h"

#include <cmath>

namespace holdstill {

using namespace platform;

namespace {

std::string localized(const std::string& key) {
  return NSBundle::mainBundle().localizedStringForKey(key, "", "");
}

}  // namespace

std::string locationDescription(float latitude, float longitude, float elevation,
                                const std::optional<NSDate>& timestamp) {
  if (!timestamp || (latitude == 0 && longitude == 0)) return localized("NoLocationInfo");
  NSDateFormatter formatter;
  formatter.setDateStyle(NSDateFormatterStyle::MediumStyle);
  formatter.setTimeStyle(NSDateFormatterStyle::MediumStyle);
  const std::string date = formatter.stringFromDate(*timestamp);
  return stringWithFormat("%.2f %@  %.2f %@  Alt: %.0fm\r\non %@", double(std::fabs(latitude)),
                          latitude > 0 ? "N" : "S", double(std::fabs(longitude)),
                          longitude > 0 ? "E" : "W", double(elevation), date);
}

std::string locationDescription(const CLLocation& fix) {
  return locationDescription(static_cast<float>(fix.coordinate().latitude),
                             static_cast<float>(fix.coordinate().longitude),
                             static_cast<float>(fix.altitude()), fix.timestamp());
}

std::string gpsInfoText(const CLLocation& fix) {
  return stringWithFormat(localized("GPSInfo"), locationDescription(fix));
}

std::string gpsFailureText(const NSError* error) {
  if (error && error->code != 0) return error->localizedDescription;
  return localized("NoGPSData");
}

}  // namespace holdstill
