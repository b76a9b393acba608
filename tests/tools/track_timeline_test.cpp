// Where a picture's time falls on a track.
#include "tools/exf/track_timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace exf {
namespace {

using Kind = Placement::Kind;

platform::GPXPoint point(double t, double lat, double lon, std::optional<double> ele = {}) {
  platform::GPXPoint p;
  p.time = t;
  p.latitude = lat;
  p.longitude = lon;
  p.elevation = ele;
  return p;
}

TEST(TrackTimeline, InterpolatesBetweenTheTwoPointsAround) {
  const TrackTimeline track({point(100, 10, 20, 100), point(200, 11, 22, 200), point(400, 11, 20, 0)});
  using Case = std::tuple<double, double, double, std::optional<double>>;  // time, latitude, longitude, altitude
  for (const auto& [t, lat, lon, alt] : {Case{100, 10, 20, 100}, Case{125, 10.25, 20.5, 125}, Case{200, 11, 22, 200},
                                         Case{300, 11, 21, 100}, Case{400, 11, 20, 0}}) {
    const Placement p = track.place(t, 1800);
    ASSERT_EQ(p.kind, Kind::OnTrack) << t;
    EXPECT_DOUBLE_EQ(p.fix.latitude, lat) << t;
    EXPECT_DOUBLE_EQ(p.fix.longitude, lon) << t;
    EXPECT_EQ(p.fix.altitude, alt) << t;
  }
}

TEST(TrackTimeline, OutsideTheTrackOrInAGapIsNotPlaced) {
  const TrackTimeline track({point(100, 0, 0), point(200, 0, 1), point(5000, 1, 1)});
  EXPECT_EQ(track.place(99.5, 1800).kind, Kind::BeforeTrack);
  EXPECT_EQ(track.place(5001, 1800).kind, Kind::AfterTrack);
  EXPECT_EQ(track.place(300, 1800).kind, Kind::InGap);
  // The gap limit is inclusive, and a point's own time needs no neighbour.
  EXPECT_EQ(track.place(300, 4800).kind, Kind::OnTrack);
  EXPECT_EQ(track.place(5000, 0).kind, Kind::OnTrack);
  EXPECT_EQ(track.place(150, 99).kind, Kind::InGap);
}

TEST(TrackTimeline, OrdersByTimeAndLeavesUntimedPointsOut) {
  platform::GPXPoint untimed = point(0, 50, 50);
  untimed.time.reset();
  const TrackTimeline track({point(200, 2, 2), untimed, point(100, 1, 1)});
  EXPECT_EQ(track.size(), 2u);
  EXPECT_DOUBLE_EQ(track.place(150, 1800).fix.latitude, 1.5);
}

TEST(TrackTimeline, AltitudeOnlyWhenBothPointsHaveOne) {
  const TrackTimeline track({point(0, 0, 0, 10), point(10, 0, 0), point(20, 0, 0, 30)});
  EXPECT_FALSE(track.place(5, 1800).fix.altitude);
  EXPECT_FALSE(track.place(15, 1800).fix.altitude);
  EXPECT_EQ(track.place(0, 1800).fix.altitude, 10);
}

TEST(TrackTimeline, CrossesTheDateLineTheShortWay) {
  const TrackTimeline track({point(0, 0, 179), point(10, 0, -179)});
  EXPECT_DOUBLE_EQ(track.place(2.5, 1800).fix.longitude, 179.5);
  EXPECT_DOUBLE_EQ(std::fabs(track.place(5, 1800).fix.longitude), 180);
  EXPECT_DOUBLE_EQ(track.place(7.5, 1800).fix.longitude, -179.5);
}

}  // namespace
}  // namespace exf
