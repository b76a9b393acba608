#include "exif/exf_gps_values.h"

#include <cstdint>

namespace exif {
namespace {

// An empty field behaves as the 0/0 it is written as.
EXFraction orZero(const std::optional<EXFraction>& f) { return f.value_or(EXFraction(0, 0)); }

std::string timePart(const std::optional<EXFraction>& f) {
  if (!f || f->denominator() == 0) return "--";
  // 64-bit division: INT32_MIN / -1 does not overflow here.
  std::int64_t q = std::int64_t{f->numerator()} / f->denominator();
  std::string text = std::to_string(q);
  return text.size() == 1 ? "0" + text : text;
}

}  // namespace

std::string EXFGPSLoc::description() const {
  return orZero(degrees_).description() + "\u00B0 " + orZero(minutes_).description() + "' " +
         orZero(seconds_).description() + "\"";
}

double EXFGPSLoc::descriptionAsDecimal() const {
  return orZero(degrees_).quotient() + orZero(minutes_).quotient() / 60.0 +
         orZero(seconds_).quotient() / 3600.0;
}

std::string EXFGPSTimeStamp::description() const {
  return timePart(hours_) + ":" + timePart(minutes_) + ":" + timePart(seconds_);
}

}  // namespace exif
