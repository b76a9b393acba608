#include "tools/exf/track_timeline.h"

#include <algorithm>

namespace exf {
namespace {

TrackFix fixOf(const platform::GPXPoint& p) { return {p.latitude, p.longitude, p.elevation}; }

double lerp(double a, double b, double f) { return a + (b - a) * f; }

}  // namespace

TrackTimeline::TrackTimeline(std::vector<platform::GPXPoint> points) : points_(std::move(points)) {
  std::erase_if(points_, [](const platform::GPXPoint& p) { return !p.time.has_value(); });
  const auto earlier = [](const platform::GPXPoint& a, const platform::GPXPoint& b) { return *a.time < *b.time; };
  if (!std::is_sorted(points_.begin(), points_.end(), earlier))  // a recorded track mostly is
    std::stable_sort(points_.begin(), points_.end(), earlier);
}

Placement TrackTimeline::place(double utc, double maxGap) const {
  Placement result;
  if (utc < start()) {
    result.kind = Placement::Kind::BeforeTrack;
    result.from = start();
    return result;
  }
  if (utc > end()) {
    result.kind = Placement::Kind::AfterTrack;
    result.to = end();
    return result;
  }
  // The first point at or after `utc`; there is one, since utc <= end().
  const auto after = std::lower_bound(points_.begin(), points_.end(), utc,
                                      [](const platform::GPXPoint& p, double t) { return *p.time < t; });
  if (*after->time == utc) {
    result.fix = fixOf(*after);
    return result;
  }
  const platform::GPXPoint& a = *(after - 1);
  const platform::GPXPoint& b = *after;
  result.from = *a.time;
  result.to = *b.time;
  if (*b.time - *a.time > maxGap) {
    result.kind = Placement::Kind::InGap;
    return result;
  }
  const double f = (utc - *a.time) / (*b.time - *a.time);
  double lonB = b.longitude;
  if (lonB - a.longitude > 180) lonB -= 360;
  if (a.longitude - lonB > 180) lonB += 360;
  double lon = lerp(a.longitude, lonB, f);
  if (lon > 180) lon -= 360;
  if (lon < -180) lon += 360;
  result.fix.latitude = lerp(a.latitude, b.latitude, f);
  result.fix.longitude = lon;
  if (a.elevation && b.elevation) result.fix.altitude = lerp(*a.elevation, *b.elevation, f);
  return result;
}

}  // namespace exf
