#pragma once
// The GPS value types that the GPS handlers produce and consume.
//
// EXFGPSLoc: a coordinate as degrees, minutes and seconds fractions. The sign
// is not part of the value (GPSLatitudeRef/GPSLongitudeRef carry it).
// EXFGPSTimeStamp: a time of day as hours, minutes and seconds fractions.
// A field that was never set is empty; it is written as 0/0.
#include "exif/exf_fraction.h"

#include <optional>
#include <string>

namespace exif {

// The altitudes, in metres, that every way a position comes in accepts,
// from below the deepest sea floor to the edge of space: a value outside
// is refused (or left out), never wrapped into the RATIONAL GPSAltitude.
inline constexpr double kLowestAltitude = -12000;
inline constexpr double kHighestAltitude = 100000;

class EXFGPSLoc {
 public:
  const std::optional<EXFraction>& degrees() const { return degrees_; }
  const std::optional<EXFraction>& minutes() const { return minutes_; }
  const std::optional<EXFraction>& seconds() const { return seconds_; }
  void setDegrees(std::optional<EXFraction> f) { degrees_ = f; }
  void setMinutes(std::optional<EXFraction> f) { minutes_ = f; }
  void setSeconds(std::optional<EXFraction> f) { seconds_ = f; }

  // 37/1, 46/1, 2964/100 → 37° 46' 29.64" (degree sign U+00B0 in UTF-8);
  // a 0/0 part shows 0, an n/0 part "undefined".
  std::string description() const;
  // degrees + minutes/60 + seconds/3600, no sign applied: 37.7749.
  // A part that is empty or 0/0 counts as 0; a part n/0 makes the whole
  // undefined (not finite).
  double descriptionAsDecimal() const;

  friend bool operator==(const EXFGPSLoc&, const EXFGPSLoc&) = default;

 private:
  std::optional<EXFraction> degrees_, minutes_, seconds_;
};

class EXFGPSTimeStamp {
 public:
  const std::optional<EXFraction>& hours() const { return hours_; }
  const std::optional<EXFraction>& minutes() const { return minutes_; }
  const std::optional<EXFraction>& seconds() const { return seconds_; }
  void setHours(std::optional<EXFraction> f) { hours_ = f; }
  void setMinutes(std::optional<EXFraction> f) { minutes_ = f; }
  void setSeconds(std::optional<EXFraction> f) { seconds_ = f; }

  // "hh:mm:ss" from the truncated quotients, one-digit parts zero-padded:
  // 9/1, 5/1, 30/1 → 09:05:30. A part with a zero denominator (or an empty
  // one) reads "--" instead of failing.
  std::string description() const;

  friend bool operator==(const EXFGPSTimeStamp&, const EXFGPSTimeStamp&) = default;

 private:
  std::optional<EXFraction> hours_, minutes_, seconds_;
};

}  // namespace exif
