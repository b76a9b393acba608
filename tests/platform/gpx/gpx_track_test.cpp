// GPXTrack: a file it cannot read is refused with an error naming the file and the line.
#include "platform/gpx/gpx_track.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(GPXTrack, ErrorsNameTheFileAndTheLine) {
  const std::pair<const char*, const char*> cases[] = {
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
  for (const auto& [text, message] : cases) {
    try {
      GPXTrack::parse(text, "t.gpx");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const GPXError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace platform
