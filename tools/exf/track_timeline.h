#pragma once
// TrackTimeline: a GPS track's timed points in time order, and where on it a
// picture taken at a given UTC instant was.
#include "platform/gpx/gpx_track.h"

#include <optional>
#include <vector>

namespace exf {

struct TrackFix {
  double latitude = 0, longitude = 0;  // degrees
  std::optional<double> altitude;      // metres, when both points around have one
};

// Where a time falls on the track.
struct Placement {
  enum class Kind {
    OnTrack,      // `fix` holds the interpolated position
    BeforeTrack,  // earlier than the first point (at `from`)
    AfterTrack,   // later than the last point (at `to`)
    InGap,        // between two points (`from`, `to`) further apart than allowed
  };
  Kind kind = Kind::OnTrack;
  TrackFix fix;
  double from = 0, to = 0;  // seconds since the epoch, UTC
};

class TrackTimeline {
 public:
  // Keeps the points that carry a time, ordered by it (points with equal
  // times keep their file order). Points without a time are left out.
  explicit TrackTimeline(std::vector<platform::GPXPoint> points);

  bool empty() const { return points_.empty(); }
  std::size_t size() const { return points_.size(); }
  double start() const { return *points_.front().time; }  // not when empty()
  double end() const { return *points_.back().time; }

  // The position at `utc` (seconds since the epoch): a point's own when the
  // time is one of the points', else linear between the two points around
  // it, provided they are at most `maxGap` seconds apart. Longitudes are
  // interpolated the short way across the 180° meridian. Not when empty().
  Placement place(double utc, double maxGap) const;

 private:
  std::vector<platform::GPXPoint> points_;
};

}  // namespace exf
