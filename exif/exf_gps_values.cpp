#include "exif/exf_gps_values.h"

#include <cstdint>

namespace exif {
namespace {

// A part of a coordinate that is empty or 0/0 (cameras write 0/0 for
// seconds they do not give) counts as 0; n/0 is undefined.
bool isZero(const std::optional<EXFraction>& f) { return !f || (f->numerator() == 0 && f->denominator() == 0); }
double partValue(const std::optional<EXFraction>& f) { return isZero(f) ? 0.0 : f->quotient(); }
std::string partText(const std::optional<EXFraction>& f) {
  if (isZero(f)) return "0";
  return f->denominator() == 0 ? "undefined" : f->description();
}

std::string timePart(const std::optional<EXFraction>& f) {
  if (!f || f->denominator() == 0) return "--";
  // 64-bit division: INT32_MIN / -1 does not overflow here.
  std::int64_t q = std::int64_t{f->numerator()} / f->denominator();
  std::string text = std::to_string(q);
  return text.size() == 1 ? "0" + text : text;
}

}  // namespace

std::string EXFGPSLoc::description() const {
  return partText(degrees_) + "\u00B0 " + partText(minutes_) + "' " + partText(seconds_) + "\"";
}

double EXFGPSLoc::descriptionAsDecimal() const {
  return partValue(degrees_) + partValue(minutes_) / 60.0 + partValue(seconds_) / 3600.0;
}

std::string EXFGPSTimeStamp::description() const {
  return timePart(hours_) + ":" + timePart(minutes_) + ":" + timePart(seconds_);
}

}  // namespace exif
