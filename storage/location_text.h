#pragma once
// The text forms of a location fix that the GPS badge shows. Functions of
// their values; localized texts come from the main bundle and dates are
// formatted in the current device's language and time zone. Any thread.
#include "platform/foundation/date.h"
#include "platform/foundation/error.h"
#include "platform/sensors/location.h"

#include <optional>
#include <string>

namespace holdstill {

// "33.87 S  151.21 E  Alt: -3m\r\non <medium date and time>"; the
// localized "NoLocationInfo" without a timestamp or at latitude and
// longitude both exactly 0. Zero latitude counts as south, zero longitude
// as west.
std::string locationDescription(float latitude, float longitude, float elevation,
                                const std::optional<platform::NSDate>& timestamp);
// The same of a fix, its values taken in single precision.
std::string locationDescription(const platform::CLLocation& fix);

// The badge's status for an accepted fix: the localized "GPSInfo" format
// filled with the fix's description.
std::string gpsInfoText(const platform::CLLocation& fix);
// The badge's status after a rejected fix (no error) or a platform error:
// the error's own description when its code is not 0, else the localized
// "NoGPSData".
std::string gpsFailureText(const platform::NSError* error);

}  // namespace holdstill
