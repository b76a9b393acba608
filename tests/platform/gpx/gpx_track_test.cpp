// GPXTrack: points, elevations and times as loggers write them, and the
// errors that name the file and the line.
#include "platform/gpx/gpx_track.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace platform {
namespace {

// The shape a handheld logger writes: metadata, a namespace, extensions,
// two segments, fractional seconds.
constexpr const char* kLoggerFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="Logger 3.2" xmlns="http://www.topografix.com/GPX/1/1"
     xmlns:gpxtpx="http://www.garmin.com/xmlschemas/TrackPointExtension/v1">
  <metadata><time>2024-05-01T09:29:58Z</time></metadata>
  <wpt lat="47.3800" lon="8.5400"><name>Start</name></wpt>
  <trk><name>Morning walk</name>
    <trkseg>
      <trkpt lat="47.376887" lon="8.541694"><ele>408.2</ele><time>2024-05-01T09:30:00Z</time>
        <extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>92</gpxtpx:hr></gpxtpx:TrackPointExtension></extensions>
      </trkpt>
      <trkpt lat="47.376950" lon="8.541800"><ele>408.6</ele><time>2024-05-01T09:30:05.500Z</time></trkpt>
    </trkseg>
    <trkseg>
      <trkpt lat="-33.8688" lon="-151.2093"><time>2024-05-01T11:30:10+02:00</time></trkpt>
    </trkseg>
  </trk>
</gpx>
)";

TEST(GPXTrack, ReadsEveryPointInFileOrderWithElevationAndTime) {
  const auto track = GPXTrack::parse(kLoggerFile, "walk.gpx");
  const auto& points = track.points();
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[0].kind, GPXPoint::Kind::Way);
  EXPECT_FALSE(points[0].time);

  EXPECT_DOUBLE_EQ(points[1].latitude, 47.376887);
  EXPECT_DOUBLE_EQ(points[1].longitude, 8.541694);
  EXPECT_DOUBLE_EQ(*points[1].elevation, 408.2);
  EXPECT_DOUBLE_EQ(*points[1].time, 1714555800.0);  // 2024-05-01T09:30:00Z
  EXPECT_EQ(points[1].line, 8);
  EXPECT_DOUBLE_EQ(*points[2].time, 1714555805.5);
  EXPECT_DOUBLE_EQ(points[3].latitude, -33.8688);
  EXPECT_FALSE(points[3].elevation);
  EXPECT_DOUBLE_EQ(*points[3].time, 1714555810.0);  // +02:00 folded into UTC

  const auto path = track.mainPath();
  ASSERT_EQ(path.size(), 3u);
  EXPECT_EQ(path.front().kind, GPXPoint::Kind::Track);
}

TEST(GPXTrack, MainPathFallsBackToRouteThenWayPoints) {
  const auto route = GPXTrack::parse(
      R"(<gpx><wpt lat="1" lon="1"/><rte><rtept lat="2" lon="2"/><rtept lat="3" lon="3"/></rte></gpx>)", "r");
  ASSERT_EQ(route.mainPath().size(), 2u);
  EXPECT_EQ(route.mainPath()[0].kind, GPXPoint::Kind::Route);
  const auto way = GPXTrack::parse(R"(<gpx><wpt lat="1" lon="1"/></gpx>)", "w");
  EXPECT_EQ(way.mainPath().size(), 1u);
}

TEST(GPXTrack, ErrorsNameTheFileAndTheLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"<gpx>\n<trk><trkseg>\n<trkpt lat=\"47\" lon=\"8\">\n</trkseg></trk></gpx>", "t.gpx: line 4: "},
      {"<gpx>\n<trkpt lon=\"8\"/></gpx>", "t.gpx: line 2: trkpt has no lat attribute"},
      {"<gpx>\n\n<trkpt lat=\"91\" lon=\"8\"/></gpx>", "t.gpx: line 3: trkpt lat \"91\" is not a number within ±90"},
      {"<gpx><trkpt lat=\"1\" lon=\"0x10\"/></gpx>", "t.gpx: line 1: trkpt lon \"0x10\" is not a number"},
      {"<gpx><trkpt lat=\"nan\" lon=\"1\"/></gpx>", "t.gpx: line 1: trkpt lat \"nan\""},
      {"<gpx><trkpt lat=\"1\" lon=\"1\">\n<ele>high</ele></trkpt></gpx>", "t.gpx: line 2: ele \"high\" is not a number"},
      {"<gpx><trkpt lat=\"1\" lon=\"1\">\n<time>2024-13-01T00:00:00Z</time></trkpt></gpx>",
       "t.gpx: line 2: time \"2024-13-01T00:00:00Z\" is not an ISO 8601 time"},
      {"<kml><trkpt lat=\"1\" lon=\"1\"/></kml>", "t.gpx: line 1: not a GPX document (root element <kml>)"},
      {"<gpx><trk/></gpx>", "t.gpx: no track, route or way points"},
      {"", "t.gpx: "},
  };
  for (const auto& c : cases) {
    try {
      GPXTrack::parse(c.text, "t.gpx");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const GPXError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(GPXTrack, TimesParseOnlyInTheirIsoForm) {
  EXPECT_DOUBLE_EQ(*parseGPXTime("1970-01-01T00:00:00Z"), 0.0);
  EXPECT_DOUBLE_EQ(*parseGPXTime("2000-02-29T23:59:59"), 951868799.0);  // no zone: UTC
  EXPECT_DOUBLE_EQ(*parseGPXTime("2024-05-01T09:30:00-01:30"), 1714555800.0 + 5400.0);
  for (const char* bad : {"2023-02-29T00:00:00Z", "2024-05-01 09:30", "2024-05-01T24:00:00Z", "2024-05-01T09:30:00.Z",
                          "2024-05-01T09:30:00Zjunk", "2024-05-01T09:30:00+0200", ""})
    EXPECT_FALSE(parseGPXTime(bad)) << bad;
}

TEST(GPXTrack, LoadReadsAFileAndNamesAMissingOne) {
  const auto path = std::filesystem::temp_directory_path() / "gpx_track_test.gpx";
  std::ofstream(path) << kLoggerFile;
  EXPECT_EQ(GPXTrack::load(path).points().size(), 4u);
  std::filesystem::remove(path);
  try {
    GPXTrack::load(path);
    ADD_FAILURE() << "a missing file loaded";
  } catch (const GPXError& e) {
    EXPECT_NE(std::string(e.what()).find("gpx_track_test.gpx: cannot read"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace platform
